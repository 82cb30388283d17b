// Velmora tests — pictures compared pixel by pixel, reporting the first difference and its values.
#pragma once

#include <cstdint>
#include <cstdlib>

#include <QImage>
#include <QString>

namespace velmora::fakes {

// Empty when every channel of every pixel is within `tolerance`; otherwise where and what.
inline QString FirstDifference(const std::uint32_t *actual, const std::uint32_t *expected, int width, int height,
                               int tolerance = 0, qsizetype actualStride = 0, qsizetype expectedStride = 0)
{
    if (!actualStride)
        actualStride = width;
    if (!expectedStride)
        expectedStride = width;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t a = actual[y * actualStride + x], e = expected[y * expectedStride + x];
            for (int shift : {16, 8, 0})
                if (std::abs(int((a >> shift) & 0xFF) - int((e >> shift) & 0xFF)) > tolerance)
                    return QStringLiteral("pixel (%1, %2): %3 against %4")
                        .arg(x)
                        .arg(y)
                        .arg(a & 0xFFFFFF, 6, 16, QLatin1Char('0'))
                        .arg(e & 0xFFFFFF, 6, 16, QLatin1Char('0'));
        }
    return {};
}

// The same for two pictures, compared as 0xFFRRGGBB; a size mismatch is a difference too.
inline QString FirstDifference(const QImage &actual, const QImage &expected, int tolerance = 0)
{
    if (actual.size() != expected.size())
        return QStringLiteral("size %1 × %2 against %3 × %4")
            .arg(actual.width()).arg(actual.height()).arg(expected.width()).arg(expected.height());
    const QImage a = actual.convertToFormat(QImage::Format_RGB32);
    const QImage e = expected.convertToFormat(QImage::Format_RGB32);
    return FirstDifference(reinterpret_cast<const std::uint32_t *>(a.constBits()),
                           reinterpret_cast<const std::uint32_t *>(e.constBits()), a.width(), a.height(), tolerance,
                           a.bytesPerLine() / 4, e.bytesPerLine() / 4);
}

} // namespace velmora::fakes
