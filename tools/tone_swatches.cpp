// make_swatches — tone swatches. The drawing carries the texture; the fit only moves each
// channel by a scale and a soft lift at the centre, so the texture keeps its look in every tone.
#include "tone_swatches.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "noise.h"
#include "skin.h"

namespace swatches {

namespace {

constexpr int kWide = 40;    // the central square a mean is taken over
constexpr int kPick = 11;    // the window's largest picker square

struct Square {
    int left, top, size;
};

constexpr Square kMiddle{(kToneWidth - kWide) / 2, (kToneHeight - kWide) / 2, kWide};
constexpr Square kAtPick{kCentreX - kPick / 2, kCentreY - kPick / 2, kPick};

double MeanOf(const std::vector<double> &v, int width, Square s, bool rounded)
{
    double sum = 0;
    for (int y = s.top; y < s.top + s.size; ++y) {
        for (int x = s.left; x < s.left + s.size; ++x) {
            const double value = v[static_cast<std::size_t>(y) * width + x];
            sum += rounded ? std::clamp(std::floor(value + 0.5), 0.0, 255.0) : std::clamp(value, 0.0, 255.0);
        }
    }
    return sum / (s.size * s.size);
}

}  // namespace

Picture SkinCloseUp(const Tone &tone, std::uint64_t seed)
{
    const Rgb base{tone[0] / 255.0, tone[1] / 255.0, tone[2] / 255.0};
    Random rnd(seed);
    // Each tone is lit a little differently, so the set does not look stamped from one mould.
    const double lightX = rnd.Range(14, 48), lightY = rnd.Range(14, 40);
    const double ridgeX = rnd.Range(24, 40), ridgeY = rnd.Range(22, 34);
    auto scene = [&](double x, double y) -> Rgb {
        const SkinGrain gr = Grain(x, y, seed + 3, 0.8);
        double light = 0.93 + 0.12 * Oval(x, y, lightX, lightY, 52, 48) + 0.04 * (Fbm(x * 0.05, y * 0.05, seed + 9, 2) - 0.5);
        light *= 1 - 0.08 * SmoothStep(55, 76, y + 0.3 * x);  // the surface turns away at the lower edge
        Rgb c = Shade(base, light * gr.light);
        c = Flush(c, 0.35 * gr.flush + 0.1);
        // Sheen shows on every skin; darker skin keeps it as clearly as fair skin does.
        const double shine = Oval(x, y, ridgeX, ridgeY, 16, 8) * (0.6 + 0.4 * (1 - gr.pore)) *
                             (0.8 + 0.4 * Noise(x * 0.2, y * 0.2, seed + 5));
        return Sheen(c, 0.10 * shine, Mix(base, Rgb{1.0, 0.97, 0.95}, 0.5));
    };
    return Photograph(kToneWidth, kToneHeight, scene, seed + 99, 0.012);
}

Swatch FitCentre(const Picture &p, const Tone &tone)
{
    const std::size_t n = p.px.size();
    Swatch s{p.width, p.height, std::vector<std::uint8_t>(n * 3)};
    std::vector<double> lift(n);
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            lift[static_cast<std::size_t>(y) * p.width + x] = Spot(x + 0.5, y + 0.5, kCentreX + 0.5, kCentreY + 0.5, 10);
        }
    }
    for (int c = 0; c < 3; ++c) {
        std::vector<double> v(n);
        for (std::size_t i = 0; i < n; ++i) {
            const Rgb &px = p.px[i];
            v[i] = 255.0 * (c == 0 ? px.r : c == 1 ? px.g : px.b);
        }
        // Scale the whole channel onto the wide mean, then lift or lower the centre onto the pick;
        // each step barely moves the other, so a few rounds settle both, rounding included.
        double scale = 1, bump = 0;
        std::vector<double> out(n);
        for (int round = 0; round < 12; ++round) {
            for (std::size_t i = 0; i < n; ++i) {
                out[i] = v[i] * scale + bump * lift[i];
            }
            const bool last = round >= 8;
            const double wide = MeanOf(out, p.width, kMiddle, last);
            scale *= tone[c] / std::max(1.0, wide);
            for (std::size_t i = 0; i < n; ++i) {
                out[i] = v[i] * scale + bump * lift[i];
            }
            const double pick = MeanOf(out, p.width, kAtPick, last);
            double liftMean = 0;
            for (int y = kAtPick.top; y < kAtPick.top + kPick; ++y) {
                for (int x = kAtPick.left; x < kAtPick.left + kPick; ++x) {
                    liftMean += lift[static_cast<std::size_t>(y) * p.width + x];
                }
            }
            bump += (tone[c] - pick) / (liftMean / (kPick * kPick));
        }
        for (std::size_t i = 0; i < n; ++i) {
            s.rgb[i * 3 + c] = static_cast<std::uint8_t>(std::clamp(std::floor(out[i] + 0.5), 0.0, 255.0));
        }
    }
    return s;
}

void PrintCentre(const char *name, const Swatch &s, const Tone &tone)
{
    std::printf("%s  %dx%d  tone %d %d %d\n", name, s.width, s.height, tone[0], tone[1], tone[2]);
    for (const Square q : {kMiddle, kAtPick}) {
        double sum[3] = {0, 0, 0};
        for (int y = q.top; y < q.top + q.size; ++y) {
            for (int x = q.left; x < q.left + q.size; ++x) {
                for (int c = 0; c < 3; ++c) {
                    sum[c] += s.rgb[(static_cast<std::size_t>(y) * s.width + x) * 3 + c];
                }
            }
        }
        const double count = q.size * q.size;
        std::printf("  %2d x %-2d mean %6.2f %6.2f %6.2f\n", q.size, q.size, sum[0] / count, sum[1] / count, sum[2] / count);
    }
}

}  // namespace swatches
