// Velmora tests — the correction file and the number triples of the command line.
#include <QtTest>

#include <cmath>
#include <cstring>

#include "core/correction_file.h"

using namespace velmora;

Q_DECLARE_METATYPE(velmora::CorrectionFileError)

namespace {

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

} // namespace

class CorrectionFileTest : public QObject {
    Q_OBJECT

private slots:
    void roundTripKeepsEveryBit_data()
    {
        QTest::addColumn<float>("red");
        QTest::addColumn<float>("green");
        QTest::addColumn<float>("blue");
        // Gains as the rule makes them: a difference over a brightness, rarely a short decimal.
        QTest::newRow("thirds") << 80.0f / 130 << 50.0f / 130 << 40.0f / 130;
        QTest::newRow("negative") << -0.05f << -1.0f / 3 << -99.0f / 7;
        QTest::newRow("tiny and large") << 1e-30f << 3.4e38f << -0.0f;
        QTest::newRow("nextafter") << std::nextafter(0.1f, 1.0f) << std::nextafter(0.1f, 0.0f) << 0.1f;
    }
    void roundTripKeepsEveryBit()
    {
        QFETCH(float, red);
        QFETCH(float, green);
        QFETCH(float, blue);
        CorrectionRecord written;
        written.gains = {red, green, blue};
        written.reference = std::array<double, 3>{200.5, 150, 1.0 / 3};
        written.target = Channels{120, 100, 80};
        written.differences = Gains{80.5f, 50, -79.6666667f};
        const auto read = ReadCorrection(CorrectionText(written));
        QVERIFY(std::holds_alternative<CorrectionRecord>(read));
        const CorrectionRecord &r = std::get<CorrectionRecord>(read);
        QVERIFY(SameBits(r.gains.red, red) && SameBits(r.gains.green, green) && SameBits(r.gains.blue, blue));
        QVERIFY(r.reference && *r.reference == *written.reference);
        QVERIFY(r.target && *r.target == *written.target);
        QVERIFY(r.differences && SameBits(r.differences->blue, written.differences->blue));
    }

    void gainsAloneSuffice()
    {
        const auto read = ReadCorrection("[velmora correction]\r\nversion = 1\r\ngains = 0.12, -0.05 ,0.08\r\n");
        QVERIFY(std::holds_alternative<CorrectionRecord>(read));
        const CorrectionRecord &r = std::get<CorrectionRecord>(read);
        QCOMPARE(r.gains.red, 0.12f);
        QCOMPARE(r.gains.green, -0.05f);
        QVERIFY(!r.reference && !r.target && !r.differences);
    }

