// Velmora tests — pictures into the window and out of it, through the one file dialog.
#include <QtTest>

#include "support/image_compare.h"
#include "support/window_rig.h"
#include "picture/process_setup.h"
#include "ui/desktop/startup.h"
#include "ui/dialogs/save_options_dialog.h"
#include "ui/window/window_texts.h"

using namespace velmora;

namespace {

QString WritePicture(const QTemporaryDir &dir, const char *name, QSize size, QRgb fill = qRgb(120, 100, 80))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(fill);
    const QString path = dir.filePath(QString::fromUtf8(name));
    image.save(path, "BMP");
    return path;
}

// Clicks `button` and answers the dialog it opens with `path`.
void ClickAnswering(fakes::WindowRig &w, const char *button, const QString &path)
{
    w.picker.answers.push_back(path.toStdString());
    w.button(button)->click();
}

// Clicks `button` and cancels the dialog it opens.
void ClickCancelling(fakes::WindowRig &w, const char *button)
{
    w.picker.answers.push_back(std::nullopt);
    w.button(button)->click();
}

// Clicks 保存, answers its dialog with `path` (and the filter `filter`, 1-based, when given) and
// waits until the file is on disk or its failure reported.
void SaveAnswering(fakes::WindowRig &w, const QString &path, int filter = 0)
{
    if (filter > 0)
        w.picker.filters.push_back(filter);
    QSignalSpy ended(&w.form, &MainForm::saveEnded);
    ClickAnswering(w, "保存", path);
    QVERIFY(ended.count() == 1 || ended.wait(20000));
    QVERIFY(!w.form.saving());
}

void TypeDifferences(fakes::WindowRig &w, const char *r, const char *g, const char *b)
{
    w.field("红")->setText(QString::fromUtf8(r));
    w.field("绿")->setText(QString::fromUtf8(g));
    w.field("蓝")->setText(QString::fromUtf8(b));
}

} // namespace

class TestImportSave : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ConfigureProcess(); ConfigureApplication(); }
    void importCentres_data();
    void importCentres();
    void openDialogSettings();
    void saveDialogKeepsEarlierSettings();
    void cancelChangesNothing();
    void brokenFileKeepsPicture_data();
    void brokenFileKeepsPicture();
    void brokenProfileShownWithMessage();
    void refreshRestoresInPlace();
    void refreshBeforeAnyImport();
    void saveProposesCorrectedName_data();
    void saveProposesCorrectedName();
    void saveNamingAndContent_data();
    void saveNamingAndContent();
    void saveIntoUnwritableFolder();
    void importDuringPass();
};

void TestImportSave::importCentres_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("place");
    for (const auto &[button, box] : {std::pair{"导入客体", "客体图片"}, std::pair{"导入主体", "取样图片"}}) {
        const auto row = [&](const char *name, QSize size, QPoint place) {
            QTest::addRow("%s %s", button, name) << QString::fromUtf8(button) << QString::fromUtf8(box) << size << place;
        };
        row("even", {300, 200}, {55, 155});
        row("odd", {301, 201}, {55, 155});
        row("area size", {406, 506}, {2, 2});
        row("larger than the area", {1000, 800}, {-295, -145});
    }
}

void TestImportSave::importCentres()
{
    QFETCH(QString, button);
    QFETCH(QString, box);
    QFETCH(QSize, size);
    QFETCH(QPoint, place);
    QTemporaryDir dir;
    fakes::WindowRig w;
    ClickAnswering(w, button.toUtf8().constData(), WritePicture(dir, "photo.bmp", size));
    PictureBox *picture = w.box(box.toUtf8().constData());
    QCOMPARE(picture->pos(), place);
    QCOMPARE(picture->size(), size + QSize(4, 4));
    QCOMPARE(picture->drawingWidth(), size.width());
    QCOMPARE(picture->drawingHeight(), size.height());
    QVERIFY(w.messages.shown.empty());
}

void TestImportSave::openDialogSettings()
{
    QTemporaryDir dir;
    fakes::WindowRig w;
    const QString path = WritePicture(dir, "photo.bmp", {10, 10});
    ClickAnswering(w, "导入客体", path);
    QCOMPARE(w.picker.seen.size(), size_t(1));
    const auto &[settings, purpose] = w.picker.seen[0];
    QCOMPARE(purpose, DialogPurpose::Open);
    QCOMPARE(settings.filter, text::OpenFilter());
    QVERIFY(settings.filter.rfind("所有图片|*.JPG;*.JPEG;*.PNG;*.BMP;", 0) == 0);
    QCOMPARE(settings.flags, 16);
    QCOMPARE(settings.initDir, "d:");
    QCOMPARE(settings.filterIndex, 1);
    QCOMPARE(settings.cancelError, false);
    QCOMPARE(w.form.targetPath(), path.toStdString());

    // The reference import shares the dialog but not the photo's path.
    const QString reference = WritePicture(dir, "reference.bmp", {10, 10});
    ClickAnswering(w, "导入主体", reference);
    QCOMPARE(w.picker.seen[1].first.fileName, path.toStdString()); // the name persists into the next use
    QCOMPARE(w.form.targetPath(), path.toStdString());
}

