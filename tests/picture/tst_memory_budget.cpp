// Velmora tests — the process's memory budget: photos reserving at once never hold more than the
// budget between them, one larger than the budget runs alone, and what a photo reserves comes from
// the size its header claims (files made by ImageMagick), without blocking on a FIFO.
#include <QtTest>

#include "support/tools.h"

#include <atomic>
#include <random>
#include <thread>

#include <sys/stat.h>

#include "picture/memory_budget.h"

using namespace velmora;

namespace {

// Made by ImageMagick from a gradient of width × height; empty when it failed.
QString Convert(const QString &path, int width, int height, const QStringList &options)
{
    const QStringList arguments = QStringList{"-size", QStringLiteral("%1x%2").arg(width).arg(height), "gradient:red-blue"}
                                  + options + QStringList{path};
    return fakes::RunProgram("convert", arguments).ok() ? path : QString();
}

} // namespace

class TestMemoryBudget : public QObject {
    Q_OBJECT

private slots:
    void neverMoreThanTheBudget();
    void needsFromTheHeader_data();
    void needsFromTheHeader();
    void nothingToReadNeedsNothing();
};

// Eight jobs reserving and giving back at random, some more than the whole budget: what they hold at
// once, counted by the jobs themselves, never passes it, and every job gets its turn.
void TestMemoryBudget::neverMoreThanTheBudget()
{
    constexpr qint64 kTotal = 1000;
    MemoryBudget budget(kTotal);
    std::atomic<qint64> holding{0}, most{0};
    std::atomic<int> done{0}, oversized{0};
    std::vector<std::thread> jobs;
    for (int j = 0; j < 8; ++j)
        jobs.emplace_back([&, j] {
            std::mt19937 random{unsigned(j)};
            for (int i = 0; i < 300; ++i) {
                const qint64 wanted = std::uniform_int_distribution<qint64>(1, 1500)(random);
                MemoryBudget::Reservation memory = budget.reserve(wanted);
                if (memory.bytes() != std::min(wanted, kTotal))
                    return;
                oversized += wanted > kTotal;
                const qint64 now = holding += memory.bytes();
                for (qint64 seen = most; now > seen && !most.compare_exchange_weak(seen, now);) {
                }
                // Held a while, so that the others come to reserve meanwhile.
                for (int k = 0; k < 200; ++k)
                    std::this_thread::yield();
                holding -= memory.bytes();
            }
            ++done;
        });
    for (std::thread &job : jobs)
        job.join();
    QCOMPARE(done.load(), 8);
    QVERIFY(oversized > 0);
    QVERIFY2(most <= kTotal, qPrintable(QString::number(most)));
    QCOMPARE(budget.held(), qint64(0));
}

void TestMemoryBudget::needsFromTheHeader_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<double>("coefficientBytesPerPixel"); // progressive JPEGs: 2 bytes a sample
    QTest::addColumn<bool>("banded");
    QTest::newRow("PNG") << QStringList{} << "png" << 0.0 << false;
    QTest::newRow("16-bit PNG") << QStringList{"-depth", "16"} << "png" << 0.0 << false;
    QTest::newRow("TIFF") << QStringList{"-compress", "lzw"} << "tif" << 0.0 << false;
    QTest::newRow("BMP") << QStringList{} << "bmp" << 0.0 << false;
    QTest::newRow("JPEG 4:2:0") << QStringList{"-sampling-factor", "2x2"} << "jpg" << 0.0 << true;
    QTest::newRow("progressive JPEG 4:2:0")
        << QStringList{"-interlace", "JPEG", "-sampling-factor", "2x2"} << "jpg" << 3.0 << true;
    QTest::newRow("progressive JPEG 4:4:4")
        << QStringList{"-interlace", "JPEG", "-sampling-factor", "1x1"} << "jpg" << 6.0 << true;
    QTest::newRow("progressive grey JPEG")
        << QStringList{"-colorspace", "Gray", "-interlace", "JPEG"} << "jpg" << 2.0 << true;
}

void TestMemoryBudget::needsFromTheHeader()
{
    QFETCH(QStringList, options);
    QFETCH(QString, suffix);
    QFETCH(double, coefficientBytesPerPixel);
    QFETCH(bool, banded);
    constexpr int kWidth = 321, kHeight = 203;
    constexpr qint64 kPixels = qint64{kWidth} * kHeight;
    QTemporaryDir dir;
    const QString path = Convert(dir.filePath("photo." + suffix), kWidth, kHeight, options);
    QVERIFY(!path.isEmpty());
    const qint64 fileBytes = QFileInfo(path).size();
    const QByteArray name = QFile::encodeName(path);
    const qint64 coefficients = qint64(kPixels * coefficientBytesPerPixel);
    // The file, the 32-bit picture, one full-size copy, and a progressive JPEG's coefficients.
    QCOMPARE(WholePictureNeeds(name), fileBytes + 2 * kPixels * 4 + coefficients);
    if (banded)
        QCOMPARE(BandedJpegNeeds(name), coefficients ? coefficients : qint64{kWidth} * 256 * 4);
}

void TestMemoryBudget::nothingToReadNeedsNothing()
{
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.filePath("fifo.png"));
    QVERIFY(::mkfifo(fifo.constData(), 0600) == 0);
    QCOMPARE(WholePictureNeeds(fifo), qint64(0)); // returns at once: nobody writes the FIFO
    QCOMPARE(BandedJpegNeeds(fifo), qint64(0));
    QCOMPARE(WholePictureNeeds(QFile::encodeName(dir.filePath("missing.png"))), qint64(0));
    // Not a picture: only its bytes, which the loader reads before refusing it.
    const QString text = dir.filePath("notes.jpg");
    QFile file(text);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(5000, 'x')) == 5000);
    file.close();
    QCOMPARE(WholePictureNeeds(QFile::encodeName(text)), qint64(5000));
    QCOMPARE(BandedJpegNeeds(QFile::encodeName(text)), qint64(0));
}

QTEST_MAIN(TestMemoryBudget)
#include "tst_memory_budget.moc"
