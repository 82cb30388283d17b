// Velmora tests — the file dialog as the user meets it: filters whatever the case, where it starts.
#include <QtTest>

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileDialog>

#include "platform/qt/qt_services.h"
#include "ui/startup.h"
#include "ui/window_texts.h"

using namespace velmora;

namespace {

void Touch(const QString &path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

// The names the dialog's file list shows, once it has read the folder.
QStringList Listed(QFileDialog &dialog)
{
    auto *view = dialog.findChild<QAbstractItemView *>(QStringLiteral("listView"));
    QAbstractItemModel *model = view->model();
    QStringList names;
    for (int row = 0; row < model->rowCount(view->rootIndex()); ++row)
        names << model->index(row, 0, view->rootIndex()).data().toString();
    names.sort();
    return names;
}

} // namespace

class TestFileDialog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ConfigureApplication(); }
    void filtersIgnoreCase_data();
    void filtersIgnoreCase();
    void filterChoicesReadAsWritten();
    void startFolder_data();
    void startFolder();
};

void TestFileDialog::filtersIgnoreCase_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("BMP") << QString::fromUtf8(text::kOpenFilter) << 1
                         << QStringList{"Mixed.Bmp", "PHOTO.BMP", "photo.bmp"};
    QTest::newRow("jpg") << QString::fromUtf8(text::kOpenFilter) << 2 << QStringList{"Holiday.JPG", "face.jpg"};
    QTest::newRow("ico") << QString::fromUtf8(text::kOpenFilter) << 4 << QStringList{"app.ICO"};
    QTest::newRow("save") << QString::fromUtf8(text::kSaveFilter) << 1
                          << QStringList{"Mixed.Bmp", "PHOTO.BMP", "photo.bmp"};
}

void TestFileDialog::filtersIgnoreCase()
{
    QFETCH(QString, filter);
    QFETCH(int, index);
    QFETCH(QStringList, listed);
    QTemporaryDir dir;
    for (const char *name : {"photo.bmp", "PHOTO.BMP", "Mixed.Bmp", "face.jpg", "Holiday.JPG", "app.ICO", "notes.txt"})
        Touch(dir.filePath(QString::fromUtf8(name)));
    DialogSettings settings;
    settings.filter = filter.toStdString();
    settings.filterIndex = index;
    settings.initDir = dir.path().toStdString();
    QFileDialog dialog;
    ConfigureFileDialog(dialog, settings, DialogPurpose::Open);
    QTRY_COMPARE(Listed(dialog), listed);
}

// The choices read exactly as the filter names them, the chosen one selected, the last name kept.
void TestFileDialog::filterChoicesReadAsWritten()
{
    QTemporaryDir dir;
    DialogSettings settings;
    settings.filter = text::kOpenFilter;
    settings.filterIndex = 2;
    settings.initDir = dir.path().toStdString();
    settings.fileName = dir.filePath(QStringLiteral("photo.jpg")).toStdString();
    QFileDialog dialog;
    ConfigureFileDialog(dialog, settings, DialogPurpose::Save);
    auto *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
    QStringList shown;
    for (int i = 0; i < types->count(); ++i)
        shown << types->itemText(i);
    QCOMPARE(shown, (QStringList{"BMP图像(*.BMP)", "JPG图像(*.jpg)", "GIF图像(*.gif)", "ICO图像(*.ico)"}));
    QCOMPARE(types->currentText(), QStringLiteral("JPG图像(*.jpg)"));
    QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(dialog.selectedFiles().value(0), dir.filePath(QStringLiteral("photo.jpg")));
}

void TestFileDialog::startFolder_data()
{
    QTest::addColumn<bool>("hasPictures");
    QTest::newRow("with a Pictures folder") << true;
    QTest::newRow("without one") << false;
}

void TestFileDialog::startFolder()
{
    QFETCH(bool, hasPictures);
    QTemporaryDir home;
    const QByteArray savedHome = qgetenv("HOME");
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")).toUtf8());
    if (hasPictures)
        QVERIFY(QDir(home.path()).mkdir(QStringLiteral("Pictures")));
    const QString folder = StartFolder("d:");
    qputenv("HOME", savedHome);
    qputenv("XDG_CONFIG_HOME", savedConfig);
    QCOMPARE(folder, hasPictures ? home.filePath(QStringLiteral("Pictures")) : home.path());
    QCOMPARE(StartFolder("/somewhere/else"), QStringLiteral("/somewhere/else"));
}

QTEST_MAIN(TestFileDialog)
#include "tst_file_dialog.moc"
