// Velmora tests — the file dialog as the user meets it: filters whatever the case, where it starts.
#include <QtTest>

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPushButton>

#include <atomic>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ui/desktop/qt_services.h"
#include "picture/process_setup.h"
#include "ui/desktop/startup.h"
#include "io/picture_format.h"
#include "ui/window/window_texts.h"

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

// Notices when anything in this process opens one of the FIFOs to read, and lets that open go
// on at once (a reader blocked in open() returns, then reads end-of-file), so a dialog that
// reads what it lists fails the test instead of hanging it.
class FifoWatch {
public:
    explicit FifoWatch(QStringList paths) : m_paths(std::move(paths))
    {
        m_thread = std::thread([this] {
            while (!m_stop) {
                for (const QString &path : m_paths) {
                    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
                    if (fd >= 0) { // only succeeds while someone holds it open to read
                        m_opened = true;
                        ::close(fd);
                    }
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
    }
    ~FifoWatch()
    {
        m_stop = true;
        m_thread.join();
    }
    bool opened() const { return m_opened; }

private:
    QStringList m_paths;
    std::atomic<bool> m_stop = false;
    std::atomic<bool> m_opened = false;
    std::thread m_thread;
};

QString ByNameType(const char *mime) { return QMimeDatabase().mimeTypeForName(QLatin1String(mime)).comment(); }
// Which dialog round is running: a wait left over from an earlier round stops.
int g_round = 0;

// Runs `action` on the modal window once it is a `W`, polling the event loop as the user would wait.
template <typename W>
void WhenModal(std::function<void(W *)> action, int triesLeft = 500)
{
    const int round = g_round;
    QTimer::singleShot(10, [action, triesLeft, round] {
        if (round != g_round)
            return;
        auto *w = qobject_cast<W *>(QApplication::activeModalWidget());
        if (w && w->isVisible())
            action(w);
        else if (triesLeft > 0)
            WhenModal<W>(action, triesLeft - 1);
    });
}

// Types `name` into the save dialog, chooses filter `filter` (1-based) and presses its accept button.
void TypeAndAccept(QFileDialog *dialog, const QString &name, int filter)
{
    dialog->selectNameFilter(dialog->nameFilters().value(filter - 1));
    dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(name);
    QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
}

struct Answered {
    std::optional<std::string> picked;
    QString question;      // the replace question, when one was asked
    bool dialogStayed = false;
};

// Saves under `typed` with filter `filter`, answering a replace question with `answer` and then
// cancelling the file dialog if it is still open.
Answered SaveThroughDialog(DialogSettings &settings, const QString &typed, int filter, QMessageBox::StandardButton answer)
{
    ++g_round;
    auto result = std::make_shared<Answered>();
    WhenModal<QFileDialog>([=](QFileDialog *dialog) {
        TypeAndAccept(dialog, typed, filter);
        WhenModal<QMessageBox>([=](QMessageBox *box) {
            result->question = box->text();
            box->button(answer)->click();
            WhenModal<QFileDialog>([=](QFileDialog *stillOpen) {
                result->dialogStayed = true;
                stillOpen->reject();
            }, 50);
        }, 100);
    });
    QtFilePicker picker;
    result->picked = picker.pick(settings, DialogPurpose::Save);
    return *result;
}

} // namespace

class TestFileDialog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ConfigureProcess(); ConfigureApplication(); }
    void filtersIgnoreCase_data();
    void filtersIgnoreCase();
    void filterChoicesReadAsWritten();
    void openFilterListsTheTable();
    void startFolder_data();
    void startFolder();
    void typesFromNamesOnly();
    void replaceQuestion_data();
    void replaceQuestion();
};

void TestFileDialog::filtersIgnoreCase_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("listed");
    const QString open = QString::fromStdString(text::OpenFilter());
    // 所有图片 first, then the table's order: JPEG, PNG, BMP, GIF, ICO, TIFF, WebP.
    QTest::newRow("all pictures") << open << 1
                                  << QStringList{"Holiday.JPG", "Mixed.Bmp", "PHOTO.BMP", "Scan.TIFF", "app.ICO",
                                                 "face.jpg", "photo.bmp", "scan.Jpeg", "shot.WebP", "tile.Png"};
    QTest::newRow("JPEG, both endings") << open << 2 << QStringList{"Holiday.JPG", "face.jpg", "scan.Jpeg"};
    QTest::newRow("PNG") << open << 3 << QStringList{"tile.Png"};
    QTest::newRow("BMP") << open << 4 << QStringList{"Mixed.Bmp", "PHOTO.BMP", "photo.bmp"};
    QTest::newRow("ico") << open << 6 << QStringList{"app.ICO"};
    QTest::newRow("TIFF") << open << 7 << QStringList{"Scan.TIFF"};
    QTest::newRow("save") << QString::fromStdString(text::SaveFilter()) << 1
                          << QStringList{"Mixed.Bmp", "PHOTO.BMP", "photo.bmp"};
    QTest::newRow("save JPEG, two patterns") << QString::fromStdString(text::SaveFilter()) << 3
                                             << QStringList{"Holiday.JPG", "face.jpg", "scan.Jpeg"};
    QTest::newRow("save WebP") << QString::fromStdString(text::SaveFilter()) << 5 << QStringList{"shot.WebP"};
}

