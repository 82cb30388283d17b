// Velmora tests — the correction pass: gains, refusals, progress, and every pixel rewritten.
#include <QtTest>

#include <cmath>
#include <random>

#include "core/correction.h"
#include "core/correction_rule.h"
#include "support/fake_form.h"
#include "support/fake_services.h"
#include "support/image_compare.h"

using namespace velmora;
using fakes::Rgb;

Q_DECLARE_METATYPE(velmora::Channels)
Q_DECLARE_METATYPE(velmora::Refusal)

namespace {

// A pass over a fake window: fields, picture and services.
struct Rig {
    explicit Rig(int width = 4, int height = 3) : surface(width, height, Rgb(120, 100, 80)) {}

    void differences(const char *r, const char *g, const char *b)
    {
        fields.texts[Field::DifferenceRed] = r;
        fields.texts[Field::DifferenceGreen] = g;
        fields.texts[Field::DifferenceBlue] = b;
    }
    // The 校正 click as the window makes it: the first check, then the pass with events after each row.
    void run()
    {
        outcome = {};
        if (const auto refusal = CheckDifferencesEntered(fields)) {
            outcome.refusal = refusal;
            return;
        }
        outcome = CorrectTarget(fields, surface, target, [this](std::int32_t) { return loop.processPendingEvents(); });
    }
    bool passed() const { return !outcome.refusal && !outcome.ended; }

    fakes::Fields fields;
    fakes::Surface surface;
    fakes::Loop loop;
    Channels target;
    PassOutcome outcome;
};

// The rule as written, one pixel at a time through the surface's colour words.
void ReferencePass(PictureSurface &s, const Gains &g)
{
    const auto channel = [](float gain, std::int32_t v) {
        std::int64_t c = static_cast<std::int64_t>(std::floor(static_cast<double>(gain) * v)) + v;
        return static_cast<std::int16_t>(c > 255 ? 255 : c < 0 ? 0 : c);
    };
    for (int y = 0; y < s.drawingHeight(); ++y)
        for (int x = 0; x < s.drawingWidth(); ++x) {
            const Channels c = SplitColour(s.colourAt(x, y));
            s.setColourAt(x, y, ComposeColour(channel(g.red, c.red), channel(g.green, c.green), channel(g.blue, c.blue)));
        }
}


} // namespace

class TestCorrection : public QObject {
    Q_OBJECT

private slots:
    void brightness_data();
    void brightness();
    void workedExample();
    void progressAfterEveryRow_data();
    void progressAfterEveryRow();
    void percentFromFloatingQuotient();
    void tallerThanSixteenBits();
    void refusals_data();
    void refusals();
    void tooLargeResetsDifferences();
    void largeNegativeDifferencePasses();
    void typedDifferencesWithoutPick();
    void tablePassEqualsPerPixelRule_data();
    void tablePassEqualsPerPixelRule();
    void endingStopsBetweenRows();
    void pictureReplacedMidPass_data();
    void pictureReplacedMidPass();
    void composedPassesEqualPassesInTurn();
    void rowOfAnyWidthMappedUpToItsEnd_data();
    void rowOfAnyWidthMappedUpToItsEnd();
};

void TestCorrection::brightness_data()
{
    QTest::addColumn<Channels>("target");
    QTest::addColumn<float>("r");
    QTest::addColumn<float>("g");
    QTest::addColumn<float>("b");
    QTest::addColumn<bool>("inRange");
    QTest::addColumn<int>("expected");
    QTest::newRow("worked example") << Channels{120, 100, 80} << 80.f << 50.f << 40.f << true << 156;
    QTest::newRow("dark pair gives 0") << Channels{0, 0, 0} << 1.f << 0.f << 0.f << true << 0;
    QTest::newRow("floor below zero") << Channels{0, 0, 0} << -1.f << 0.f << 0.f << true << -1;
    QTest::newRow("means floored apart") << Channels{1, 1, 0} << 1.f << 1.f << 0.f << true << 0;
    QTest::newRow("beyond 32 bits") << Channels{0, 0, 0} << -1e10f << 0.f << 0.f << false << 0;
}

void TestCorrection::brightness()
{
    QFETCH(Channels, target);
    QFETCH(float, r);
    QFETCH(float, g);
    QFETCH(float, b);
    QFETCH(bool, inRange);
    QFETCH(int, expected);
    const auto l = Brightness(target, Gains{r, g, b});
    QCOMPARE(l.has_value(), inRange);
    if (inRange)
        QCOMPARE(*l, expected);
}

