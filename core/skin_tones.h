// Velmora — the skin tones the built-in tone swatches show: the ten of the Monk Skin Tone Scale
// (Ellis Monk, CC BY 4.0, https://skintone.google) and the colour checker chart's two skin patches.
// The swatch generator draws from this table and the window names its boxes from it, so the two
// can never disagree.
#pragma once

#include <array>

namespace velmora {

enum class ToneSource { Monk, CheckerLightSkin, CheckerDarkSkin };

struct SkinTone {
    ToneSource source;
    int monkNumber;   // 1..10 on the Monk scale; 0 for a chart patch
    const char *file; // the swatch's file name under resources/swatches, without ".bmp"
    std::array<int, 3> rgb; // 8-bit sRGB
};

// In the order the window's sets show them: Monk 1 to 10, then the chart's light and dark skin.
inline constexpr std::array<SkinTone, 12> kSkinTones{{
    {ToneSource::Monk, 1, "monk_01", {0xf6, 0xed, 0xe4}},
    {ToneSource::Monk, 2, "monk_02", {0xf3, 0xe7, 0xdb}},
    {ToneSource::Monk, 3, "monk_03", {0xf7, 0xea, 0xd0}},
    {ToneSource::Monk, 4, "monk_04", {0xea, 0xda, 0xba}},
    {ToneSource::Monk, 5, "monk_05", {0xd7, 0xbd, 0x96}},
    {ToneSource::Monk, 6, "monk_06", {0xa0, 0x7e, 0x56}},
    {ToneSource::Monk, 7, "monk_07", {0x82, 0x5c, 0x43}},
    {ToneSource::Monk, 8, "monk_08", {0x60, 0x41, 0x34}},
    {ToneSource::Monk, 9, "monk_09", {0x3a, 0x31, 0x2a}},
    {ToneSource::Monk, 10, "monk_10", {0x29, 0x24, 0x20}},
    {ToneSource::CheckerLightSkin, 0, "checker_light_skin", {194, 150, 130}},
    {ToneSource::CheckerDarkSkin, 0, "checker_dark_skin", {115, 82, 68}},
}};

} // namespace velmora
