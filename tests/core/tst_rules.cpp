// Velmora tests — the three correction rules against the formulas written out plainly, their
// refusals, and the guard that keeps the design's rule from ruining a photo.
#include <QtTest>

#include <array>
#include <cmath>

#include "core/correction_rule.h"
#include "core/gain_table.h"

using namespace velmora;

Q_DECLARE_METATYPE(velmora::Channels)
Q_DECLARE_METATYPE(velmora::Rule)
Q_DECLARE_METATYPE(velmora::Refusal)
Q_DECLARE_METATYPE(velmora::Gains)

namespace {

// The ten published Monk Skin Tone colours, lightest first.
constexpr std::array<std::array<int, 3>, 10> kMonk{{{0xf6, 0xed, 0xe4},
                                                   {0xf3, 0xe7, 0xdb},
                                                   {0xf7, 0xea, 0xd0},
                                                   {0xea, 0xda, 0xba},
                                                   {0xd7, 0xbd, 0x96},
                                                   {0xa0, 0x7e, 0x56},
                                                   {0x82, 0x5c, 0x43},
                                                   {0x60, 0x41, 0x34},
                                                   {0x3a, 0x31, 0x2a},
                                                   {0x29, 0x24, 0x20}}};

// The sRGB transfer function, IEC 61966-2-1.
double ToLinear(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }
double FromLinear(double l) { return l <= 0.0031308 ? 12.92 * l : 1.055 * std::pow(l, 1 / 2.4) - 0.055; }

int ExactModel(int v, double r, double t)
{
    double l = ToLinear(v / 255.0) * ToLinear(r / 255.0) / ToLinear(t / 255.0);
    if (l > 1)
        l = 1;
    return int(std::floor(255 * FromLinear(l) + 0.5));
}

int CurveModel(int v, double r, double t)
{
    const double gamma = std::log(r / 255.0) / std::log(t / 255.0);
    return int(std::floor(255 * std::pow(v / 255.0, gamma) + 0.5));
}

Channels ChannelsOf(const std::array<int, 3> &c) { return {c[0], c[1], c[2]}; }

Gains Between(const std::array<int, 3> &reference, const std::array<int, 3> &target)
{
    return {float(reference[0] - target[0]), float(reference[1] - target[1]), float(reference[2] - target[2])};
}

// Every value 0..255 in every channel through the pass as the program runs it: tables, then rows.
std::array<std::array<int, 256>, 3> Mapped(const Step &step)
{
    std::array<std::uint32_t, 256> row{};
    for (std::uint32_t v = 0; v < 256; ++v)
        row[v] = 0xFF000000u | v << 16 | v << 8 | v;
    MapRow(row.data(), 256, MakeRowTables(step));
    std::array<std::array<int, 256>, 3> out{};
    for (int v = 0; v < 256; ++v) {
        out[0][v] = int(row[v] >> 16 & 0xFF);
        out[1][v] = int(row[v] >> 8 & 0xFF);
        out[2][v] = int(row[v] & 0xFF);
    }
    return out;
}

} // namespace

class TestRules : public QObject {
    Q_OBJECT

private slots:
    void everyMonkPairAgainstTheModel_data();
    void everyMonkPairAgainstTheModel();
    void refusals_data();
    void refusals();
    void guardLeavesOrdinaryPassesAlone_data();
    void guardLeavesOrdinaryPassesAlone();
    void composedStepsOfMixedRules();
    void names();
};

void TestRules::everyMonkPairAgainstTheModel_data()
{
    QTest::addColumn<Rule>("rule");
    QTest::newRow("exact") << Rule::Exact;
    QTest::newRow("curve") << Rule::Curve;
}