void TestFileDialog::filtersIgnoreCase()
{
    QFETCH(QString, filter);
    QFETCH(int, index);
    QFETCH(QStringList, listed);
    QTemporaryDir dir;
    for (const char *name : {"photo.bmp", "PHOTO.BMP", "Mixed.Bmp", "face.jpg", "Holiday.JPG", "app.ICO", "notes.txt", "scan.Jpeg",
                             "shot.WebP", "tile.Png", "Scan.TIFF", "photo.jpg.txt"})
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
    settings.filter = text::OpenFilter();
    settings.filterIndex = 2;
    settings.initDir = dir.path().toStdString();
    settings.fileName = dir.filePath(QStringLiteral("photo.jpg")).toStdString();
    QFileDialog dialog;
    ConfigureFileDialog(dialog, settings, DialogPurpose::Save);
    auto *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
    QStringList shown;
    for (int i = 0; i < types->count(); ++i)
        shown << types->itemText(i);
    QCOMPARE(shown, (QStringList{"所有图片", "JPEG图像(*.JPG;*.JPEG)", "PNG图像(*.PNG)", "BMP图像(*.BMP)", "GIF图像(*.GIF)",
                                 "ICO图像(*.ICO)", "TIFF图像(*.TIF;*.TIFF)", "WebP图像(*.WEBP)", "HEIF图像(*.HEIC;*.HEIF;*.HIF)",
                                 "AVIF图像(*.AVIF)"}));
    QCOMPARE(types->currentText(), QStringLiteral("JPEG图像(*.JPG;*.JPEG)"));
    QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(dialog.selectedFiles().value(0), dir.filePath(QStringLiteral("photo.jpg")));
}