void TestImportSave::saveDialogKeepsEarlierSettings()
{
    QTemporaryDir dir;
    fakes::WindowRig w;
    const QString path = WritePicture(dir, "photo.bmp", {10, 10});
    ClickAnswering(w, "导入客体", path);
    SaveAnswering(w, dir.filePath(QStringLiteral("saved")));
    const auto &[settings, purpose] = w.picker.seen[1];
    QCOMPARE(purpose, DialogPurpose::Save);
    QCOMPARE(settings.filter, "BMP图像(*.BMP)|*.BMP|PNG图像(*.PNG)|*.PNG|JPEG图像(*.JPG;*.JPEG)|*.JPG;*.JPEG"
                              "|TIFF图像(*.TIF;*.TIFF)|*.TIF;*.TIFF|WebP图像(*.WEBP)|*.WEBP");
    QCOMPARE(settings.filterIndex, 1);
    QCOMPARE(settings.flags, 16);
    QCOMPARE(settings.initDir, "d:"); // not set for saving: kept from the import
    QCOMPARE(settings.fileName, dir.filePath(QStringLiteral("photo_校正.bmp")).toStdString());
}

void TestImportSave::saveProposesCorrectedName_data()
{
    QTest::addColumn<bool>("photoFormat");
    QTest::addColumn<QString>("photo");
    QTest::addColumn<QString>("proposed");
    QTest::addColumn<int>("filter");
    QTest::newRow("BMP, as designed") << false << "IMG_0001.jpg" << "IMG_0001_校正.bmp" << 1;
    QTest::newRow("the photo's JPEG") << true << "IMG_0001.JPG" << "IMG_0001_校正.jpg" << 3;
    QTest::newRow("the photo's TIFF") << true << "scan.v2.tiff" << "scan.v2_校正.tif" << 4;
    QTest::newRow("the photo's PNG") << true << "tile.png" << "tile_校正.png" << 2;
    QTest::newRow("a GIF is not written: BMP") << true << "anim.gif" << "anim_校正.bmp" << 1;
}

// 保存选项's 默认保存格式 decides the proposed format and filter; the name is the photo's with
// _校正, in the photo's folder.
void TestImportSave::saveProposesCorrectedName()
{
    QFETCH(bool, photoFormat);
    QFETCH(QString, photo);
    QFETCH(QString, proposed);
    QFETCH(int, filter);
    QTemporaryDir dir;
    fakes::WindowRig w;
    SaveOptions options;
    options.photoFormat = photoFormat;
    StoreSaveOptions(options);
    QCOMPARE(LoadSaveOptions().photoFormat, photoFormat);
    const QString path = dir.filePath(photo);
    QImage picture(8, 6, QImage::Format_RGB32);
    picture.fill(qRgb(120, 90, 60));
    if (photo.endsWith(QLatin1String(".gif"))) // Qt writes no GIF
        QVERIFY(QFile::copy(QStringLiteral(TEST_DATA_DIR "/anim.gif"), path));
    else
        QVERIFY(picture.save(path, QFileInfo(photo).suffix().toLower() == QLatin1String("tiff") ? "TIFF" : nullptr));
    ClickAnswering(w, "导入客体", path);
    QVERIFY(w.messages.shown.empty());
    ClickCancelling(w, "保存");
    StoreSaveOptions(SaveOptions{});
    const auto &[settings, purpose] = w.picker.seen.back();
    QCOMPARE(purpose, DialogPurpose::Save);
    QCOMPARE(QString::fromStdString(settings.fileName), dir.filePath(proposed));
    QCOMPARE(settings.filterIndex, filter);
}

void TestImportSave::cancelChangesNothing()
{
    QTemporaryDir dir;
    fakes::WindowRig w;
    const QString path = WritePicture(dir, "photo.bmp", {30, 20});
    ClickAnswering(w, "导入客体", path);
    const QImage before = w.box("客体图片")->image();
    const QPoint place = w.box("客体图片")->pos();

    ClickCancelling(w, "导入客体");
    ClickCancelling(w, "导入主体");
    ClickCancelling(w, "保存");

    QCOMPARE(w.box("客体图片")->image(), before);
    QCOMPARE(w.box("客体图片")->pos(), place);
    QVERIFY(!w.box("取样图片")->hasPicture());
    QCOMPARE(w.form.targetPath(), path.toStdString());
    QCOMPARE(w.form.dialogSettings().fileName, dir.filePath(QStringLiteral("photo_校正.bmp")).toStdString());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"photo.bmp"});
    QVERIFY(w.messages.shown.empty());
}