// Each Monk tone as reference over each as target: every channel value against the model, the
// target landing on the reference, black kept, and for the curve white kept and order kept.
void TestRules::everyMonkPairAgainstTheModel()
{
    QFETCH(Rule, rule);
    for (const auto &reference : kMonk)
        for (const auto &target : kMonk) {
            const auto made = StepFor(rule, ChannelsOf(target), Between(reference, target));
            QVERIFY2(std::holds_alternative<Step>(made), "a pair of Monk tones was refused");
            const auto mapped = Mapped(std::get<Step>(made));
            for (int c = 0; c < 3; ++c) {
                const double r = reference[c], t = target[c];
                for (int v = 0; v < 256; ++v) {
                    const int expected = rule == Rule::Exact ? ExactModel(v, r, t) : CurveModel(v, r, t);
                    if (mapped[c][v] != expected)
                        QFAIL(qPrintable(QStringLiteral("channel %1 value %2: %3, the model says %4 (r=%5 t=%6)")
                                             .arg(c).arg(v).arg(mapped[c][v]).arg(expected).arg(r).arg(t)));
                }
                QCOMPARE(mapped[c][target[c]], reference[c]);
                QCOMPARE(mapped[c][0], 0);
                if (rule == Rule::Curve) {
                    QCOMPARE(mapped[c][255], 255);
                    for (int v = 1; v < 256; ++v)
                        QVERIFY(mapped[c][v] >= mapped[c][v - 1]);
                }
            }
        }
}

void TestRules::refusals_data()
{
    QTest::addColumn<Rule>("rule");
    QTest::addColumn<Channels>("target");
    QTest::addColumn<Gains>("differences");
    QTest::addColumn<Refusal>("refusal");
    QTest::addColumn<int>("channel");
    QTest::addColumn<bool>("inReference");

    QTest::newRow("exact: target red 0") << Rule::Exact << Channels{0, 90, 80} << Gains{40, 10, 10}
                                         << Refusal::TargetBlack << 0 << false;
    QTest::newRow("exact: target blue 0") << Rule::Exact << Channels{120, 90, 0} << Gains{10, 10, 10}
                                          << Refusal::TargetBlack << 2 << false;
    QTest::newRow("exact: no target picked") << Rule::Exact << Channels{0, 0, 0} << Gains{30, 30, 30}
                                             << Refusal::TargetBlack << 0 << false;
    QTest::newRow("exact: reference above 255") << Rule::Exact << Channels{200, 90, 80} << Gains{60, 0, 0}
                                                << Refusal::ReferenceOutside << 0 << true;
    QTest::newRow("exact: reference below 0") << Rule::Exact << Channels{200, 90, 80} << Gains{0, -91, 0}
                                              << Refusal::ReferenceOutside << 1 << true;
    QTest::newRow("curve: target red 255") << Rule::Curve << Channels{255, 100, 100} << Gains{-10, 0, 0}
                                           << Refusal::ColourAtEnd << 0 << false;
    QTest::newRow("curve: target green 0") << Rule::Curve << Channels{100, 0, 100} << Gains{0, 10, 0}
                                           << Refusal::ColourAtEnd << 1 << false;
    QTest::newRow("curve: reference blue 255") << Rule::Curve << Channels{100, 100, 100} << Gains{0, 0, 155}
                                               << Refusal::ColourAtEnd << 2 << true;
    QTest::newRow("curve: reference green 0") << Rule::Curve << Channels{100, 100, 100} << Gains{0, -100, 0}
                                              << Refusal::ColourAtEnd << 1 << true;
    // t = (200, 170, 150), r = (90, 60, 45): L = 64, every gain about -1.7, the target to black.
    QTest::newRow("design: darker reference on a lighter photo")
        << Rule::Design << Channels{200, 170, 150} << Gains{-110, -110, -105} << Refusal::ChannelToBlack << 0 << false;
    QTest::newRow("design: typed -200 on a picked target")
        << Rule::Design << Channels{220, 200, 180} << Gains{-200, 0, 0} << Refusal::ChannelToBlack << 0 << false;
    QTest::newRow("design: typed differences, no target") << Rule::Design << Channels{0, 0, 0} << Gains{-150, 100, 100}
                                                          << Refusal::ChannelToBlack << 0 << false;
    // A saturated red: r = (160, 60, 40), L = 86, red lands at 67, 93 past the reference it was 60 from.
    QTest::newRow("design: farther past the reference than it was")
        << Rule::Design << Channels{220, 60, 40} << Gains{-60, 0, 0} << Refusal::Overshoot << 0 << true;
    // The designed refusals keep their order and their words.
    QTest::newRow("design: difference over the limit")
        << Rule::Design << Channels{60, 40, 30} << Gains{150, 20, 10} << Refusal::TooLarge << 0 << false;
    QTest::newRow("design: brightness zero") << Rule::Design << Channels{0, 0, 0} << Gains{-200, 100, 100}
                                             << Refusal::TooDark << 0 << false;
}

