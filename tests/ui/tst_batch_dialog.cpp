// Velmora tests — the batch dialog: the last pass's gains or a correction file over many photos in
// the background, the same bytes as the command line, numbered names instead of overwriting, a
// damaged photo reported without stopping the rest, and cancelling.
#include <QtTest>

#include <QComboBox>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "support/files.h"
#include "support/tools.h"
#include "support/window_rig.h"
#include "ui/dialogs/batch_dialog.h"
#include "picture/process_setup.h"
#include "ui/desktop/startup.h"

using namespace velmora;

namespace {

QString WriteJpeg(const QString &path, int width, int height, int seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 7 + seed * 31) & 0xFF, (y * 5 + seed) & 0xFF, ((x + y) * 3) & 0xFF));
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    writer.write(image);
    return path;
}

int RunCommandLine(const QStringList &arguments)
{
    return fakes::RunVelmora(QStringList{"apply"} + arguments, {{"DISPLAY", "QT_QPA_PLATFORM"}, {"LANG=C"}}, 60000).exit;
}

template <typename W>
W *Get(const BatchDialog &d, const char *name)
{
    W *w = d.findChild<W *>(QString::fromLatin1(name));
    Q_ASSERT_X(w, "Get", name);
    return w;
}

void ChooseFormat(BatchDialog &d, const char *name)
{
    auto *format = Get<QComboBox>(d, "format");
    format->setCurrentIndex(format->findText(QString::fromLatin1(name)));
}

} // namespace

class TestBatchDialog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ConfigureProcess(); ConfigureApplication(); }
    void lastPassGainsGiveTheCommandLinesBytes();
    void correctionFileAndRefusals();
    void cancelStopsBetweenPhotos();
};

