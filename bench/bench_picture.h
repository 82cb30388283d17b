// Velmora benchmarks — the test photo and the bare correction pass, shared by both programs.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include <QImage>

#include "core/gain_table.h"

namespace velmora::bench {

// Smooth light and shade in every channel, as in a photo, with sensor-like noise on top, so a
// JPEG encoder has real detail to keep. The same picture every time.
inline QImage TestPhoto(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    std::vector<double> across(width), down(height);
    for (int x = 0; x < width; ++x)
        across[x] = std::sin(x * 0.0021) * 40 + std::sin(x * 0.017 + 1.3) * 12;
    for (int y = 0; y < height; ++y)
        down[y] = std::cos(y * 0.0017) * 45 + std::sin(y * 0.023 + 0.4) * 10;
    std::uint32_t state = 0x2545F491u;
    const auto noise = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        // Roughly bell-shaped: the sum of two small uniform values.
        return int(state & 15) + int((state >> 4) & 15) - 15;
    };
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double light = 130 + across[x] + down[y];
            // One at a time: the order of the noise must not depend on the compiler.
            const int r = std::clamp(int(light * 1.15) + noise(), 0, 255);
            const int g = std::clamp(int(light * 0.92 + 8) + noise(), 0, 255);
            const int b = std::clamp(int(light * 0.78 + 15) + noise(), 0, 255);
            row[x] = qRgb(r, g, b);
        }
    }
    return image;
}

// The program's pass without its window: one set of tables, every row mapped in place.
inline void CorePass(QImage &image, const Gains &gains)
{
    const RowTables tables = MakeRowTables(gains);
    uchar *bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    for (int y = 0; y < image.height(); ++y)
        MapRow(reinterpret_cast<std::uint32_t *>(bits + y * stride), image.width(), tables);
}

} // namespace velmora::bench
