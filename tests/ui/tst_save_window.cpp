// Velmora tests — saving from the window: the window stays live while the file goes to disk, 保存
// cannot run twice, 退出 waits for the file, the photo's camera data and the kept options are used.
#include <QtTest>


#include <QDialogButtonBox>
#include <QRadioButton>
#include <QSpinBox>

#include "support/image_compare.h"
#include "support/tools.h"
#include "support/window_rig.h"
#include "ui/dialogs/save_options_dialog.h"
#include "picture/process_setup.h"
#include "ui/desktop/startup.h"

using namespace velmora;

namespace {

QString WritePhoto(const QTemporaryDir &dir, const char *name, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            row[x] = qRgb(x % 251, y % 241, (x ^ y) & 0xFF);
    }
    const QString path = dir.filePath(QString::fromUtf8(name));
    image.save(path);
    return path;
}

void Import(fakes::WindowRig &w, const QString &path)
{
    w.picker.answers.push_back(path.toStdString());
    w.button("导入客体")->click();
}

void StartSave(fakes::WindowRig &w, const QString &path)
{
    w.picker.answers.push_back(path.toStdString());
    w.button("保存")->click();
}

// The program's output, trimmed, as the comparisons below want it.
QString Run(const QString &program, const QStringList &arguments)
{
    return QString::fromUtf8(fakes::RunProgram(program, arguments, QByteArray(), 30000).out).trimmed();
}

// Accepts the next modal dialog once `change` has set its controls.
void AcceptNextDialog(std::function<void(QDialog *)> change)
{
    QTimer::singleShot(0, [change] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        change(dialog);
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    });
}

} // namespace

class TestSaveWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void windowStaysLiveWhileSaving();
    void passDuringSaveKeepsSaveOff();
    void exitWaitsForTheFile();
    void exitAfterFailedSaveKeepsWindow();
    void cameraDataFromTheImportedPhoto_data();
    void cameraDataFromTheImportedPhoto();
    void optionsKeptAndUsed();
    void optionsOutOfRangeFallBack();

private:
    QTemporaryDir m_config;
};

void TestSaveWindow::initTestCase()
{
    // Kept options go to a folder of the test's own, never the user's.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    ConfigureProcess(); ConfigureApplication();
}

// While the file is written and synced the window's events run; 保存 is off and a second press does
// nothing; the file is complete once the window says the save has ended.
void TestSaveWindow::windowStaysLiveWhileSaving()
{
    QTemporaryDir dir;
    fakes::WindowRig w;
    Import(w, WritePhoto(dir, "large.bmp", {3000, 2000}));
    const QString out = dir.filePath(QStringLiteral("out.bmp"));
    QSignalSpy ended(&w.form, &MainForm::saveEnded);
    bool ranWhileSaving = false;
    StartSave(w, out);
    QTimer::singleShot(0, [&] { ranWhileSaving = w.form.saving(); });
    QVERIFY(w.form.saving());
    QVERIFY(!w.button("保存")->isEnabled());
    const size_t dialogs = w.picker.seen.size();
    w.picker.answers.push_back(dir.filePath(QStringLiteral("second")).toStdString());
    w.button("保存")->click();
    QCOMPARE(w.picker.seen.size(), dialogs);

    QVERIFY(ended.wait(20000));
    QVERIFY(ranWhileSaving);
    QVERIFY(w.button("保存")->isEnabled());
    QVERIFY(w.messages.shown.empty());
    QCOMPARE(QFileInfo(out).size(), 54 + qint64(3000 * 3) * 2000);
    QCOMPARE(fakes::FirstDifference(QImage(out), w.box("客体图片")->image()), QString());
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("second.bmp"))));
}

// A pass started during a save: 保存 comes back only when both are done, whichever ends first.
void TestSaveWindow::passDuringSaveKeepsSaveOff()
{
    QTemporaryDir dir;
    fakes::WindowRig w;
    Import(w, WritePhoto(dir, "large.bmp", {2000, 1500}));
    const QImage before = w.box("客体图片")->image();
    QSignalSpy ended(&w.form, &MainForm::saveEnded);
    StartSave(w, dir.filePath(QStringLiteral("out")));
    w.field("红")->setText(QStringLiteral("30"));
    w.field("绿")->setText(QStringLiteral("0"));
    w.field("蓝")->setText(QStringLiteral("0"));
    w.button("校正")->click();
    QCOMPARE(w.button("保存")->isEnabled(), !w.form.saving());
    QVERIFY(ended.count() == 1 || ended.wait(20000));
    QVERIFY(w.button("保存")->isEnabled());
    // The file holds the picture as it was when 保存 was pressed.
    QCOMPARE(fakes::FirstDifference(QImage(dir.filePath(QStringLiteral("out.bmp"))), before), QString());
}

void TestSaveWindow::exitWaitsForTheFile()
{
    QTemporaryDir dir;
    fakes::WindowRig w;
    Import(w, WritePhoto(dir, "large.bmp", {3000, 2000}));
    const QString out = dir.filePath(QStringLiteral("out.png"));
    StartSave(w, out);
    w.button("退出")->click();
    QVERIFY(w.loop.ending());
    QVERIFY(!w.form.saving());
    QCOMPARE(fakes::FirstDifference(QImage(out), w.box("客体图片")->image()), QString());
    QVERIFY(w.messages.shown.empty());
}

