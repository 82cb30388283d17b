// Velmora — the correction rule: the picked difference and the target colour give one gain per channel.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>

#include "core/colour_word.h"
#include "core/gain_table.h"
#include "core/refusal.h"

namespace velmora {

// A difference above this, in any channel, is refused as too large.
inline constexpr float kDifferenceLimit = 100;

// Int((dG + dR + dB) / 3) + Int((tR + tG + tB) / 3), in double precision; nothing when the
// result leaves the 32-bit range.
std::optional<std::int32_t> Brightness(const Channels &target, const Gains &differences);

// Each difference over the brightness L, or why there is no such gain: OutOfRange, TooLarge or
// TooDark (L of zero or below, which no real reference colour gives), checked in that order.
std::variant<Gains, Refusal> GainsFromDifferences(const Channels &target, const Gains &differences);

// The rule's name in correction files and on the command line: design, exact, curve.
const char *RuleName(Rule rule);
std::optional<Rule> RuleOfName(std::string_view name);

struct RuleRefusal {
    Refusal kind;
    RefusalDetail detail;
};

// Why a pass cannot be made soundly, checked on its own numbers: a design gain of -1 or below
// (the whole channel to black); for 精确匹配 a target channel of 0 or a reference outside 0..255;
// for 保留黑白 either colour at 0 or 255 (or outside). Used for passes that come from a file or
// from typed gains as well as from the window's fields.
std::optional<RuleRefusal> CheckStep(const Step &step);

// The pass `rule` makes from the target colour and the differences (reference = target +
// difference), or why it makes none: for the design's rule GainsFromDifferences's refusals, then
// CheckStep's, then a target carried past the reference by more than half the way it had to go
// and more than one level (small overshoots are the design's own and stay).
std::variant<Step, RuleRefusal> StepFor(Rule rule, const Channels &target, const Gains &differences);

// Reference minus target per channel, as the target pick writes them into the difference fields.
Gains DifferencesBetween(const std::array<double, 3> &reference, const Channels &target);

} // namespace velmora
