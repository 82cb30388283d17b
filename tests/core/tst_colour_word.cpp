// Velmora tests — the colour word and its channels.
#include <QtTest>

#include "core/colour_word.h"

using namespace velmora;

class TestColourWord : public QObject {
    Q_OBJECT

private slots:
    void splitColour_data();
    void splitColour();
    void composeColourInvertsSplit();
};

void TestColourWord::splitColour_data()
{
    QTest::addColumn<int>("word");
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::newRow("bytes 12 34 56") << 0x123456 << 86 << 52 << 18;
    QTest::newRow("outside answer -1") << -1 << -1 << -1 << 255;
    QTest::newRow("black") << 0 << 0 << 0 << 0;
    QTest::newRow("white") << 0xFFFFFF << 255 << 255 << 255;
    QTest::newRow("pure blue") << 0xFF0000 << 0 << 0 << 255;
    QTest::newRow("green and red high") << 0x00FFFF << 255 << 255 << 0;
}

void TestColourWord::splitColour()
{
    QFETCH(int, word);
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    QCOMPARE(SplitColour(word), (Channels{red, green, blue}));
}

void TestColourWord::composeColourInvertsSplit()
{
    // Every real pixel: masking bytes and the signed arithmetic must agree.
    for (ColourWord w = 0; w <= 0xFFFFFF; w += 997) {
        const Channels c = SplitColour(w);
        QCOMPARE(c, (Channels{w & 0xFF, (w >> 8) & 0xFF, (w >> 16) & 0xFF}));
        QCOMPARE(ComposeColour(std::int16_t(c.red), std::int16_t(c.green), std::int16_t(c.blue)), w);
    }
}

QTEST_GUILESS_MAIN(TestColourWord)
#include "tst_colour_word.moc"
