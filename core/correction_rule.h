// Velmora — the correction rule: the picked difference and the target colour give one gain per channel.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
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

// Reference minus target per channel, as the target pick writes them into the difference fields.
Gains DifferencesBetween(const std::array<double, 3> &reference, const Channels &target);

} // namespace velmora