// Reference (200, 150, 120) against target (120, 100, 80): the target pixel becomes (181, 132, 100).
void TestCorrection::workedExample()
{
    Rig rig(1, 1);
    rig.differences("80", "50", "40");
    rig.target = {120, 100, 80};
    rig.run();
    QVERIFY(rig.passed());
    QCOMPARE(rig.surface.at(0, 0), Rgb(181, 132, 100));
    QCOMPARE(rig.outcome.gains.red, static_cast<float>(80.0 / 156));
    QCOMPARE(rig.outcome.gains.blue, static_cast<float>(40.0 / 156));
}

void TestCorrection::progressAfterEveryRow_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("three rows") << 3 << QStringList{"已完成_0%", "已完成_50%", "已完成_100%"};
    QTest::newRow("one row") << 1 << QStringList{"已完成_100%"};
}

void TestCorrection::progressAfterEveryRow()
{
    QFETCH(int, height);
    QFETCH(QStringList, texts);
    Rig rig(2, height);
    rig.differences("10", "0", "0");
    rig.target = {120, 100, 80};
    rig.run();
    QStringList shown;
    for (const auto &t : rig.fields.progressTexts)
        shown << QString::fromStdString(t);
    QCOMPARE(shown, texts); // each row's text differs here, so every row writes one
    std::vector<int> rows(height);
    std::iota(rows.begin(), rows.end(), 0);
    QCOMPARE(rig.fields.progressValues, rows);
    QCOMPARE(rig.fields.progressMaximum, height - 1);
    QCOMPARE(rig.loop.calls, height);
    QCOMPARE(rig.surface.refreshes, height);
}

void TestCorrection::percentFromFloatingQuotient()
{
    // (y / 100) × 100 in doubles lands just below y for these rows, and Int floors it.
    QStringList lower;
    for (int y = 0; y <= 100; ++y)
        if (ProgressPercent(y, 100.f) != y)
            lower << QString::fromStdString(ProgressText(ProgressPercent(y, 100.f)));
    QCOMPARE(lower, (QStringList{"已完成_28%", "已完成_56%", "已完成_57%"}));
}

// A 16-bit bar would overflow past 32,767 rows; the bar and the text stay right.
void TestCorrection::tallerThanSixteenBits()
{
    Rig rig(1, 40000);
    rig.differences("10", "0", "0");
    rig.target = {120, 100, 80};
    rig.run();
    QCOMPARE(rig.fields.progressMaximum, 39999);
    QCOMPARE(rig.fields.progressValues.back(), 39999);
    QCOMPARE(rig.fields.progressValues[32768], 32768);
    QCOMPARE(rig.fields.progressTexts.back(), "已完成_100%");
    // The text is written when its percent changes: 0 to 100, each once.
    QCOMPARE(rig.fields.progressTexts.size(), size_t(101));
    QCOMPARE(rig.fields.progressTexts[50], "已完成_50%");
    QCOMPARE(ProgressText(ProgressPercent(20000, 39999.f)), "已完成_50%");
}

void TestCorrection::refusals_data()
{
    QTest::addColumn<QStringList>("differences");
    QTest::addColumn<Channels>("target");
    QTest::addColumn<Refusal>("refusal");
    QTest::newRow("empty") << QStringList{"", "", ""} << Channels{} << Refusal::NoDifference;
    QTest::newRow("all zero") << QStringList{"0", "0", " 0"} << Channels{} << Refusal::NoDifference;
    QTest::newRow("letters") << QStringList{"abc", "x", ""} << Channels{} << Refusal::NoDifference;
    QTest::newRow("one field not a number")
        << QStringList{"12abc", "5", "5"} << Channels{120, 100, 80} << Refusal::DifferenceNotNumber;
    QTest::newRow("one field empty")
        << QStringList{"5", "", "5"} << Channels{120, 100, 80} << Refusal::DifferenceNotNumber;
    QTest::newRow("brightness zero") << QStringList{"1", "0", "0"} << Channels{0, 0, 0} << Refusal::TooDark;
    // A negative L would flip the gains: a darkening would brighten.
    QTest::newRow("brightness -1") << QStringList{"-1", "0", "0"} << Channels{0, 0, 0} << Refusal::TooDark;
    QTest::newRow("brightness -50")
        << QStringList{"-60", "-60", "-60"} << Channels{12, 10, 8} << Refusal::TooDark;
    QTest::newRow("reference (1,0,0) on target (0,1,1)")
        << QStringList{"1", "-1", "-1"} << Channels{0, 1, 1} << Refusal::TooDark;
    QTest::newRow("huge negative typed difference")
        << QStringList{"-3e9", "7", "0"} << Channels{255, 255, 255} << Refusal::TooDark;
    QTest::newRow("brightness beyond 32 bits")
        << QStringList{"-1e10", "0", "0"} << Channels{} << Refusal::OutOfRange;
}

