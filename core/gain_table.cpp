// Velmora — the per-channel gain rule, as lookup tables applied to whole rows.
#include "core/gain_table.h"

#include "core/wide_map_row.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

void FillBytes(RowTables &t)
{
    for (std::size_t v = 0; v < 256; ++v) {
        t.bytes[v] = static_cast<std::uint8_t>(t.blue[v]);
        t.bytes[256 + v] = static_cast<std::uint8_t>(t.green[v] >> 8);
        t.bytes[512 + v] = static_cast<std::uint8_t>(t.red[v] >> 16);
    }
}

} // namespace

std::uint8_t CorrectChannel(float gain, std::int32_t value)
{
    // Clamped before any integer conversion, so huge typed gains saturate instead of overflowing.
    const double corrected = std::floor(static_cast<double>(gain) * value) + value;
    if (corrected > 255)
        return 255;
    if (corrected < 0)
        return 0;
    return static_cast<std::uint8_t>(corrected);
}

namespace {

double Linear(double encoded)
{
    return encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
}

double Encoded(double linear)
{
    return linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

std::uint8_t Rounded(double value)
{
    if (!(value > 0)) // NaN too: a colour that cannot be worked out stays dark rather than wrapping
        return 0;
    if (value >= 255)
        return 255;
    return static_cast<std::uint8_t>(std::lround(value));
}

} // namespace

std::uint8_t StepValue(const Step &step, int channel, std::int32_t value)
{
    const float gains[3] = {step.gains.red, step.gains.green, step.gains.blue};
    const double r = step.reference[std::size_t(channel)];
    const double t = step.target[std::size_t(channel)];
    switch (step.rule) {
    case Rule::Design:
        return CorrectChannel(gains[channel], value);
    case Rule::Exact: {
        const double scaled = std::min(1.0, Linear(value / 255.0) * Linear(r / 255.0) / Linear(t / 255.0));
        return Rounded(255 * Encoded(scaled));
    }
    case Rule::Curve: {
        const double gamma = std::log(r / 255) / std::log(t / 255);
        return Rounded(255 * std::pow(value / 255.0, gamma));
    }
    }
    return static_cast<std::uint8_t>(value);
}

RowTables MakeRowTables(const std::vector<Step> &passes)
{
    RowTables t;
    for (std::uint32_t v = 0; v < 256; ++v) {
        std::int32_t r = v, g = v, b = v;
        for (const Step &pass : passes) {
            r = StepValue(pass, 0, r);
            g = StepValue(pass, 1, g);
            b = StepValue(pass, 2, b);
        }
        t.red[v] = std::uint32_t(r) << 16;
        t.green[v] = std::uint32_t(g) << 8;
        t.blue[v] = std::uint32_t(b) | 0xFF000000u;
    }
    FillBytes(t);
    return t;
}

RowTables MakeRowTables(const std::vector<Gains> &passes)
{
    std::vector<Step> steps;
    steps.reserve(passes.size());
    for (const Gains &g : passes)
        steps.push_back(Step{Rule::Design, g, {}, {}});
    return MakeRowTables(steps);
}

RowTables MakeRowTables(const Gains &gains) { return MakeRowTables(std::vector<Gains>{gains}); }

RowTables MakeRowTables(const Step &step) { return MakeRowTables(std::vector<Step>{step}); }

void MapRow(std::uint32_t *row, int width, const RowTables &tables)
{
    const auto map = [&tables](std::uint32_t p) {
        return tables.red[(p >> 16) & 0xFF] | tables.green[(p >> 8) & 0xFF] | tables.blue[p & 0xFF];
    };
    // The lookups alone keep too few loads in flight to stream a picture larger than the caches;
    // asking for memory 2 KB ahead, once a cache line, brings the pass to the speed of a copy.
    constexpr int kBlock = 16;
    constexpr int kAhead = 512;
    static const bool wide = WideMapRowAvailable();
    int x = wide ? WideMapRow(row, width, tables.bytes.data()) : 0;
    for (; x + kBlock <= width; x += kBlock) {
#if defined(__GNUC__)
        // An address, not a pointer into the row: a prefetch never faults, even past the picture.
        __builtin_prefetch(reinterpret_cast<const void *>(reinterpret_cast<std::uintptr_t>(row + x)
                                                          + kAhead * sizeof *row));
#endif
        for (int i = 0; i < kBlock; ++i)
            row[x + i] = map(row[x + i]);
    }
    for (; x < width; ++x)
        row[x] = map(row[x]);
}

void MapRowKeepingAlpha(std::uint32_t *row, int width, const RowTables &tables)
{
    // A piece at a time, so the alphas wait in a small buffer and the mapping stays the fast one.
    constexpr int kPiece = 256;
    std::uint8_t alpha[kPiece];
    for (int x = 0; x < width; x += kPiece) {
        const int n = width - x < kPiece ? width - x : kPiece;
        for (int i = 0; i < n; ++i)
            alpha[i] = static_cast<std::uint8_t>(row[x + i] >> 24);
        MapRow(row + x, n, tables);
        for (int i = 0; i < n; ++i)
            row[x + i] = (row[x + i] & 0x00FFFFFFu) | std::uint32_t(alpha[i]) << 24;
    }
}

} // namespace velmora
