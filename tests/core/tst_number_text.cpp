// Velmora tests — numbers written into and read back from the text fields.
#include <QtTest>

#include <cmath>
#include <limits>

#include "core/number_text.h"

using namespace velmora;

class TestNumberText : public QObject {
    Q_OBJECT

private slots:
    void realText_data();
    void realText();
    void singleText_data();
    void singleText();
    void integerText();
    void lenientValue_data();
    void lenientValue();
    void strictReadings_data();
    void strictReadings();
    void strictIntegerRoundsHalfToEven_data();
    void strictIntegerRoundsHalfToEven();
    void malformedBytesAreNoDigits_data();
    void malformedBytesAreNoDigits();
};

void TestNumberText::realText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("integral") << 27.0 << "27";
    QTest::newRow("negative integral") << -3.0 << "-3";
    QTest::newRow("half") << 0.5 << "0.5";
    QTest::newRow("0.1 minus 0.3") << 0.1 - 0.3 << "-0.2";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("fifteen digits") << 1.0 / 3 << "0.333333333333333";
    QTest::newRow("large uses exponent") << 1e20 << "1E+20";
    QTest::newRow("small uses exponent") << 1.5e-7 << "1.5E-07";
}

void TestNumberText::realText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(RealText(value)), text);
}

void TestNumberText::singleText_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("third") << 1.0f / 3 << "0.3333333";
    QTest::newRow("whole pixel") << 12.0f << "12";
    QTest::newRow("negative pixel") << -2.0f << "-2";
    QTest::newRow("fraction") << 12.5f << "12.5";
}

void TestNumberText::singleText()
{
    QFETCH(float, value);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(SingleText(value)), text);
}

void TestNumberText::integerText()
{
    QCOMPARE(IntegerText(0), "0");
    QCOMPARE(IntegerText(183), "183");
    QCOMPARE(IntegerText(-12), "-12");
}

void TestNumberText::lenientValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("letters") << "abc" << 0.0;
    QTest::newRow("integer") << "183" << 183.0;
    QTest::newRow("blanks inside") << "1 2" << 12.0;
    QTest::newRow("tabs and line feeds") << "\t1\n2 " << 12.0;
    QTest::newRow("digits then letters") << "12abc" << 12.0;
    QTest::newRow("negative") << "-12" << -12.0;
    QTest::newRow("plus sign") << "+7" << 7.0;
    QTest::newRow("fraction") << "0.25" << 0.25;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("negative exponent") << "25E-1" << 2.5;
    QTest::newRow("unfinished exponent") << "4e" << 4.0;
    QTest::newRow("hex") << "&H1F" << 31.0;
    QTest::newRow("hex lower case") << "&hff" << 255.0;
    QTest::newRow("octal") << "&O17" << 15.0;
    QTest::newRow("octal stops at 8") << "&O78" << 7.0;
    QTest::newRow("second point stops") << "1.2.3" << 1.2;
    QTest::newRow("sign alone") << "-" << 0.0;
    QTest::newRow("double sign") << "--5" << 0.0;
    QTest::newRow("zero text") << "0" << 0.0;
    QTest::newRow("chinese") << "红" << 0.0;
    // Typed with a full-width input method, or in another script's digits.
    QTest::newRow("full-width digits") << "１２" << 12.0;
    QTest::newRow("full-width sign, point, exponent") << "－１．５ｅ２" << -150.0;
    QTest::newRow("full-width plus and capital exponent") << "＋２５Ｅ－１" << 2.5;
    QTest::newRow("ideographic space ignored") << "１\u3000２" << 12.0;
    QTest::newRow("full-width hex") << "＆Ｈ１Ｆ" << 31.0;
    QTest::newRow("mixed widths") << "1２3" << 123.0;
    QTest::newRow("arabic-indic digits") << "\u0663\u0667" << 37.0;
    QTest::newRow("devanagari digits") << "\u0968\u096F" << 29.0;
    QTest::newRow("mathematical bold digits") << "\U0001D7D7\U0001D7CF" << 91.0;
    QTest::newRow("full-width letters stop") << "１２ａｂ" << 12.0;
    QTest::newRow("full-width letters only") << "ｘｙ" << 0.0;
    QTest::newRow("chinese numerals are not digits") << "十二" << 0.0;
}

void TestNumberText::lenientValue()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(LenientValue(text.toStdString()), value);
}