// A pass in the window, then the batch with its gains: the same bytes as `velmora apply` with the
// same gains, a numbered name beside an existing output, a damaged photo listed with its reason.
void TestBatchDialog::lastPassGainsGiveTheCommandLinesBytes()
{
    QTemporaryDir dir;
    fakes::WindowRig w;
    const QString first = WriteJpeg(dir.filePath("a.jpg"), 300, 200, 1);
    const QString second = WriteJpeg(dir.filePath("b.jpg"), 301, 199, 2);
    QFile damaged(dir.filePath("c.jpg"));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write(fakes::Read(second).left(2000));
    damaged.close();
    w.picker.answers.push_back(first.toStdString());
    w.button("导入客体")->click();
    w.field("红")->setText("50");
    w.field("绿")->setText("40");
    w.field("蓝")->setText("46");
    w.button("校正")->click();
    QVERIFY(w.form.lastGains().has_value());

    w.form.showBatch();
    auto *dialog = w.form.findChild<BatchDialog *>();
    QVERIFY(dialog);
    QVERIFY(Get<QRadioButton>(*dialog, "useLastGains")->isChecked());
    dialog->addPhotos({first, second, dir.filePath("c.jpg"), first});
    QCOMPARE(Get<QListWidget>(*dialog, "photos")->count(), 3);
    const QString folder = dir.filePath("已校正");
    QCOMPARE(Get<QLineEdit>(*dialog, "outputFolder")->text(), folder);
    ChooseFormat(*dialog, "BMP");
    QVERIFY(QDir().mkdir(folder));
    QFile existing(folder + "/a.bmp");
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("keep me");
    existing.close();

    QSignalSpy finished(dialog, &BatchDialog::runFinished);
    Get<QPushButton>(*dialog, "start")->click();
    QVERIFY(dialog->running());
    QVERIFY(w.button("校正")->isEnabled()); // the window stays usable meanwhile
    QVERIFY(finished.wait(60000));
    QCOMPARE(fakes::Read(folder + "/a.bmp"), QByteArray("keep me"));
    const QString results = Get<QPlainTextEdit>(*dialog, "results")->toPlainText();
    QVERIFY2(results.contains("c.jpg：图片数据已损坏或不完整"), qPrintable(results));
    QVERIFY(Get<QLabel>(*dialog, "current")->text().startsWith("已校正 2/3 张照片"));

    const Gains g = *w.form.lastGains();
    const QString gains = QStringLiteral("%1,%2,%3").arg(g.red, 0, 'g', 9).arg(g.green, 0, 'g', 9).arg(g.blue, 0, 'g', 9);
    QCOMPARE(RunCommandLine({"--gains", gains, "--format", "bmp", "--out", dir.filePath("cli"), first, second}), 0);
    QVERIFY(fakes::Read(folder + "/a (2).bmp").size() > 54);
    QVERIFY(fakes::Read(folder + "/a (2).bmp") == fakes::Read(dir.filePath("cli/a.bmp")));
    QVERIFY(fakes::Read(folder + "/b.bmp") == fakes::Read(dir.filePath("cli/b.bmp")));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

void TestBatchDialog::correctionFileAndRefusals()
{
    QTemporaryDir dir;
    // Two bands tall: with two cores or more, decoded on one thread while another writes it.
    const QString photo = WriteJpeg(dir.filePath("p.jpg"), 120, 2500, 3);
    BatchDialog dialog(std::nullopt);
    QVERIFY(!Get<QRadioButton>(dialog, "useLastGains")->isEnabled());
    QVERIFY(!Get<QPushButton>(dialog, "start")->isEnabled()); // no photos yet
    dialog.addPhotos({photo});
    auto *start = Get<QPushButton>(dialog, "start");
    auto *status = Get<QLabel>(dialog, "current");

    start->click(); // no correction file chosen
    QVERIFY(!dialog.running());
    QCOMPARE(status->text(), QStringLiteral("请选择校正量文件。"));
    const QString file = dir.filePath("shoot.velmora");
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[something else]\ngains=1,2,3\n");
    f.close();
    Get<QLineEdit>(dialog, "correctionFile")->setText(file);
    start->click();
    QVERIFY(!dialog.running());
    QVERIFY2(status->text().contains("不是 Velmora 校正量文件"), qPrintable(status->text()));
    QVERIFY(!QFile::exists(dir.filePath("已校正/p.jpg")));

    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[velmora correction]\nversion=1\ngains=0.1,0.2,-0.1\n");
    f.close();
    ChooseFormat(dialog, "BMP");
    QSignalSpy finished(&dialog, &BatchDialog::runFinished);
    start->click();
    QVERIFY(finished.wait(60000));
    QCOMPARE(RunCommandLine({"--gains", "0.1,0.2,-0.1", "--format", "bmp", "--out", dir.filePath("cli"), photo}), 0);
    QVERIFY(fakes::Read(dir.filePath("已校正/p.bmp")).size() > 54);
    QVERIFY(fakes::Read(dir.filePath("已校正/p.bmp")) == fakes::Read(dir.filePath("cli/p.bmp")));
}

// Cancelling lets the photos in hand finish and starts no other; nothing half-written remains.
void TestBatchDialog::cancelStopsBetweenPhotos()
{
    QTemporaryDir dir;
    QStringList photos;
    for (int i = 0; i < 40; ++i)
        photos << WriteJpeg(dir.filePath(QStringLiteral("p%1.jpg").arg(i)), 400, 300, i);
    CorrectionRecord gains;
    gains.gains = {0.1f, 0, 0};
    BatchDialog dialog(gains);
    dialog.addPhotos(photos);
    QSignalSpy finished(&dialog, &BatchDialog::runFinished);
    Get<QPushButton>(dialog, "start")->click();
    Get<QPushButton>(dialog, "cancel")->click();
    QVERIFY(finished.wait(60000));
    QVERIFY(!dialog.running());
    QVERIFY(Get<QPushButton>(dialog, "start")->isEnabled());
    QVERIFY(Get<QLabel>(dialog, "current")->text().contains("已取消"));
    const QStringList written = QDir(dir.filePath("已校正")).entryList(QDir::Files | QDir::Hidden);
    QVERIFY2(written.size() < photos.size(), qPrintable(written.join(' ')));
    for (const QString &name : written)
        QVERIFY2(!name.startsWith('.'), qPrintable(name));
}

QTEST_MAIN(TestBatchDialog)
#include "tst_batch_dialog.moc"
