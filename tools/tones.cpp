// make_swatches — tone fitting. Each channel goes through one monotone curve, so the drawing
// keeps its look while the order statistics land exactly where they are wanted; a soft
// centre-weighted exposure change moves the centre mean. Red is fitted first; green and blue
// start from the fitted red times the drawing's own hue, so their curves stay close to a plain
// scale and do not tint the picture unevenly.
#include "tones.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <vector>

namespace swatches {

namespace {

// The index of the p-th percentile (nearest rank) among n sorted values.
std::size_t RankOf(int percent, std::size_t n) { return (static_cast<std::size_t>(percent) * n + 99) / 100 - 1; }

bool InCentre(int x, int y, int w, int h) { return x >= w / 4 && x < w - w / 4 && y >= h / 4 && y < h - h / 4; }

// Schlick's bias: a curve through (0,0) and (1,1); 0.5 is the identity.
double Bias(double u, double b) { return u / ((1 / b - 2) * (1 - u) + 1); }

// Halves [lo, hi] towards where tooLow turns false; returns the middle.
template <class TooLow>
double Bisect(double lo, double hi, int steps, const TooLow &tooLow)
{
    for (int i = 0; i < steps && hi > lo; ++i) {
        const double mid = (lo + hi) / 2;
        (tooLow(mid) ? lo : hi) = mid;
    }
    return (lo + hi) / 2;
}

double Quantile(std::vector<double> v, int percent)
{
    std::sort(v.begin(), v.end());
    return v[RankOf(percent, v.size())];
}

struct ChannelGoal {
    double mean = 0, centreMean = 0;
    std::array<double, 5> values{};  // at the ranks 0, 10, 50, 90 and 100 percent
};

struct FittedChannel {
    std::vector<double> values;  // 0..255, not yet rounded
    double exposure = 0;
};

// Fits one channel: a piecewise curve through the goal's ranks, bent by a bias so the mean
// lands, after an exposure change that fades from the centre outwards.
class ChannelFit {
public:
    ChannelFit(const std::vector<double> &src, int width, int height, const ChannelGoal &goal)
        : src_(src), goal_(goal), weight_(src.size()), centre_(src.size()), v_(src.size()), out_(src.size())
    {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * width + x;
                const double ux = (x + 0.5) / width * 2 - 1, uy = (y + 0.5) / height * 2 - 1;
                weight_[i] = 1 - SmoothStep(0.15, 1.0, std::sqrt(ux * ux + uy * uy));
                centre_[i] = InCentre(x, y, width, height);
                centreCount_ += centre_[i];
            }
        }
    }

    FittedChannel Fit()
    {
        // A brighter centre raises the centre mean; bounded so the lighting stays believable.
        double lo = -0.5, hi = 0.5;
        if (FitMean(lo)[1] > goal_.centreMean) {
            hi = lo;
        } else if (FitMean(hi)[1] < goal_.centreMean) {
            lo = hi;
        }
        const double exposure = Bisect(lo, hi, 30, [&](double e) { return FitMean(e)[1] < goal_.centreMean; });
        FitMean(exposure);
        return {out_, exposure};
    }

private:
    // The mean and the centre mean after the best bias for this exposure.
    std::array<double, 2> FitMean(double exposure)
    {
        const double bias = Bisect(0.03, 0.97, 40, [&](double b) { return Apply(exposure, b)[0] < goal_.mean; });
        return Apply(exposure, bias);
    }

    // The sample values at the goal's ranks.
    std::array<double, 5> Knots() const
    {
        static constexpr std::array<int, 5> kRanks = {0, 10, 50, 90, 100};
        std::vector<double> sorted = v_;
        std::sort(sorted.begin(), sorted.end());
        std::array<double, 5> knots{};
        for (std::size_t k = 0; k < kRanks.size(); ++k) {
            knots[k] = kRanks[k] == 0 ? sorted.front() : sorted[RankOf(kRanks[k], sorted.size())];
        }
        return knots;
    }

    // Fills out_; returns the mean and the centre mean of its rounded values.
    std::array<double, 2> Apply(double exposure, double bias)
    {
        const std::size_t n = src_.size();
        for (std::size_t i = 0; i < n; ++i) {
            v_[i] = src_[i] * (1 + exposure * (weight_[i] - 0.5));
        }
        const std::array<double, 5> knots = Knots();
        double sum = 0, centreSum = 0;
        for (std::size_t i = 0; i < n; ++i) {
            std::size_t k = 0;
            while (k + 2 < knots.size() && v_[i] > knots[k + 1]) {
                ++k;
            }
            const double span = knots[k + 1] - knots[k];
            const double u = span > 0 ? Clamp01((v_[i] - knots[k]) / span) : 1.0;
            out_[i] = goal_.values[k] + (goal_.values[k + 1] - goal_.values[k]) * Bias(u, bias);
            const double rounded = std::floor(out_[i] + 0.5);
            sum += rounded;
            centreSum += centre_[i] ? rounded : 0;
        }
        return {sum / n, centreSum / centreCount_};
    }

