// Velmora tests — 导出校正量 and 导入校正量 in the window: the last completed pass to a file, and
// back into the fields so that 校正 takes the very same gains; bad files change nothing.
#include <QtTest>

#include <cstring>

#include "support/window_rig.h"
#include "picture/process_setup.h"
#include "ui/desktop/startup.h"
#include "ui/window/window_texts.h"

using namespace velmora;

namespace {

QString WritePhoto(const QTemporaryDir &dir)
{
    QImage image(37, 23, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(160 + x, 120 + y, 100 + (x - y) / 2));
    const QString path = dir.filePath("photo.bmp");
    image.save(path, "BMP");
    return path;
}

void Answer(fakes::WindowRig &w, const QString &path) { w.picker.answers.push_back(path.toStdString()); }

void Write(const QString &path, const QByteArray &content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

// Points at picture pixel (x, y) by way of a neighbour, so the move is a real one, and clicks.
void PickAt(PictureBox *box, int x, int y)
{
    const QPoint p(x + box->borderWidth(), y + box->borderWidth());
    QTest::mouseMove(box, p + QPoint(1, 1));
    QTest::mouseMove(box, p);
    QTest::mouseClick(box, Qt::LeftButton, {}, p);
}

bool SameBits(const Gains &a, const Gains &b) { return std::memcmp(&a, &b, sizeof a) == 0; }

const char *const kFields[] = {"主红", "主绿", "主蓝", "客红", "客绿", "客蓝", "红", "绿", "蓝"};

QStringList FieldTexts(const fakes::WindowRig &w)
{
    QStringList texts;
    for (const char *name : kFields)
        texts << w.text(name);
    return texts;
}

} // namespace

class TestCorrectionExport : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ConfigureProcess(); ConfigureApplication(); }

    // A real pick and pass, exported; another target picked; imported: every field as it was,
    // and 校正 on the reloaded photo gives the same gains to the bit and the same picture.
    void exportThenImportReproducesThePass()
    {
        QTemporaryDir dir;
        fakes::WindowRig w;
        w.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        Answer(w, WritePhoto(dir));
        w.button("导入客体")->click();
        PictureBox *swatch = w.box("Picture2(1)");
        PictureBox *target = w.box("客体图片");
        PickAt(swatch, 30, 40);
        PickAt(target, 20, 10);
        QVERIFY(w.messages.shown.empty());
        w.button("校正")->click();
        QVERIFY(w.form.lastGains());
        const Gains first = *w.form.lastGains();
        const QImage corrected = target->image();
        const QStringList fields = FieldTexts(w);
        const Channels picked = w.form.targetChannels();
        QVERIFY(!(picked == Channels{}));

        Answer(w, dir.filePath("shoot"));
        w.form.exportCorrection();
        QVERIFY(QFile::exists(dir.filePath("shoot.velmora")));
        QVERIFY(w.messages.shown.empty());

        w.button("校正点")->click(); // 刷新: the photo back from its file
        PickAt(target, 3, 19);
        QVERIFY(FieldTexts(w) != fields);
        Answer(w, dir.filePath("shoot.velmora"));
        w.form.importCorrection();
        QVERIFY(w.messages.shown.empty());
        QCOMPARE(FieldTexts(w), fields);
        QVERIFY(w.form.targetChannels() == picked);
        w.button("校正")->click();
        QVERIFY(SameBits(*w.form.lastGains(), first));
        QCOMPARE(target->image(), corrected);
    }

    void badFilesChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("foreign") << QByteArray("[Desktop Entry]\nName=x\n") << "不是 Velmora 校正量文件";
        QTest::newRow("newer") << QByteArray("[velmora correction]\nversion=9\ngains=1,2,3\n") << "更新版本";
        QTest::newRow("bad number") << QByteArray("[velmora correction]\ngains=1,2,x\n") << "数值不正确";
        QTest::newRow("gains only") << QByteArray("[velmora correction]\nversion=1\ngains=0.1,0.2,0.3\n") << "只有增益";
        QTest::newRow("missing file") << QByteArray() << "无法读取";
    }
    void badFilesChangeNothing()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QTemporaryDir dir;
        fakes::WindowRig w;
        const QString path = dir.filePath("c.velmora");
        if (!content.isEmpty())
            Write(path, content);
        w.field("红")->setText("5");
        const QStringList before = FieldTexts(w);
        const Channels target = w.form.targetChannels();
        Answer(w, path);
        w.form.importCorrection();
        QCOMPARE(w.messages.shown.size(), size_t(1));
        QVERIFY2(QString::fromStdString(w.messages.shown[0].text).contains(message),
                 w.messages.shown[0].text.c_str());
        QCOMPARE(FieldTexts(w), before);
        QVERIFY(w.form.targetChannels() == target);
    }

    void exportBeforeAnyPassOrIntoNowhere()
    {
        QTemporaryDir dir;
        fakes::WindowRig w;
        w.form.exportCorrection();
        QCOMPARE(w.messages.shown.size(), size_t(1));
        QCOMPARE(w.messages.shown[0].text, std::string(text::kNothingToExport));
        QVERIFY(w.picker.seen.empty()); // no dialog for nothing

        Answer(w, WritePhoto(dir));
        w.button("导入客体")->click();
        w.field("红")->setText("10");
        w.field("绿")->setText("0");
        w.field("蓝")->setText("0");
        w.button("校正")->click();
        QVERIFY(w.form.lastGains());
        Answer(w, dir.filePath("no such folder/shoot"));
        w.form.exportCorrection();
        QCOMPARE(w.messages.shown.size(), size_t(2));
        QVERIFY(QString::fromStdString(w.messages.shown[1].text).contains("无法保存校正量文件"));
        w.picker.answers.push_back(std::nullopt); // cancelled: nothing written, nothing said
        w.form.exportCorrection();
        QCOMPARE(w.messages.shown.size(), size_t(2));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"photo.bmp"});
    }

    // The export is saved as the window saves a picture: through a link to the file it names, and
    // never over a read-only file, which is kept with a message.
    void exportThroughLinkButNotOverReadOnly()
    {
        QTemporaryDir dir;
        fakes::WindowRig w;
        w.field("红")->setText("10");
        w.field("绿")->setText("0");
        w.field("蓝")->setText("0");
        Answer(w, WritePhoto(dir));
        w.button("导入客体")->click();
        w.button("校正")->click();
        QVERIFY(w.form.lastGains());

        QVERIFY(QDir(dir.path()).mkdir("elsewhere"));
        const QString linked = dir.filePath("elsewhere/shoot.velmora");
        Write(linked, "old");
        QVERIFY(QFile::link(linked, dir.filePath("shoot.velmora")));
        Answer(w, dir.filePath("shoot.velmora"));
        w.form.exportCorrection();
        QVERIFY(w.messages.shown.empty());
        QVERIFY(QFileInfo(dir.filePath("shoot.velmora")).isSymLink());
        QFile written(linked);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().startsWith("[velmora correction]"));

        const QString kept = dir.filePath("kept.velmora");
        Write(kept, "old");
        QVERIFY(QFile::setPermissions(kept, QFile::ReadOwner));
        Answer(w, kept);
        w.form.exportCorrection();
        QCOMPARE(w.messages.shown.size(), size_t(1));
        QFile still(kept);
        QVERIFY(still.open(QIODevice::ReadOnly));
        QCOMPARE(still.readAll(), QByteArray("old"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{"elsewhere", "kept.velmora", "photo.bmp", "shoot.velmora"}));
    }
};

QTEST_MAIN(TestCorrectionExport)
#include "tst_correction_export.moc"