void TestCorrection::refusals()
{
    QFETCH(QStringList, differences);
    QFETCH(Channels, target);
    QFETCH(Refusal, refusal);
    Rig rig;
    rig.differences(qPrintable(differences[0]), qPrintable(differences[1]), qPrintable(differences[2]));
    rig.target = target;
    const auto before = rig.surface.pixels;
    const auto textsBefore = rig.fields.texts;
    rig.run();
    QVERIFY(rig.outcome.refusal.has_value());
    QCOMPARE(*rig.outcome.refusal, refusal);
    QVERIFY(rig.surface.pixels == before);
    QVERIFY(rig.fields.texts == textsBefore);
    QCOMPARE(rig.loop.calls, 0);
}

void TestCorrection::tooLargeResetsDifferences()
{
    Rig rig;
    rig.differences("101", "0", "0");
    rig.target = {120, 100, 80};
    const auto before = rig.surface.pixels;
    rig.run();
    QCOMPARE(rig.outcome.refusal, std::optional(Refusal::TooLarge));
    QCOMPARE(rig.fields.texts[Field::DifferenceRed], "0");
    QCOMPARE(rig.fields.texts[Field::DifferenceGreen], "0");
    QCOMPARE(rig.fields.texts[Field::DifferenceBlue], "0");
    QVERIFY(rig.surface.pixels == before);
    QCOMPARE(rig.outcome.gains.red, 0.f);
}

void TestCorrection::largeNegativeDifferencePasses()
{
    Rig rig(1, 1);
    rig.differences("-150", "0", "0");
    rig.target = {200, 200, 200};
    rig.run();
    // L = Int(-150 / 3) + 200 = 150; gain -1 would take the whole red channel to 0: refused, with
    // the channel named, before any pixel changes.
    QCOMPARE(rig.outcome.refusal, std::optional<Refusal>(Refusal::ChannelToBlack));
    QCOMPARE(rig.outcome.detail.channel, 0);
    QCOMPARE(rig.surface.at(0, 0), Rgb(120, 100, 80));
    QCOMPARE(rig.fields.texts[Field::DifferenceRed], std::string("-150"));
}

void TestCorrection::typedDifferencesWithoutPick()
{
    Rig rig(1, 1);
    rig.differences("30", "30", "30");
    rig.run(); // target channels (0, 0, 0): L = 30, every gain 1, each channel doubles
    QCOMPARE(rig.surface.at(0, 0), Rgb(240, 200, 160));
}

void TestCorrection::tablePassEqualsPerPixelRule_data()
{
    QTest::addColumn<QStringList>("differences");
    QTest::addColumn<Channels>("target");
    QTest::newRow("worked example") << QStringList{"80", "50", "40"} << Channels{120, 100, 80};
    QTest::newRow("negative gains") << QStringList{"-60", "-35.5", "-7"} << Channels{200, 180, 170};
    QTest::newRow("mixed signs") << QStringList{"33", "-12", "0.25"} << Channels{90, 60, 50};
    QTest::newRow("tiny gains") << QStringList{"0.001", "-0.001", "0.0001"} << Channels{128, 128, 128};
    QTest::newRow("large gains") << QStringList{"100", "99", "98"} << Channels{0, 0, 1};
    // Gains of -1 and below are refused before the pass (tst_rules); white still saturates.
    QTest::newRow("gains that saturate at white") << QStringList{"-60", "100", "100"} << Channels{255, 255, 255};
    QTest::newRow("thirds") << QStringList{"1", "2", "4"} << Channels{3, 3, 3};
}

