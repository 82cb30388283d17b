// Velmora — the per-channel gain rule, as lookup tables applied to whole rows.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace velmora {

struct Gains {
    float red = 0;
    float green = 0;
    float blue = 0;
};

// v' = clamp(Int(gain × v) + v, 0, 255), the product in double precision; v in 0..255.
std::uint8_t CorrectChannel(float gain, std::int32_t value);

// How a pass turns the target colour into the reference colour, channel by channel.
enum class Rule {
    Design, // the designed gains: v' = Int(gain × v) + v
    Exact,  // in linear light, v scaled by reference / target, so the target lands on the reference
    Curve,  // v' = 255 (v / 255)^γ through the target and the reference: black, white and order kept
};

// One pass: its rule and the numbers that rule reads (the gains, or the two colours).
struct Step {
    Rule rule = Rule::Design;
    Gains gains;
    std::array<double, 3> reference{};
    std::array<double, 3> target{};
};

// The step's answer for `value` (0..255) in `channel` (0 red, 1 green, 2 blue). The colours must
// suit the rule (see StepFor in correction_rule.h); values off the ends are clamped.
std::uint8_t StepValue(const Step &step, int channel, std::int32_t value);

// v' depends only on v and its channel's gain, so one table per channel holds every answer.
// Entries are already shifted into place in a 0xFFRRGGBB pixel.
struct RowTables {
    std::array<std::uint32_t, 256> red;
    std::array<std::uint32_t, 256> green;
    std::array<std::uint32_t, 256> blue;
    // The same answers as bytes, blue then green then red, for the vector path.
    alignas(64) std::array<std::uint8_t, 3 * 256> bytes;
};

RowTables MakeRowTables(const Gains &gains);

// Several passes one after another as one table per channel: v' = pass_n(...pass_1(v)), exactly,
// since each pass maps every channel value on its own. No passes give the identity.
RowTables MakeRowTables(const std::vector<Gains> &passes);
RowTables MakeRowTables(const std::vector<Step> &passes);
RowTables MakeRowTables(const Step &step);

// Rewrites `width` pixels of 0xFFRRGGBB in place.
void MapRow(std::uint32_t *row, int width, const RowTables &tables);
// The same for 0xAARRGGBB pixels: the colour is mapped, the alpha stays as it was.
void MapRowKeepingAlpha(std::uint32_t *row, int width, const RowTables &tables);

} // namespace velmora
