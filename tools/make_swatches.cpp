// make_swatches — draws the four skin swatches and the program icon into a resources folder.
//
// The pictures are committed; this program exists so they can be rebuilt byte for byte. It
// uses its own integer hash for randomness and only arithmetic and square roots for the
// drawing, so neither the standard library nor libm can change a pixel between versions.
//
//   make_swatches <resources-dir>
//     writes swatches/skin_0.bmp .. skin_3.bmp, the tone swatches swatches/monk_01.bmp .. monk_10.bmp,
//     checker_light_skin.bmp and checker_dark_skin.bmp, icon/velmora.bmp, icon/velmora.png (32 px) and
//     icon/velmora_N.png for the other sizes of the icon theme
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/skin_tones.h"
#include "icon.h"
#include "image_files.h"
#include "swatches.h"
#include "tone_swatches.h"
#include "tones.h"

namespace {

using namespace swatches;

// The tones each swatch has to show: means, centre means, medians, extremes, red's 10th and 90th percentiles.
const ToneTarget kTargets[4] = {
    {{214.7, 191.7, 181.2}, {194.6, 165.2, 152.2}, {233, 211, 201}, {0, 0, 0}, {255, 247, 251}, 144, 253},
    {{203.9, 181.4, 172.4}, {215.3, 191.8, 183.5}, {211, 187, 177}, {41, 48, 46}, {231, 207, 205}, 179, 224},
    {{209.9, 179.4, 170.3}, {214.9, 186.2, 179.0}, {215, 183, 176}, {68, 38, 17}, {249, 224, 228}, 185, 236},
    {{214.0, 192.2, 193.9}, {214.4, 194.1, 198.8}, {211, 189, 191}, {141, 81, 91}, {255, 255, 255}, 197, 251},
};

bool WriteSwatches(const std::filesystem::path &dir)
{
    const std::uint64_t seed = 0x7E1F0A5EED2024ull;
    const Picture pictures[4] = {FaceNeckShoulder(seed), CheekEyeBrow(seed + 1000), EvenSkinStrands(seed + 2000),
                                 PaleSkinHighlights(seed + 3000)};
    bool ok = true;
    for (int i = 0; i < 4; ++i) {
        std::array<double, 3> exposures{};
        const Swatch s = FitTones(pictures[i], kTargets[i], exposures);
        const std::string name = "skin_" + std::to_string(i) + ".bmp";
        PrintStatistics(name.c_str(), s, exposures);
        ok = WriteFile(dir / name, EncodeBmp(s)) && ok;
    }
    return ok;
}

// The tone swatches follow the designed ones' seed, each its own, so adding one moves no other.
bool WriteToneSwatches(const std::filesystem::path &dir)
{
    bool ok = true;
    for (std::size_t i = 0; i < velmora::kSkinTones.size(); ++i) {
        const velmora::SkinTone &t = velmora::kSkinTones[i];
        const Tone tone{t.rgb[0], t.rgb[1], t.rgb[2]};
        const Swatch s = FitCentre(SkinCloseUp(tone, 0x70AE5EEDull + 1000 * i), tone);
        const std::string name = std::string(t.file) + ".bmp";
        PrintCentre(name.c_str(), s, tone);
        ok = WriteFile(dir / name, EncodeBmp(s)) && ok;
    }
    return ok;
}

bool WriteIcon(const std::filesystem::path &dir)
{
    const Swatch icon = DrawIcon();
    bool ok = WriteFile(dir / "velmora.bmp", EncodeBmp(icon));
    ok = WriteFile(dir / "velmora.png", EncodePng(icon)) && ok;
    // The sizes a desktop's icon theme looks for; 32 is the one above.
    for (int size : {16, 24, 48, 64, 128, 256})
        ok = WriteFile(dir / ("velmora_" + std::to_string(size) + ".png"), EncodePng(DrawIcon(size))) && ok;
    return ok;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_swatches <resources-dir>\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(root / "swatches", ec);
    std::filesystem::create_directories(root / "icon", ec);
    bool swatchesOk = WriteSwatches(root / "swatches");
    swatchesOk = WriteToneSwatches(root / "swatches") && swatchesOk;
    return WriteIcon(root / "icon") && swatchesOk ? 0 : 1;
}