    // Version 1 knew only the design's rule; version 2 names its rule, and without the line means
    // the design's too.
    void rulesOfEachVersion_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("rule");
        const QByteArray colours = "reference=200,150,120\ntarget=120,100,80\n";
        QTest::newRow("version 1") << "[velmora correction]\nversion=1\ngains=1,2,3\n" + colours << int(Rule::Design);
        QTest::newRow("version 1 ignores a rule line")
            << "[velmora correction]\nversion=1\nrule=exact\ngains=1,2,3\n" + colours << int(Rule::Design);
        QTest::newRow("no version line") << "[velmora correction]\ngains=1,2,3\n" + colours << int(Rule::Design);
        QTest::newRow("version 2, no rule") << "[velmora correction]\nversion=2\ngains=1,2,3\n" + colours << int(Rule::Design);
        QTest::newRow("version 2, design") << QByteArray("[velmora correction]\nversion=2\nrule=design\ngains=1,2,3\n") << int(Rule::Design);
        QTest::newRow("version 2, exact") << "[velmora correction]\nversion=2\nrule=exact\n" + colours << int(Rule::Exact);
        QTest::newRow("version 2, curve") << "[velmora correction]\nversion=2\nrule = curve \n" + colours << int(Rule::Curve);
    }
    void rulesOfEachVersion()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, rule);
        const auto read = ReadCorrection(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
        QVERIFY(std::holds_alternative<CorrectionRecord>(read));
        QCOMPARE(int(std::get<CorrectionRecord>(read).rule), rule);
    }

    // Every rule is written as version 2 with its rule line and reads back to the same pass.
    void writtenAsVersionTwo_data()
    {
        QTest::addColumn<int>("rule");
        QTest::newRow("design") << int(Rule::Design);
        QTest::newRow("exact") << int(Rule::Exact);
        QTest::newRow("curve") << int(Rule::Curve);
    }
    void writtenAsVersionTwo()
    {
        QFETCH(int, rule);
        CorrectionRecord written;
        written.rule = Rule(rule);
        written.gains = {0.5f, 0.25f, 0.125f};
        written.reference = std::array<double, 3>{200.25, 150, 120};
        written.target = Channels{120, 100, 80};
        written.differences = Gains{80.25f, 50, 40};
        const std::string text = CorrectionText(written);
        QVERIFY(text.find("\nversion=2\n") != std::string::npos);
        const std::string ruleLine = std::string("\nrule=") + (rule == 0 ? "design" : rule == 1 ? "exact" : "curve") + "\n";
        QVERIFY(text.find(ruleLine) != std::string::npos);
        const auto read = ReadCorrection(text);
        QVERIFY(std::holds_alternative<CorrectionRecord>(read));
        const Step step = StepOf(std::get<CorrectionRecord>(read));
        QCOMPARE(int(step.rule), rule);
        QCOMPARE(step.reference[0], 200.25);
        QCOMPARE(step.target[2], 80.0);
        if (Rule(rule) == Rule::Design)
            QCOMPARE(step.gains.blue, 0.125f);
    }

    void unknownKeysOfLaterVersionsAreSkipped()
    {
        const auto read = ReadCorrection("# exported\n\n[velmora correction]\nversion=1\nnote=wedding\ngains=1,2,3\n");
        QVERIFY(std::holds_alternative<CorrectionRecord>(read));
        QCOMPARE(std::get<CorrectionRecord>(read).gains.blue, 3.0f);
    }

    void badFilesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<CorrectionFileError>("error");
        const QByteArray head = "[velmora correction]\nversion=1\n";
        QTest::newRow("empty") << QByteArray() << CorrectionFileError::NotACorrection;
        QTest::newRow("some ini") << QByteArray("[General]\ngains=1,2,3\n") << CorrectionFileError::NotACorrection;
        QTest::newRow("a JPEG") << QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10) << CorrectionFileError::NotACorrection;
        QTest::newRow("newer version") << QByteArray("[velmora correction]\nversion=3\ngains=1,2,3\n")
                                       << CorrectionFileError::NewerVersion;
        QTest::newRow("no gains") << head << CorrectionFileError::NoGains;
        QTest::newRow("two gains") << head + "gains=1,2\n" << CorrectionFileError::BadNumbers;
        QTest::newRow("four gains") << head + "gains=1,2,3,4\n" << CorrectionFileError::BadNumbers;
        QTest::newRow("word") << head + "gains=1,x,3\n" << CorrectionFileError::BadNumbers;
        QTest::newRow("empty part") << head + "gains=1,,3\n" << CorrectionFileError::BadNumbers;
        QTest::newRow("beyond a float") << head + "gains=1,1e39,3\n" << CorrectionFileError::BadNumbers;
        QTest::newRow("beyond a double") << head + "gains=1,1e400,3\n" << CorrectionFileError::BadNumbers;
        QTest::newRow("target not whole") << head + "gains=1,2,3\ntarget=1.5,2,3\n" << CorrectionFileError::BadNumbers;
        QTest::newRow("target above 255") << head + "gains=1,2,3\ntarget=256,2,3\n" << CorrectionFileError::BadNumbers;
        QTest::newRow("line without =") << head + "gains 1,2,3\n" << CorrectionFileError::BadNumbers;
        QTest::newRow("bad version") << QByteArray("[velmora correction]\nversion=one\ngains=1,2,3\n")
                                     << CorrectionFileError::BadNumbers;
        QTest::newRow("huge") << head + "gains=1,2,3\n" + QByteArray(70000, '#') << CorrectionFileError::TooLong;
        // Which of two lines was meant cannot be known, whether the key is ours or a later version's.
        QTest::newRow("gains twice") << head + "gains=1,2,3\ngains=4,5,6\n" << CorrectionFileError::RepeatedKey;
        QTest::newRow("version twice") << head + "version=1\ngains=1,2,3\n" << CorrectionFileError::RepeatedKey;
        QTest::newRow("unknown key twice") << head + "gains=1,2,3\nnote=a\nnote=b\n" << CorrectionFileError::RepeatedKey;
        const QByteArray two = "[velmora correction]\nversion=2\n";
        const QByteArray colours = "reference=200,150,120\ntarget=120,100,80\n";
        QTest::newRow("unknown rule") << two + "rule=warm\ngains=1,2,3\n" + colours << CorrectionFileError::UnknownRule;
        QTest::newRow("rule in capitals") << two + "rule=Exact\n" + colours << CorrectionFileError::UnknownRule;
        QTest::newRow("empty rule") << two + "rule=\ngains=1,2,3\n" << CorrectionFileError::UnknownRule;
        QTest::newRow("exact without target") << two + "rule=exact\nreference=200,150,120\n" << CorrectionFileError::NoColours;
        QTest::newRow("curve without reference") << two + "rule=curve\ntarget=120,100,80\n" << CorrectionFileError::NoColours;
        QTest::newRow("design rule without gains") << two + "rule=design\n" + colours << CorrectionFileError::NoGains;
        QTest::newRow("rule twice") << two + "rule=exact\nrule=curve\n" + colours << CorrectionFileError::RepeatedKey;
    }
    void badFilesAreRefused()
    {
        QFETCH(QByteArray, text);
        QFETCH(CorrectionFileError, error);
        const auto read = ReadCorrection(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
        QVERIFY(std::holds_alternative<CorrectionFileError>(read));
        QCOMPARE(std::get<CorrectionFileError>(read), error);
    }

    void triples_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("read");
        QTest::newRow("plain") << "0.12,-0.05,0.08" << true;
        QTest::newRow("blanks") << " 1 , 2 ,3 " << true;
        QTest::newRow("exponent") << "1e-3,2E2,-0" << true;
        QTest::newRow("two") << "1,2" << false;
        QTest::newRow("trailing comma") << "1,2,3," << false;
        QTest::newRow("semicolons") << "1;2;3" << false;
        QTest::newRow("hex") << "&H10,2,3" << false;
        QTest::newRow("nan") << "nan,2,3" << false;
        QTest::newRow("inf") << "inf,2,3" << false;
        QTest::newRow("empty") << "" << false;
    }
    void triples()
    {
        QFETCH(QString, text);
        QFETCH(bool, read);
        QCOMPARE(ParseTriple(text.toStdString()).has_value(), read);
        QCOMPARE(ParseGains(text.toStdString()).has_value(), read);
    }
};

QTEST_APPLESS_MAIN(CorrectionFileTest)
#include "tst_correction_file.moc"
