// make_swatches — swatches 1 to 3: close-ups of skin.
#include <vector>

#include "eyes.h"
#include "noise.h"
#include "skin.h"
#include "strands.h"
#include "swatches.h"

namespace swatches {

namespace {

EyeLook CheekEye(std::uint64_t seed)
{
    return {.cx = 31, .cy = 23.5, .halfWidth = 15.5, .lidHeight = 5.6, .outer = 1, .tilt = 0.12, .irisRadius = 5.3,
            .gazeX = -0.6, .gazeY = 0.4, .sclera = Rgb{0.93, 0.89, 0.89}, .iris = Rgb{0.36, 0.36, 0.24},
            .pupil = Rgb{0.06, 0.075, 0.07}, .lash = Rgb{0.16, 0.12, 0.1}, .lashLength = 3.2, .seed = seed};
}

// A few stray hairs reaching in from the top edge.
std::vector<Strand> StrayHairs(std::uint64_t seed)
{
    std::vector<Strand> strands;
    Random rnd(seed);
    const double starts[] = {6, 14, 23, 27, 38, 47, 55};
    for (double sx : starts) {
        const double x0 = sx + rnd.Range(-2, 2);
        const double drop = rnd.Range(6, 20);
        const double lean = rnd.Range(-6, 9);
        const double curl = rnd.Range(-5, 5);
        const Rgb colour = Rgb{0.27, 0.15, 0.075} * rnd.Range(0.85, 1.3);
        strands.push_back(MakeStrand({x0, -2}, {x0 + lean * 0.3 + curl, drop * 0.35}, {x0 + lean * 0.8 - curl, drop * 0.75},
                                     {x0 + lean, drop}, rnd.Range(0.32, 0.5), colour));
    }
    return strands;
}

// Each strand first casts a soft shadow, then lies on top.
Rgb DrawStrands(const std::vector<Strand> &strands, double x, double y, std::uint64_t seed, Rgb c)
{
    for (const Strand &s : strands) {
        c = Shade(c, 1 - 0.12 * StrandCover(s, x - 0.9, y - 1.1));
    }
    for (const Strand &s : strands) {
        const double cover = StrandCover(s, x, y);
        if (cover > 0) {
            const double glint = Noise(x * 0.5, y * 0.5, seed);
            c = Mix(c, s.colour * (0.85 + 0.5 * glint), cover);
        }
    }
    return c;
}

}  // namespace

// The cheekbone catches the light.
Picture CheekEyeBrow(std::uint64_t seed)
{
    const Rgb skinBase{0.90, 0.79, 0.74};
    const EyeLook eye = CheekEye(seed + 11);
    const BrowLook brow{0, 62, 9.0, 8.2, 3.4, 6.5, 2.8, Rgb{0.22, 0.15, 0.11}, 1.0, seed + 13};
    auto scene = [&](double x, double y) -> Rgb {
        const SkinGrain gr = Grain(x * 0.8, y * 0.8, seed + 3);  // closer, so larger pores
        // A broad rounded surface: the cheekbone sits under the outer half of the eye.
        double light = 0.9 + 0.2 * Oval(x, y, 34, 44, 28, 26);
        light *= 1 - 0.16 * SmoothStep(14, 0, x) * SmoothStep(12, 40, y);   // the side of the nose
        light *= 1 - 0.08 * SmoothStep(50, 80, y) * SmoothStep(40, 0, x);   // towards the mouth
        light *= 1 - 0.10 * SmoothStep(52, 62, x) * SmoothStep(30, 75, y);  // turning away to the ear
        light *= 1 - 0.07 * SmoothStep(8, 0, y);                            // under the brow ridge
        Rgb c = Shade(skinBase, light * gr.light);
        c = Flush(c, 0.35 * gr.flush + 0.2 + 0.4 * Oval(x, y, 40, 56, 18, 14));
        const double shine = Oval(x, y, 40, 42, 10, 6) * 0.55 + Oval(x, y, 26, 35, 6, 2.5) * 0.2;
        c = Sheen(c, 0.45 * shine * (0.4 + 1.0 * (1 - gr.pore)) * (0.7 + 0.6 * Noise(x * 0.3, y * 0.3, seed + 5)));
        return DrawEye(eye, x, y, DrawBrow(brow, x, y, c));
    };
    return Photograph(62, 80, scene, seed + 99, 0.02);
}

// A little shading under the stray hairs.
Picture EvenSkinStrands(std::uint64_t seed)
{
    const Rgb skinBase{0.93, 0.78, 0.72};
    const std::vector<Strand> strands = StrayHairs(seed + 7);
    auto scene = [&](double x, double y) -> Rgb {
        const SkinGrain gr = Grain(x, y, seed + 3, 0.7);
        double light = 0.86 + 0.12 * SmoothStep(75, 5, x * 0.7 + y * 0.5) + 0.05 * (Fbm(x * 0.04, y * 0.04, seed + 9, 2) - 0.5);
        light *= 1 - 0.09 * SmoothStep(60, 83, y) * SmoothStep(20, 62, x);
        Rgb c = Shade(skinBase, light * gr.light);
        c = Flush(c, 0.45 * gr.flush + 0.15);
        const double shine = Oval(x, y, 36, 44, 20, 14) * (0.7 + 0.3 * (1 - gr.pore)) *
                             (0.8 + 0.4 * Noise(x * 0.15, y * 0.15, seed + 5));
        c = Sheen(c, 0.16 * shine, Rgb{1.0, 0.93, 0.91});
        return DrawStrands(strands, x, y, seed + 21, c);
    };
    return Photograph(62, 83, scene, seed + 99, 0.012);
}

// Nearly even, with one soft fold near the corner.
Picture PaleSkinHighlights(std::uint64_t seed)
{
    const Rgb skinBase{0.95, 0.84, 0.86};
    auto scene = [&](double x, double y) -> Rgb {
        const SkinGrain gr = Grain(x, y, seed + 3, 0.4);
        // A broad rounded surface lit from the upper right.
        double light = 0.9 + 0.1 * Oval(x, y, 40, 28, 46, 42) + 0.03 * (Fbm(x * 0.05, y * 0.05, seed + 9, 2) - 0.5);
        // A soft fold across the lower left corner: skin bulging below it, a pink crease in it.
        const double fold = 60.0 + 0.4 * x - y;  // zero on the fold line, positive above it
        const double crease = Clamp01(1 - fold * fold / 9.0);
        light *= 1 - 0.09 * SmoothStep(18, 0, fold) * SmoothStep(-3, 0, fold) - 0.06 * crease * crease;
        light *= 1 - 0.04 * SmoothStep(-1, -8, fold);
        Rgb c = Shade(skinBase, light * gr.light);
        c = Flush(c, 0.4 * gr.flush + 0.1 + 0.5 * crease * crease + 0.3 * SmoothStep(14, 0, fold) * SmoothStep(-3, 0, fold));
        // The oily sheen on the ridge of the surface, and a few glints inside it.
        const double ridge = Oval(x, y, 38, 25, 21, 10.5) + 0.8 * Oval(x, y, 50, 47, 8, 6);
        const double glint = Spot(x, y, 33, 24, 2.4) + Spot(x, y, 43, 26.5, 1.8) + 0.8 * Spot(x, y, 51, 46, 1.6);
        const double oil = 0.5 * ridge * (0.8 + 0.35 * (1 - gr.pore)) + 0.9 * glint * (0.6 + 0.4 * (1 - gr.pore));
        return Sheen(c, oil, Rgb{1.0, 0.975, 0.985});
    };
    return Photograph(62, 75, scene, seed + 99, 0.007);
}

}  // namespace swatches