// Every ending of the format table, in upper and lower case, is listed by 所有图片 and by its
// format's own filter; nothing else is.
void TestFileDialog::openFilterListsTheTable()
{
    QTemporaryDir dir;
    QStringList all;
    for (const FormatInfo &info : PictureFormats())
        for (const std::string_view ending : info.endings)
            for (const QString &name : {QStringLiteral("a.") + QString::fromLatin1(ending.data(), ending.size()),
                                        QStringLiteral("B.") + QString::fromLatin1(ending.data(), ending.size()).toUpper()}) {
                Touch(dir.filePath(name));
                all << name;
            }
    Touch(dir.filePath(QStringLiteral("notes.txt")));
    all.sort();
    DialogSettings settings;
    settings.filter = text::OpenFilter();
    settings.initDir = dir.path().toStdString();
    for (int index = 1; index <= int(PictureFormats().size()) + 1; ++index) {
        QStringList expected = all;
        if (index > 1) {
            const FormatInfo &info = PictureFormats()[std::size_t(index - 2)];
            expected.removeIf([&](const QString &name) { return FormatOfPath(name.toStdString()) != info.format; });
        }
        settings.filterIndex = index;
        QFileDialog dialog;
        ConfigureFileDialog(dialog, settings, DialogPurpose::Open);
        QTRY_COMPARE(Listed(dialog), expected);
    }
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

// The dialog names each file's type from its name: it never opens a file to look inside, so a
// FIFO, a device or /proc/kmsg in the folder cannot block it. A PNG without an extension shows as
// an unknown file, a PNG named .bmp as a bitmap, and the FIFOs are never opened, even when one's
// path is typed into the name field and chosen.
void TestFileDialog::typesFromNamesOnly()
{
    QTemporaryDir dir;
    const QByteArray png = QByteArray::fromHex("89504e470d0a1a0a0000000d49484452");
    for (const char *name : {"photo", "picture.bmp"}) {
        QFile f(dir.filePath(QLatin1String(name)));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(png) == png.size());
    }
    const QStringList fifos{dir.filePath(QStringLiteral("pipe.bmp")), dir.filePath(QStringLiteral("kmsg"))};
    for (const QString &fifo : fifos)
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    FifoWatch watch(fifos);
    DialogSettings settings;
    settings.filter = "all|*";
    settings.filterIndex = 1;
    settings.initDir = dir.path().toStdString();
    QFileDialog dialog;
    ConfigureFileDialog(dialog, settings, DialogPurpose::Open);
    dialog.show();
    QTRY_COMPARE(Listed(dialog), (QStringList{"photo", "picture.bmp"})); // special files are not listed
    auto *model = dialog.findChild<QFileSystemModel *>();
    QVERIFY(model);
    auto typeOf = [&](const char *name) { return model->type(model->index(dir.filePath(QLatin1String(name)))); };
    QTRY_COMPARE(typeOf("picture.bmp"), ByNameType("image/bmp"));
    QTRY_VERIFY(!typeOf("photo").isEmpty());
    QVERIFY(typeOf("photo") != ByNameType("image/png"));
    auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(name);
    QTest::keyClicks(name, fifos[1]);
    QTest::keyClick(name, Qt::Key_Return);
    QTRY_VERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.selectedFiles().value(0), fifos[1]);
    QVERIFY2(!watch.opened(), "the dialog opened a FIFO it was listing");
}

void TestFileDialog::replaceQuestion_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("filter");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("askedAbout"); // empty: no question
    QTest::addColumn<bool>("picked");
    const int yes = QMessageBox::Yes, no = QMessageBox::No;
    QTest::newRow("completed name exists, no") << "photo" << 1 << no << "photo.bmp" << false;
    QTest::newRow("completed name exists, yes") << "photo" << 1 << yes << "photo.bmp" << true;
    QTest::newRow("typed name exists, no") << "photo.bmp" << 3 << no << "photo.bmp" << false;
    QTest::newRow("other case exists") << "PHOTO.BMP" << 1 << no << "" << true;
    QTest::newRow("other format's name is free") << "photo" << 2 << no << "" << true;
    QTest::newRow("new name") << "fresh" << 1 << no << "" << true;
}

// Saving onto an existing file asks first, with the dialog's own question, about the name that will
// really be written; "no" leaves the file as it was and the dialog open.
void TestFileDialog::replaceQuestion()
{
    QFETCH(QString, typed);
    QFETCH(int, filter);
    QFETCH(int, answer);
    QFETCH(QString, askedAbout);
    QFETCH(bool, picked);
    QTemporaryDir dir;
    {
        QFile existing(dir.filePath(QStringLiteral("photo.bmp")));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("an earlier photo");
    }
    DialogSettings settings;
    settings.filter = text::SaveFilter();
    settings.filterIndex = 1;
    settings.initDir = dir.path().toStdString();
    const Answered answered = SaveThroughDialog(settings, typed, filter, QMessageBox::StandardButton(answer));

    if (askedAbout.isEmpty()) {
        QCOMPARE(answered.question, QString());
    } else {
        QCOMPARE(answered.question, QFileDialog::tr("%1 already exists.\nDo you want to replace it?").arg(askedAbout));
        QVERIFY2(!answered.question.contains(QLatin1String("already exists")), qPrintable(answered.question));
    }
    QCOMPARE(answered.picked.has_value(), picked);
    QCOMPARE(answered.dialogStayed, !picked);
    if (picked) {
        QCOMPARE(QString::fromStdString(*answered.picked), dir.filePath(typed));
        QCOMPARE(settings.filterIndex, filter);
    }
    QFile existing(dir.filePath(QStringLiteral("photo.bmp")));
    QVERIFY(existing.open(QIODevice::ReadOnly));
    QCOMPARE(existing.readAll(), QByteArray("an earlier photo"));
}

QTEST_MAIN(TestFileDialog)
#include "tst_file_dialog.moc"