void TestCorrection::tablePassEqualsPerPixelRule()
{
    QFETCH(QStringList, differences);
    QFETCH(Channels, target);
    Rig rig(257, 64);
    std::mt19937 random(7);
    for (auto &p : rig.surface.pixels)
        p = 0xFF000000u | (random() & 0xFFFFFF);
    for (int v = 0; v < 256; ++v) // every channel value at least once
        rig.surface.at(v, 0) = Rgb(v, 255 - v, v);
    fakes::Surface expected = rig.surface;
    rig.differences(qPrintable(differences[0]), qPrintable(differences[1]), qPrintable(differences[2]));
    rig.target = target;
    rig.run();
    QVERIFY(rig.passed());
    ReferencePass(expected, rig.outcome.gains);
    const QString difference = fakes::FirstDifference(rig.surface.pixels.data(), expected.pixels.data(),
                                                      rig.surface.width, rig.surface.height);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

// 退出 between two rows: no further row runs, and the program does not beep as if it had finished.
void TestCorrection::endingStopsBetweenRows()
{
    Rig rig(3, 5);
    rig.differences("50", "0", "0");
    rig.target = {120, 100, 80};
    rig.loop.betweenRows = [&](int call) {
        if (call == 2)
            rig.loop.end();
    };
    rig.run();
    QCOMPARE(rig.loop.calls, 2);
    QVERIFY(rig.surface.at(0, 1) != Rgb(120, 100, 80));
    QCOMPARE(rig.surface.at(0, 2), Rgb(120, 100, 80));
    QVERIFY(rig.outcome.ended);
}

void TestCorrection::pictureReplacedMidPass_data()
{
    QTest::addColumn<int>("newWidth");
    QTest::addColumn<int>("newHeight");
    QTest::newRow("smaller") << 2 << 2;
    QTest::newRow("larger") << 6 << 7;
}

// The rows left run over the picture now shown, within the bounds fixed at the start.
void TestCorrection::pictureReplacedMidPass()
{
    QFETCH(int, newWidth);
    QFETCH(int, newHeight);
    Rig rig(4, 4);
    rig.differences("40", "0", "0");
    rig.target = {120, 100, 80};
    const std::uint32_t fresh = Rgb(100, 100, 100);
    rig.loop.betweenRows = [&](int call) {
        if (call == 1)
            rig.surface.resize(newWidth, newHeight, fresh);
    };
    rig.run();
    QCOMPARE(rig.fields.progressTexts.size(), size_t(4));
    QCOMPARE(rig.fields.progressMaximum, 3);
    for (int y = 0; y < newHeight; ++y)
        for (int x = 0; x < newWidth; ++x) {
            const bool inBounds = x < 4 && y >= 1 && y < 4;
            QVERIFY2((rig.surface.at(x, y) != fresh) == inBounds, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        }
    QVERIFY(rig.passed());
}

// Undo and redo replay passes from the photo as loaded through one composed table; it must give
// exactly what the passes gave one after another, clamping included.
void TestCorrection::composedPassesEqualPassesInTurn()
{
    const std::vector<Gains> passes{{0.4f, -0.3f, 1.2f}, {-0.9f, 0.25f, -0.05f}, {2.5f, 0.0f, -1.0f}};
    for (std::size_t count = 0; count <= passes.size(); ++count) {
        const std::vector<Gains> first(passes.begin(), passes.begin() + count);
        fakes::Surface inTurn(256, 1), composed(256, 1);
        for (int v = 0; v < 256; ++v)
            inTurn.at(v, 0) = composed.at(v, 0) = Rgb(v, 255 - v, (v * 7) % 256);
        for (const Gains &g : first)
            ReferencePass(inTurn, g);
        MapRow(composed.row(0).pixels, 256, MakeRowTables(first));
        const QString difference = fakes::FirstDifference(composed.pixels.data(), inTurn.pixels.data(), 256, 1);
        QVERIFY2(difference.isEmpty(), qPrintable(QString::number(count) + ": " + difference));
    }
}

// Rows are mapped in groups of pixels where the processor allows; every width must come out as the
// rule says, and the pixels after the row's end must stay as they were.
void TestCorrection::rowOfAnyWidthMappedUpToItsEnd_data()
{
    QTest::addColumn<int>("width");
    for (const int width : {1, 15, 16, 17, 31, 32, 33, 100})
        QTest::newRow(qPrintable(QString::number(width))) << width;
}

void TestCorrection::rowOfAnyWidthMappedUpToItsEnd()
{
    QFETCH(int, width);
    const Gains gains{0.37f, -0.61f, 1.9f};
    constexpr int kGuard = 20;
    fakes::Surface mapped(width + kGuard, 1);
    std::mt19937 random(width);
    for (auto &p : mapped.pixels)
        p = random(); // alpha too: the pass makes every pixel opaque
    fakes::Surface expected = mapped;
    fakes::Surface rowOnly(width, 1);
    std::copy_n(mapped.pixels.begin(), width, rowOnly.pixels.begin());
    ReferencePass(rowOnly, gains);
    std::copy_n(rowOnly.pixels.begin(), width, expected.pixels.begin());
    MapRow(mapped.row(0).pixels, width, MakeRowTables(gains));
    for (int x = 0; x < width; ++x)
        QCOMPARE(mapped.at(x, 0) >> 24, 0xFFu);
    const QString difference = fakes::FirstDifference(mapped.pixels.data(), expected.pixels.data(), width + kGuard, 1);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

QTEST_GUILESS_MAIN(TestCorrection)
#include "tst_correction.moc"
