// Velmora — the correction rule.
#include "core/correction_rule.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora {

std::optional<std::int32_t> Brightness(const Channels &target, const Gains &d)
{
    const std::int64_t sum = std::int64_t{target.red} + target.green + target.blue;
    const double average = std::floor(static_cast<double>(sum) / 3);
    const double difference = std::floor(
        (static_cast<double>(d.green) + static_cast<double>(d.red) + static_cast<double>(d.blue)) / 3);
    const double brightness = difference + average;
    if (!(brightness >= std::numeric_limits<std::int32_t>::min()
          && brightness <= std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    return static_cast<std::int32_t>(brightness);
}

std::variant<Gains, Refusal> GainsFromDifferences(const Channels &target, const Gains &d)
{
    const std::optional<std::int32_t> brightness = Brightness(target, d);
    if (!brightness)
        return Refusal::OutOfRange;
    if (d.red > kDifferenceLimit || d.green > kDifferenceLimit || d.blue > kDifferenceLimit)
        return Refusal::TooLarge;
    // L stands for the reference colour's mean, which a real colour never makes negative; a
    // negative L would turn a darkening into a brightening.
    const double l = *brightness;
    if (l <= 0)
        return Refusal::TooDark;
    return Gains{static_cast<float>(d.red / l), static_cast<float>(d.green / l), static_cast<float>(d.blue / l)};
}

const char *RuleName(Rule rule)
{
    switch (rule) {
    case Rule::Design: return "design";
    case Rule::Exact: return "exact";
    case Rule::Curve: return "curve";
    }
    return "design";
}

std::optional<Rule> RuleOfName(std::string_view name)
{
    for (Rule rule : {Rule::Design, Rule::Exact, Rule::Curve})
        if (name == RuleName(rule))
            return rule;
    return std::nullopt;
}

std::optional<RuleRefusal> CheckStep(const Step &step)
{
    const auto &t = step.target;
    const auto &r = step.reference;
    switch (step.rule) {
    case Rule::Design: {
        const float g[3] = {step.gains.red, step.gains.green, step.gains.blue};
        for (int c = 0; c < 3; ++c)
            if (g[c] <= -1)
                return RuleRefusal{Refusal::ChannelToBlack, {c, false, g[c]}};
        return std::nullopt;
    }
    case Rule::Exact:
        for (std::size_t c = 0; c < 3; ++c) {
            if (!(t[c] > 0 && t[c] <= 255))
                return RuleRefusal{Refusal::TargetBlack, {int(c), false, t[c]}};
            if (!(r[c] >= 0 && r[c] <= 255))
                return RuleRefusal{Refusal::ReferenceOutside, {int(c), true, r[c]}};
        }
        return std::nullopt;
    case Rule::Curve:
        for (std::size_t c = 0; c < 3; ++c) {
            if (!(r[c] >= 0 && r[c] <= 255))
                return RuleRefusal{Refusal::ReferenceOutside, {int(c), true, r[c]}};
            if (!(t[c] > 0 && t[c] < 255))
                return RuleRefusal{Refusal::ColourAtEnd, {int(c), false, t[c]}};
            if (!(r[c] > 0 && r[c] < 255))
                return RuleRefusal{Refusal::ColourAtEnd, {int(c), true, r[c]}};
        }
        return std::nullopt;
    }
    return RuleRefusal{Refusal::OutOfRange, {}};
}

std::variant<Step, RuleRefusal> StepFor(Rule rule, const Channels &target, const Gains &d)
{
    const std::array<double, 3> t{double(target.red), double(target.green), double(target.blue)};
    const std::array<double, 3> r{t[0] + d.red, t[1] + d.green, t[2] + d.blue};
    Step step{rule, {}, r, t};
    if (rule == Rule::Design) {
        const std::variant<Gains, Refusal> gains = GainsFromDifferences(target, d);
        if (const Refusal *refusal = std::get_if<Refusal>(&gains))
            return RuleRefusal{*refusal, {}};
        step.gains = std::get<Gains>(gains);
    }
    if (auto refusal = CheckStep(step))
        return *refusal;
    if (rule == Rule::Design) {
        // A pass that leaves the picked target farther from the reference than it was, in any
        // channel, makes the photo worse, not better (one level is the design's rounding down).
        // With no target picked (all zeros) the target stays at 0 and never moves away.
        const float g[3] = {step.gains.red, step.gains.green, step.gains.blue};
        for (std::size_t c = 0; c < 3; ++c) {
            const double landed = CorrectChannel(g[c], static_cast<std::int32_t>(t[c]));
            if (std::abs(landed - r[c]) > std::abs(t[c] - r[c]) + 1)
                return RuleRefusal{Refusal::Overshoot, {int(c), true, r[c]}};
        }
    }
    return step;
}

Gains DifferencesBetween(const std::array<double, 3> &reference, const Channels &target)
{
    return {static_cast<float>(reference[0] - target.red), static_cast<float>(reference[1] - target.green),
            static_cast<float>(reference[2] - target.blue)};
}

} // namespace velmora
