// Velmora tests — a GIF is whole only when its first frame's pixels are all there: every cut of
// a GIF before that frame's end is caught, whole files and files with more after them pass.
#include <QtTest>

#include "support/files.h"
#include "support/tools.h"

#include "picture/gif_check.h"

using namespace velmora;

namespace {

// A GIF made by ImageMagick from its arguments; empty when convert fails.
QByteArray ImageMagickGif(const QStringList &arguments)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("made.gif"));
    if (!fakes::RunProgram(QStringLiteral("convert"), arguments + QStringList{path}, QByteArray(), 30000).ok())
        return {};
    return fakes::Read(path);
}

// Packs codes least significant bit first, as GIF does.
class CodeWriter {
public:
    void put(int code, int size)
    {
        m_buffer |= quint32(code) << m_bits;
        m_bits += size;
        while (m_bits >= 8) {
            m_out.append(char(m_buffer & 0xFF));
            m_buffer >>= 8;
            m_bits -= 8;
        }
    }
    QByteArray finish()
    {
        if (m_bits > 0)
            m_out.append(char(m_buffer & 0xFF));
        return m_out;
    }

private:
    QByteArray m_out;
    quint32 m_buffer = 0;
    int m_bits = 0;
};

// A 4-colour GIF of width × height whose data gives `pixels` pixels, written without compression:
// a clear code before every two pixels keeps the table, and so the 3-bit code size, from growing.
// With `futureCode`, the third code names a table entry not yet made.
QByteArray HandMadeGif(int width, int height, int pixels, bool futureCode = false)
{
    QByteArray gif("GIF89a");
    auto put16 = [&](int v) { gif.append(char(v & 0xFF)).append(char(v >> 8)); };
    put16(width);
    put16(height);
    gif.append(char(0x81)).append('\0').append('\0');
    gif.append(QByteArray::fromHex("000000ffffffff000000ff00"));
    gif.append(char(0x2C));
    put16(0);
    put16(0);
    put16(width);
    put16(height);
    gif.append('\0').append(char(2));
    CodeWriter codes;
    for (int i = 0; i < pixels; ++i) {
        if (i % 2 == 0)
            codes.put(4, 3);
        codes.put(futureCode && i == 1 ? 7 : i % 4, 3);
    }
    codes.put(5, 3);
    const QByteArray data = codes.finish();
    for (qsizetype at = 0; at < data.size(); at += 255) {
        const QByteArray block = data.mid(at, 255);
        gif.append(char(block.size())).append(block);
    }
    return gif.append('\0').append(';');
}

} // namespace

class TestGifCheck : public QObject {
    Q_OBJECT

private slots:
    void everyCutRefused_data();
    void everyCutRefused();
    void laterFramesDoNotMatter();
    void brokenFrames_data();
    void brokenFrames();
};

// A one-frame GIF ends in the frame's zero terminator and the trailer: every shorter cut is
// missing part of the frame.
void TestGifCheck::everyCutRefused_data()
{
    QTest::addColumn<QByteArray>("gif");
    QTest::newRow("transparent.gif") << fakes::Read(QStringLiteral(TEST_DATA_DIR "/transparent.gif"));
    QTest::newRow("hand-made 8 x 6") << HandMadeGif(8, 6, 48);
    QTest::newRow("hand-made 300 x 2, several blocks") << HandMadeGif(300, 2, 600);
    QTest::newRow("ImageMagick noise, table fills") << ImageMagickGif(
        {"-size", "97x83", "-seed", "7", "xc:", "+noise", "Random", "-colors", "256"});
    QTest::newRow("ImageMagick interlaced") << ImageMagickGif(
        {"-size", "40x30", "gradient:red-blue", "-colors", "64", "-interlace", "GIF"});
    QTest::newRow("ImageMagick two colours") << ImageMagickGif({"-size", "33x9", "pattern:checkerboard"});
}

void TestGifCheck::everyCutRefused()
{
    QFETCH(QByteArray, gif);
    QVERIFY(gif.size() > 20);
    QCOMPARE(gif.right(2), QByteArray("\0;", 2));
    QVERIFY(GifFirstFrameComplete(gif));
    QVERIFY(GifFirstFrameComplete(gif + QByteArray(500, '\x7F')));
    QVERIFY(GifFirstFrameComplete(gif.left(gif.size() - 1))); // only the trailer missing
    for (qsizetype n = 0; n < gif.size() - 1; ++n)
        QVERIFY2(!GifFirstFrameComplete(gif.left(n)), qPrintable(QString::number(n)));
}

// A cut in the second frame leaves the first whole. In anim.gif the first frame's terminator is
// byte 0x40 and the second frame's descriptor starts at 0x49.
void TestGifCheck::laterFramesDoNotMatter()
{
    const QByteArray anim = fakes::Read(QStringLiteral(TEST_DATA_DIR "/anim.gif"));
    QCOMPARE(anim.size(), 0x63);
    QCOMPARE(anim[0x40], '\0');
    QCOMPARE(anim[0x49], char(0x2C));
    for (qsizetype n = 0; n <= anim.size(); ++n)
        QVERIFY2(GifFirstFrameComplete(anim.left(n)) == (n > 0x40), qPrintable(QString::number(n)));
}

void TestGifCheck::brokenFrames_data()
{
    QTest::addColumn<QByteArray>("gif");
    QTest::newRow("data ends early, blocks intact") << HandMadeGif(8, 6, 47);
    QTest::newRow("code names an entry not yet made") << HandMadeGif(8, 6, 48, true);
    QByteArray trailerOnly = HandMadeGif(8, 6, 48);
    trailerOnly.truncate(13 + 12);
    QTest::newRow("trailer before any frame") << trailerOnly + ";";
    QByteArray zeroSized = HandMadeGif(8, 6, 48);
    zeroSized[13 + 12 + 5] = 0;
    zeroSized[13 + 12 + 6] = 0;
    QTest::newRow("frame of width 0") << zeroSized;
    QByteArray badCodeSize = HandMadeGif(8, 6, 48);
    badCodeSize[13 + 12 + 10] = 12;
    QTest::newRow("code size 12") << badCodeSize;
    QTest::newRow("not a GIF") << QByteArray("BM\0\0\0\0", 6);
}

void TestGifCheck::brokenFrames()
{
    QFETCH(QByteArray, gif);
    QVERIFY(!GifFirstFrameComplete(gif));
}

QTEST_GUILESS_MAIN(TestGifCheck)
#include "tst_gif_check.moc"