    const std::vector<double> &src_;
    const ChannelGoal &goal_;
    std::vector<double> weight_;
    std::vector<char> centre_;
    std::size_t centreCount_ = 0;
    std::vector<double> v_, out_;
};

// Green or blue to start from: the fitted red times the drawing's own ratio to red.
std::vector<double> FromRed(const Picture &p, const std::vector<double> &red, int c)
{
    std::vector<double> start(red.size());
    for (std::size_t i = 0; i < red.size(); ++i) {
        const double raw = c == 1 ? p.px[i].g : p.px[i].b;
        start[i] = red[i] * raw / std::max(1e-6, p.px[i].r);
    }
    return start;
}

// Only the ends, the median and the mean are set; in between follow the starting values.
ChannelGoal GoalFromStart(const ToneTarget &t, int c, const std::vector<double> &start)
{
    const double scale = t.median[c] / Quantile(start, 50);
    ChannelGoal goal{t.mean[c], t.centreMean[c], {double(t.minimum[c]), 0, double(t.median[c]), 0, double(t.maximum[c])}};
    goal.values[1] = std::clamp(Quantile(start, 10) * scale, goal.values[0] + 1, goal.values[2] - 1);
    goal.values[3] = std::clamp(Quantile(start, 90) * scale, goal.values[2] + 1, goal.values[4] - 1);
    return goal;
}

Swatch Quantise(int width, int height, const std::array<FittedChannel, 3> &fitted)
{
    const std::size_t n = fitted[0].values.size();
    Swatch s{width, height, std::vector<std::uint8_t>(n * 3)};
    for (std::size_t i = 0; i < n; ++i) {
        for (int c = 0; c < 3; ++c) {
            s.rgb[i * 3 + c] = static_cast<std::uint8_t>(std::clamp(std::floor(fitted[c].values[i] + 0.5), 0.0, 255.0));
        }
    }
    return s;
}

void PrintChannel(char name, std::vector<int> v, double centreMean)
{
    const std::size_t n = v.size();
    std::sort(v.begin(), v.end());
    const double mean = std::accumulate(v.begin(), v.end(), 0.0) / n;
    std::printf("  %c mean %6.2f median %3d centre %6.2f min %3d max %3d p10 %3d p90 %3d\n", name, mean, v[RankOf(50, n)],
                centreMean, v.front(), v.back(), v[RankOf(10, n)], v[RankOf(90, n)]);
}

}  // namespace

Swatch FitTones(const Picture &p, const ToneTarget &t, std::array<double, 3> &exposures)
{
    std::vector<double> red(p.px.size());
    for (std::size_t i = 0; i < red.size(); ++i) {
        red[i] = p.px[i].r;
    }
    const ChannelGoal redGoal{
        t.mean[0], t.centreMean[0],
        {double(t.minimum[0]), double(t.redP10), double(t.median[0]), double(t.redP90), double(t.maximum[0])}};
    std::array<FittedChannel, 3> fitted;
    fitted[0] = ChannelFit(red, p.width, p.height, redGoal).Fit();
    for (int c = 1; c < 3; ++c) {
        const std::vector<double> start = FromRed(p, fitted[0].values, c);
        fitted[c] = ChannelFit(start, p.width, p.height, GoalFromStart(t, c, start)).Fit();
    }
    for (int c = 0; c < 3; ++c) {
        exposures[c] = fitted[c].exposure;
    }
    return Quantise(p.width, p.height, fitted);
}

void PrintStatistics(const char *name, const Swatch &s, const std::array<double, 3> &exposures)
{
    const std::size_t n = static_cast<std::size_t>(s.width) * s.height;
    std::printf("%s  %dx%d  exposure %.3f %.3f %.3f\n", name, s.width, s.height, exposures[0], exposures[1], exposures[2]);
    std::array<std::vector<int>, 3> ch;
    std::array<double, 3> centre{};
    std::size_t centreCount = 0, redLargest = 0, ordered = 0, dark = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const int r = s.rgb[i * 3], g = s.rgb[i * 3 + 1], b = s.rgb[i * 3 + 2];
        ch[0].push_back(r);
        ch[1].push_back(g);
        ch[2].push_back(b);
        redLargest += r > g && r > b;
        ordered += r > g && g > b;
        dark += r + g + b < 3 * 90;
        if (InCentre(static_cast<int>(i % s.width), static_cast<int>(i / s.width), s.width, s.height)) {
            centre[0] += r;
            centre[1] += g;
            centre[2] += b;
            ++centreCount;
        }
    }
    for (int c = 0; c < 3; ++c) {
        PrintChannel("RGB"[c], ch[c], centre[c] / centreCount);
    }
    std::printf("  red largest %.2f%%  R>G>B %.2f%%  dark %.2f%%\n", 100.0 * redLargest / n, 100.0 * ordered / n,
                100.0 * dark / n);
}

}  // namespace swatches