void TestImportSave::brokenFileKeepsPicture_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("file");
    for (const char *button : {"导入客体", "导入主体"}) {
        QTest::addRow("%s garbage", button) << QString::fromUtf8(button) << QStringLiteral(TEST_DATA_DIR "/garbage.jpg");
        QTest::addRow("%s truncated", button) << QString::fromUtf8(button) << QStringLiteral(TEST_DATA_DIR "/truncated.bmp");
        QTest::addRow("%s missing", button) << QString::fromUtf8(button) << QStringLiteral(TEST_DATA_DIR "/gone.jpg");
        QTest::addRow("%s folder", button) << QString::fromUtf8(button) << QStringLiteral(TEST_DATA_DIR);
    }
}

void TestImportSave::brokenFileKeepsPicture()
{
    QFETCH(QString, button);
    QFETCH(QString, file);
    QTemporaryDir dir;
    fakes::WindowRig w;
    const QString good = WritePicture(dir, "good.bmp", {30, 20});
    ClickAnswering(w, "导入客体", good);
    ClickAnswering(w, "导入主体", good);
    const QImage target = w.box("客体图片")->image();
    const QImage reference = w.box("取样图片")->image();

    ClickAnswering(w, button.toUtf8().constData(), file);

    QCOMPARE(w.messages.shown.size(), size_t(1));
    const QString message = QString::fromStdString(w.messages.shown[0].text);
    QVERIFY2(message.contains(file) && message.startsWith(QStringLiteral("无法打开图片")), qPrintable(message));
    QCOMPARE(w.messages.shown[0].title, "Velmora");
    QCOMPARE(w.box("客体图片")->image(), target);
    QCOMPARE(w.box("取样图片")->image(), reference);
    QCOMPARE(w.form.targetPath(), good.toStdString());
}

