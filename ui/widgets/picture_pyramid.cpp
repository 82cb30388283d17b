// Velmora — half-size copies of a picture.
#include "ui/widgets/picture_pyramid.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace velmora {

namespace {

// Red and blue share one word and green has its own, so each lane has room for four sums of bytes.
constexpr std::uint32_t kRedBlue = 0x00FF00FF;
constexpr std::uint32_t kGreen = 0x0000FF00;

inline std::uint32_t MeanOfFour(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d)
{
    const std::uint32_t rb = (a & kRedBlue) + (b & kRedBlue) + (c & kRedBlue) + (d & kRedBlue) + 0x00020002;
    const std::uint32_t g = (a & kGreen) + (b & kGreen) + (c & kGreen) + (d & kGreen) + 0x00000200;
    return 0xFF000000u | ((rb >> 2) & kRedBlue) | ((g >> 2) & kGreen);
}

inline std::uint32_t MeanOfTwo(std::uint32_t a, std::uint32_t b)
{
    const std::uint32_t rb = (a & kRedBlue) + (b & kRedBlue) + 0x00010001;
    const std::uint32_t g = (a & kGreen) + (b & kGreen) + 0x00000100;
    return 0xFF000000u | ((rb >> 1) & kRedBlue) | ((g >> 1) & kGreen);
}

QSize HalfSize(QSize size) { return {(size.width() + 1) / 2, (size.height() + 1) / 2}; }

} // namespace

void HalveRows(const QImage &from, QImage &to, int first, int last)
{
    const int pairs = from.width() / 2; // whole two-by-two blocks in a row
    const bool oddColumn = from.width() % 2 != 0;
    for (int y = std::max(first, 0); y <= std::min(last, to.height() - 1); ++y) {
        const auto *upper = reinterpret_cast<const std::uint32_t *>(from.constScanLine(2 * y));
        // An odd last row pairs with itself, so its mean is its own two-pixel mean.
        const auto *lower = 2 * y + 1 < from.height()
                                ? reinterpret_cast<const std::uint32_t *>(from.constScanLine(2 * y + 1))
                                : upper;
        auto *out = reinterpret_cast<std::uint32_t *>(to.scanLine(y));
        for (int x = 0; x < pairs; ++x)
            out[x] = MeanOfFour(upper[2 * x], upper[2 * x + 1], lower[2 * x], lower[2 * x + 1]);
        if (oddColumn)
            out[pairs] = MeanOfTwo(upper[2 * pairs], lower[2 * pairs]);
    }
}

void PicturePyramid::build(const QImage &picture)
{
    m_levels.clear();
    if (picture.isNull() || picture.format() != QImage::Format_RGB32)
        return;
    const QImage *above = &picture;
    while (above->width() > 1 || above->height() > 1) {
        QImage half(HalfSize(above->size()), QImage::Format_RGB32);
        HalveRows(*above, half, 0, half.height() - 1);
        m_levels.push_back(std::move(half));
        above = &m_levels.back();
    }
}

void PicturePyramid::update(const QImage &picture, int first, int last)
{
    if (m_levels.empty() || HalfSize(picture.size()) != m_levels.front().size()) {
        build(picture);
        return;
    }
    const QImage *above = &picture;
    for (QImage &level : m_levels) {
        first /= 2;
        last /= 2;
        HalveRows(*above, level, first, last);
        above = &level;
    }
}

int PicturePyramid::levelFor(double zoom) const
{
    if (!(zoom < 1) || m_levels.empty())
        return 0;
    // Level k holds at least 2^-k of the picture's pixels on each side; take the deepest with 2^-k >= zoom.
    const int k = int(std::floor(std::log2(1 / zoom) + 1e-9));
    return std::clamp(k, 0, depth());
}

} // namespace velmora
