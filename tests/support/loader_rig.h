// Velmora tests — what the loader's tests share: the colour profiles the machine has, pictures to
// encode, comparisons of loaded pictures, the memory limit held for a test, and a folder of fixtures.
#pragma once

#include <algorithm>
#include <cstdlib>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QString>
#include <QTemporaryDir>

#include "support/files.h"

namespace velmora::fakes {

inline constexpr const char *kAdobeRgb = "/usr/share/color/icc/compatibleWithAdobeRGB1998.icc";
inline constexpr const char *kSrgb = "/usr/share/color/icc/sRGB.icc";
inline constexpr const char *kCmykProfile = "/usr/share/color/icc/ghostscript/default_cmyk.icc";


inline QString Data(const char *name) { return QStringLiteral(TEST_DATA_DIR "/") + QString::fromUtf8(name); }

inline QByteArray Encode(const QImage &image, const char *format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

// Blocks of colour large enough that JPEG keeps them, and different in every corner, so a wrong
// turn or mirror shows.
inline QImage Quadrants(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    const QRgb colours[4] = {qRgb(220, 40, 40), qRgb(40, 200, 40), qRgb(40, 40, 220), qRgb(230, 230, 60)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, colours[(x >= width / 2) + 2 * (y >= height / 2)]);
    return image;
}

inline QImage Noise(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    quint32 state = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            image.setPixel(x, y, state >> 8);
        }
    return image;
}

// Format_RGB32 promises 0xFF in every fourth byte; pixel() hides what is really there.
inline bool AllOpaque(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        const uchar *row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x)
            if (row[4 * x + 3] != 0xFF)
                return false;
    }
    return true;
}

inline int MaxDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 256;
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

// The alpha of every pixel, row by row: the shared comparison looks at colour only.
inline QByteArray Alphas(const QImage &image)
{
    QByteArray out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            out += char(qAlpha(image.pixel(x, y)));
    return out;
}

// Sets the loader's memory limit for one test and puts the old one back.
class MemoryLimit {
public:
    explicit MemoryLimit(int megabytes) : m_saved(QImageReader::allocationLimit())
    {
        QImageReader::setAllocationLimit(megabytes);
    }
    ~MemoryLimit() { QImageReader::setAllocationLimit(m_saved); }

private:
    int m_saved;
};

// A folder of fixtures for one test program, written under the names the tests give them.
class FixtureFolder {
public:
    bool isValid() const { return m_dir.isValid(); }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QByteArray encodedPath() const { return QFile::encodeName(m_dir.path()); }
    // The file's path, or empty when it could not be written.
    QString fixture(const QString &name, const QByteArray &bytes) const
    {
        const QString file = path(name);
        return Write(file, bytes) ? file : QString();
    }

private:
    QTemporaryDir m_dir;
};

} // namespace velmora::fakes