// A colour profile that cannot be used never blocks the photo: it is shown, then the window says so.
void TestImportSave::brokenProfileShownWithMessage()
{
    QTemporaryDir dir;
    fakes::WindowRig w;
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(qRgb(200, 120, 90));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(image.save(&buffer, "JPG", 95));
    const QByteArray profile = QByteArray("\xFF\xE2\x01\x10ICC_PROFILE\0\x01\x01", 18) + QByteArray(256, '\x11');
    const QString path = dir.filePath(QStringLiteral("tagged.jpg"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(jpeg.left(2) + profile + jpeg.mid(2));
    file.close();

    ClickAnswering(w, "导入客体", path);

    QCOMPARE(w.box("客体图片")->image().size(), QSize(40, 30));
    QCOMPARE(w.messages.shown.size(), size_t(1));
    QCOMPARE(QString::fromStdString(w.messages.shown[0].text), text::ProfileIgnoredMessage(path));
}

// 刷新 throws a correction away: the file's pixels come back where the picture stands.
void TestImportSave::refreshRestoresInPlace()
{
    QTemporaryDir dir;
    fakes::WindowRig w;
    const QString path = WritePicture(dir, "photo.bmp", {6, 4});
    ClickAnswering(w, "导入客体", path);
    PictureBox *box = w.box("客体图片");
    box->move(17, 23);
    const QImage original = box->image();
    TypeDifferences(w, "30", "0", "-5"); // every gain above -1, which would blacken a channel
    w.button("校正")->click();
    QVERIFY(box->image() != original);

    w.button("校正点")->click();
    QCOMPARE(box->image(), original);
    QCOMPARE(box->pos(), QPoint(17, 23));
    QCOMPARE(w.text("红"), QStringLiteral("30"));
    QCOMPARE(w.text("蓝"), QStringLiteral("-5"));
    QCOMPARE(w.picker.seen.size(), size_t(1)); // no dialog for a refresh
}

void TestImportSave::refreshBeforeAnyImport()
{
    fakes::WindowRig w;
    PictureBox *box = w.box("客体图片");
    const QImage blank = box->image();
    TypeDifferences(w, "30", "30", "30");
    w.button("校正")->click();
    QVERIFY(box->image() != blank); // the pass ran over the empty drawing area
    w.button("校正点")->click();
    QCOMPARE(box->image(), blank);
    QVERIFY(w.messages.shown.empty());
}

void TestImportSave::saveNamingAndContent_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QByteArray>("signature");
    const QByteArray bmp("BM"), png("\x89PNG"), jpeg("\xFF\xD8\xFF"), tiff("II*\0"), webp("RIFF");
    QTest::newRow("bare name") << "corrected" << 0 << "corrected.bmp" << bmp;
    QTest::newRow("name ending in .bmp") << "saved.bmp" << 0 << "saved.bmp" << bmp;
    QTest::newRow("name ending in .BMP") << "SAVED.BMP" << 0 << "SAVED.BMP" << bmp;
    QTest::newRow("chinese name") << "照片" << 0 << "照片.bmp" << bmp;
    QTest::newRow("other dot in the name") << "photo.v2" << 0 << "photo.v2.bmp" << bmp;
    QTest::newRow("typed .png, BMP filter") << "name.png" << 1 << "name.png" << png;
    QTest::newRow("typed .Jpeg, BMP filter") << "name.Jpeg" << 1 << "name.Jpeg" << jpeg;
    QTest::newRow("PNG filter") << "corrected" << 2 << "corrected.png" << png;
    QTest::newRow("JPEG filter") << "corrected" << 3 << "corrected.jpg" << jpeg;
    QTest::newRow("TIFF filter") << "corrected" << 4 << "corrected.tif" << tiff;
    QTest::newRow("WebP filter") << "corrected" << 5 << "corrected.webp" << webp;
    QTest::newRow("typed .bmp, WebP filter") << "name.bmp" << 5 << "name.bmp" << bmp;
}

// The saved bitmap reads back as the corrected picture, whatever name was typed.
void TestImportSave::saveNamingAndContent()
{
    QFETCH(QString, typed);
    QFETCH(int, filter);
    QFETCH(QString, written);
    QFETCH(QByteArray, signature);
    QTemporaryDir dir;
    fakes::WindowRig w;
    QImage photo(7, 5, QImage::Format_RGB32);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            photo.setPixel(x, y, qRgb(30 * x, 40 * y, 100));
    const QString path = dir.filePath(QStringLiteral("photo.bmp"));
    photo.save(path, "BMP");
    ClickAnswering(w, "导入客体", path);
    TypeDifferences(w, "40", "-5", "10"); // every gain above -1, which would blacken a channel
    w.button("校正")->click();
    const QImage corrected = w.box("客体图片")->image();
    QVERIFY(corrected != photo);

    for (int i = 0; i < 2; ++i) { // twice under one name: the same file both times
        SaveAnswering(w, dir.filePath(typed), filter);
        QCOMPARE(w.picker.seen.back().first.filterIndex, 1); // BMP is chosen at the start of every save
    }
    QVERIFY(w.messages.shown.empty());
    QFile file(dir.filePath(written));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(signature.size()) == signature);
    if (!written.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive)
        && !written.endsWith(QLatin1String(".jpeg"), Qt::CaseInsensitive)) {
        QCOMPARE(fakes::FirstDifference(QImage(dir.filePath(written)), corrected), QString());
    }
    QStringList files = QDir(dir.path()).entryList(QDir::Files);
    files.sort();
    QStringList expectedFiles{"photo.bmp", written};
    expectedFiles.sort();
    QCOMPARE(files, expectedFiles);
}

void TestImportSave::saveIntoUnwritableFolder()
{
    QTemporaryDir dir;
    fakes::WindowRig w;
    const QString target = dir.filePath(QStringLiteral("missing/photo"));
    SaveAnswering(w, target);
    QCOMPARE(w.messages.shown.size(), size_t(1));
    const QString message = QString::fromStdString(w.messages.shown[0].text);
    QVERIFY2(message.startsWith(QStringLiteral("无法保存图片")) && message.contains(target + ".bmp")
                 && message.contains(QStringLiteral("文件夹不存在")),
             qPrintable(message));
    QVERIFY(!QFile::exists(target + ".bmp"));
    QVERIFY(w.button("保存")->isEnabled());
}

// An import between rows: the rows left run over the new photo, within the bounds fixed at the start.
void TestImportSave::importDuringPass()
{
    QTemporaryDir dir;
    fakes::WindowRig w;
    ClickAnswering(w, "导入客体", WritePicture(dir, "first.bmp", {4, 6}));
    const QString second = WritePicture(dir, "second.bmp", {8, 3}, qRgb(100, 100, 100));
    TypeDifferences(w, "50", "0", "0");
    w.loop.betweenRows = [&](int call) {
        if (call == 2) {
            ClickAnswering(w, "导入客体", second);
        }
    };
    w.button("校正")->click();
    const QImage &now = w.box("客体图片")->image();
    QCOMPARE(now.size(), QSize(8, 3));
    QCOMPARE(w.loop.calls, 6);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool rewritten = y == 2 && x < 4;
            QVERIFY2((now.pixel(x, y) != qRgb(100, 100, 100)) == rewritten, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        }
    QCOMPARE(w.form.targetPath(), second.toStdString());
}

QTEST_MAIN(TestImportSave)
#include "tst_import_save.moc"