void TestNumberText::strictReadings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");
    QTest::newRow("integer") << "80" << true << 80.0;
    QTest::newRow("blanks around") << "  -12 " << true << -12.0;
    QTest::newRow("fraction") << "-0.2" << true << -0.2;
    QTest::newRow("trailing point") << "5." << true << 5.0;
    QTest::newRow("leading point") << ".5" << true << 0.5;
    QTest::newRow("exponent") << "1.5E2" << true << 150.0;
    QTest::newRow("exponent with sign") << "15e-1" << true << 1.5;
    QTest::newRow("plus sign") << "+3" << true << 3.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("blanks only") << "   " << false << 0.0;
    QTest::newRow("letters") << "abc" << false << 0.0;
    QTest::newRow("digits then letters") << "12abc" << false << 0.0;
    QTest::newRow("blank inside") << "1 2" << false << 0.0;
    QTest::newRow("point alone") << "." << false << 0.0;
    QTest::newRow("exponent without digits") << "1e" << false << 0.0;
    QTest::newRow("hex is not strict") << "&H10" << false << 0.0;
    QTest::newRow("grouping") << "1,000" << false << 0.0;
    QTest::newRow("too large for a real") << "1e400" << false << 0.0;
    QTest::newRow("too small reads zero") << "1e-400" << true << 0.0;
    QTest::newRow("full-width digits") << "１２" << true << 12.0;
    QTest::newRow("full-width sign, point, exponent") << "－０．２ｅ１" << true << -2.0;
    QTest::newRow("full-width plus and capital exponent") << "＋１．５Ｅ２" << true << 150.0;
    QTest::newRow("ideographic spaces around") << "\u3000８０\u3000" << true << 80.0;
    QTest::newRow("thai digits") << "\u0E54\u0E52" << true << 42.0;
    QTest::newRow("full-width digits then letters") << "１２ａｂｃ" << false << 0.0;
    QTest::newRow("full-width letter") << "ｘ" << false << 0.0;
    QTest::newRow("full-width comma") << "１，０００" << false << 0.0;
    QTest::newRow("chinese numerals") << "十二" << false << 0.0;
    QTest::newRow("superscript digit is no decimal digit") << "\u00B2" << false << 0.0;
}

void TestNumberText::strictReadings()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(double, value);
    const std::string s = text.toStdString();
    const std::optional<double> real = StrictReal(s);
    QCOMPARE(real.has_value(), valid);
    if (valid)
        QCOMPARE(*real, value);
    const std::optional<float> single = StrictSingle(s);
    QCOMPARE(single.has_value(), valid);
    if (valid)
        QCOMPARE(*single, static_cast<float>(value));
}

void TestNumberText::strictIntegerRoundsHalfToEven_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("half down to even") << "2.5" << true << 2;
    QTest::newRow("half up to even") << "3.5" << true << 4;
    QTest::newRow("negative half") << "-0.5" << true << 0;
    QTest::newRow("below half") << "1.49" << true << 1;
    QTest::newRow("largest") << "2147483647" << true << 2147483647;
    QTest::newRow("beyond 32 bits") << "2147483648" << false << 0;
    QTest::newRow("not a number") << "x" << false << 0;
    QTest::newRow("full-width") << "２．５" << true << 2;
}

void TestNumberText::strictIntegerRoundsHalfToEven()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    const auto result = StrictInteger(text.toStdString());
    QCOMPARE(result.has_value(), valid);
    if (valid)
        QCOMPARE(*result, value);
}

// Bytes that are no well-formed UTF-8 are never taken for digits, however close they come to one.
void TestNumberText::malformedBytesAreNoDigits_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("lenient");
    QTest::newRow("stray byte after a digit") << QByteArray("7\xff") << 7.0;
    QTest::newRow("full-width one cut short") << QByteArray("7\xef\xbc") << 7.0;
    QTest::newRow("full-width one without its lead") << QByteArray("\xbc\x91") << 0.0;
    // U+FF11 spelt in four bytes instead of three.
    QTest::newRow("overlong full-width one") << QByteArray("\xf0\x8f\xbc\x91") << 0.0;
    QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << 0.0;
}

void TestNumberText::malformedBytesAreNoDigits()
{
    QFETCH(QByteArray, text);
    QFETCH(double, lenient);
    const std::string s = text.toStdString();
    QCOMPARE(LenientValue(s), lenient);
    QVERIFY(!StrictReal(s));
    QVERIFY(!StrictSingle(s));
    QVERIFY(!StrictInteger(s));
}

QTEST_GUILESS_MAIN(TestNumberText)
#include "tst_number_text.moc"