void TestRules::refusals()
{
    QFETCH(Rule, rule);
    QFETCH(Channels, target);
    QFETCH(Gains, differences);
    QFETCH(Refusal, refusal);
    QFETCH(int, channel);
    QFETCH(bool, inReference);
    const auto made = StepFor(rule, target, differences);
    QVERIFY(std::holds_alternative<RuleRefusal>(made));
    const RuleRefusal &r = std::get<RuleRefusal>(made);
    QCOMPARE(r.kind, refusal);
    if (refusal != Refusal::TooLarge && refusal != Refusal::TooDark) {
        QCOMPARE(r.detail.channel, channel);
        QCOMPARE(r.detail.inReference, inReference);
    }
}

void TestRules::guardLeavesOrdinaryPassesAlone_data()
{
    QTest::addColumn<Channels>("target");
    QTest::addColumn<Gains>("differences");
    QTest::addColumn<Channels>("landed");
    // The design's own example: (120, 100, 80) towards (200, 150, 120) lands at (181, 132, 100).
    QTest::newRow("worked example") << Channels{120, 100, 80} << Gains{80, 50, 40} << Channels{181, 132, 100};
    // A warm portrait a little short of its reference: red lands one past it, as the design does.
    QTest::newRow("slight overshoot") << Channels{200, 170, 150} << Gains{20, 10, 10} << Channels{221, 179, 158};
    QTest::newRow("somewhat darker reference") << Channels{200, 170, 150} << Gains{-20, -20, -20}
                                                << Channels{173, 147, 130};
}

void TestRules::guardLeavesOrdinaryPassesAlone()
{
    QFETCH(Channels, target);
    QFETCH(Gains, differences);
    QFETCH(Channels, landed);
    const auto made = StepFor(Rule::Design, target, differences);
    QVERIFY(std::holds_alternative<Step>(made));
    const Gains g = std::get<Step>(made).gains;
    // The design's formula written out: v' = floor(gain × v) + v.
    const auto design = [](float gain, int v) { return int(std::floor(double(gain) * v)) + v; };
    QCOMPARE(design(g.red, target.red), landed.red);
    QCOMPARE(design(g.green, target.green), landed.green);
    QCOMPARE(design(g.blue, target.blue), landed.blue);
    const auto mapped = Mapped(std::get<Step>(made));
    QCOMPARE(mapped[0][target.red], landed.red);
    QCOMPARE(mapped[1][target.green], landed.green);
    QCOMPARE(mapped[2][target.blue], landed.blue);
}

// A table composed from steps of different rules equals the steps applied one after another.
void TestRules::composedStepsOfMixedRules()
{
    const Step design = std::get<Step>(StepFor(Rule::Design, {120, 100, 80}, {80, 50, 40}));
    const Step exact = std::get<Step>(StepFor(Rule::Exact, {181, 132, 100}, {19, 18, 20}));
    const Step curve = std::get<Step>(StepFor(Rule::Curve, {200, 150, 120}, {-30, 10, 5}));
    const auto one = Mapped(design), two = Mapped(exact), three = Mapped(curve);
    std::array<std::uint32_t, 256> row{};
    for (std::uint32_t v = 0; v < 256; ++v)
        row[v] = 0xFF000000u | v << 16 | v << 8 | v;
    MapRow(row.data(), 256, MakeRowTables(std::vector<Step>{design, exact, curve}));
    for (int v = 0; v < 256; ++v) {
        QCOMPARE(int(row[v] >> 16 & 0xFF), three[0][two[0][one[0][v]]]);
        QCOMPARE(int(row[v] & 0xFF), three[2][two[2][one[2][v]]]);
    }
}

void TestRules::names()
{
    for (Rule rule : {Rule::Design, Rule::Exact, Rule::Curve})
        QCOMPARE(RuleOfName(RuleName(rule)), std::optional<Rule>(rule));
    QCOMPARE(RuleOfName("Exact"), std::optional<Rule>());
    QCOMPARE(RuleOfName(""), std::optional<Rule>());
}

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