// A save that fails while 退出 waits for it is reported, and the window stays with the picture.
void TestSaveWindow::exitAfterFailedSaveKeepsWindow()
{
    QTemporaryDir dir;
    fakes::WindowRig w;
    Import(w, WritePhoto(dir, "photo.bmp", {40, 30}));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("taken.png")));
    StartSave(w, dir.filePath(QStringLiteral("taken.png")));
    w.button("退出")->click();
    QVERIFY(!w.loop.ending());
    QCOMPARE(w.messages.shown.size(), size_t(1));
    const QString message = QString::fromStdString(w.messages.shown[0].text);
    QVERIFY2(message.contains(QStringLiteral("已有同名的文件夹")), qPrintable(message));
    QVERIFY(w.button("保存")->isEnabled());
    QVERIFY(w.box("客体图片")->hasPicture());
}

void TestSaveWindow::cameraDataFromTheImportedPhoto_data()
{
    QTest::addColumn<QStringList>("written"); // exiftool's settings on the imported photo
    QTest::addColumn<QString>("output");
    QTest::addColumn<QStringList>("read"); // the tags read back from the saved file
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("leftOut"); // the user is told some camera data was left out
    QTest::newRow("jpeg") << QStringList{"-Make=Kestrel", "-Model=K-7 Pro"} << "out.jpg"
                          << QStringList{"-Make", "-Model"} << "Kestrel\nK-7 Pro" << false;
    // WebP has no place for IPTC: the picture is saved, and the user is told what was left out.
    QTest::newRow("webp, IPTC it cannot hold") << QStringList{"-Make=Kestrel", "-IPTC:Keywords=harbour"} << "out.webp"
                                               << QStringList{"-Make"} << "Kestrel" << true;
}

// The imported photo's camera data reaches the file saved from the window, as far as its format holds it.
void TestSaveWindow::cameraDataFromTheImportedPhoto()
{
    QFETCH(QStringList, written);
    QFETCH(QString, output);
    QFETCH(QStringList, read);
    QFETCH(QString, expected);
    QFETCH(bool, leftOut);
    QTemporaryDir dir;
    const QString source = WritePhoto(dir, "camera.jpg", {64, 48});
    QCOMPARE(Run(QStringLiteral("exiftool"),
                 QStringList{QStringLiteral("-q"), QStringLiteral("-overwrite_original")} + written + QStringList{source}),
             QString());
    fakes::WindowRig w;
    Import(w, source);
    QSignalSpy ended(&w.form, &MainForm::saveEnded);
    StartSave(w, dir.filePath(output));
    QVERIFY(ended.wait(20000));
    if (leftOut) {
        QCOMPARE(w.messages.shown.size(), size_t(1));
        const QString message = QString::fromStdString(w.messages.shown[0].text);
        QVERIFY2(message.startsWith(QStringLiteral("图片已保存")) && message.contains(QStringLiteral("相机信息")),
                 qPrintable(message));
    } else {
        QVERIFY(w.messages.shown.empty());
    }
    QCOMPARE(Run(QStringLiteral("exiftool"), QStringList{QStringLiteral("-s3")} + read + QStringList{dir.filePath(output)}),
             expected);
}

// 保存选项 starts at JPEG 95 and WebP lossless; what is accepted is kept and the next save uses it.
void TestSaveWindow::optionsKeptAndUsed()
{
    QTemporaryDir dir;
    fakes::WindowRig w;
    {
        SaveOptionsDialog dialog(LoadSaveOptions());
        QCOMPARE(dialog.findChild<QSpinBox *>(QStringLiteral("jpegQuality"))->value(), 95);
        QVERIFY(dialog.findChild<QRadioButton *>(QStringLiteral("webpLossless"))->isChecked());
        QVERIFY(!dialog.findChild<QSpinBox *>(QStringLiteral("webpQuality"))->isEnabled());
    }
    AcceptNextDialog([](QDialog *dialog) {
        dialog->findChild<QSpinBox *>(QStringLiteral("jpegQuality"))->setValue(40);
        dialog->findChild<QRadioButton *>(QStringLiteral("webpLossy"))->setChecked(true);
        dialog->findChild<QSpinBox *>(QStringLiteral("webpQuality"))->setValue(70);
    });
    w.form.showSaveOptions();
    const SaveOptions kept = LoadSaveOptions();
    QCOMPARE(kept.jpegQuality, 40);
    QVERIFY(!kept.webpLossless);
    QCOMPARE(kept.webpQuality, 70);

    Import(w, WritePhoto(dir, "photo.bmp", {64, 48}));
    QSignalSpy ended(&w.form, &MainForm::saveEnded);
    StartSave(w, dir.filePath(QStringLiteral("out.jpg")));
    QVERIFY(ended.wait(20000));
    QCOMPARE(Run(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%Q"),
                                              dir.filePath(QStringLiteral("out.jpg"))}),
             QStringLiteral("40"));
    StoreSaveOptions({});
}

void TestSaveWindow::optionsOutOfRangeFallBack()
{
    QSettings settings(QStringLiteral("Velmora"), QStringLiteral("Velmora"));
    settings.setValue(QStringLiteral("save/jpegQuality"), 0);
    settings.setValue(QStringLiteral("save/webpQuality"), QStringLiteral("lots"));
    settings.sync();
    const SaveOptions options = LoadSaveOptions();
    QCOMPARE(options.jpegQuality, 95);
    QCOMPARE(options.webpQuality, 90);
    StoreSaveOptions({});
}

QTEST_MAIN(TestSaveWindow)
#include "tst_save_window.moc"
