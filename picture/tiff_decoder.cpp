// Velmora — 8- and 16-bit TIFFs, decoded by libtiff from the file's bytes straight into the 32-bit picture.
#include "picture/tiff_decoder.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include <QColorSpace>
#include <QImage>
#include <QImageIOHandler>
#include <QRgba64>

#include <tiffio.h>

#include "core/orientation.h"
#include "picture/picture_memory.h"

namespace velmora {

namespace {

// The file's bytes as libtiff's file: read, seek and mapped, never written.
struct Source {
    const QByteArray &bytes;
    toff_t at = 0;
    bool failed = false; // libtiff reported an error
};

tmsize_t ReadBytes(thandle_t handle, void *buffer, tmsize_t size)
{
    auto *source = static_cast<Source *>(handle);
    const toff_t total = toff_t(source->bytes.size());
    if (size <= 0 || source->at >= total)
        return 0;
    const toff_t count = std::min(toff_t(size), total - source->at);
    std::memcpy(buffer, source->bytes.constData() + source->at, std::size_t(count));
    source->at += count;
    return tmsize_t(count);
}

tmsize_t WriteNothing(thandle_t, void *, tmsize_t) { return 0; }

// A negative offset from here comes wrapped round as a large unsigned one; the sum wraps back.
toff_t Seek(thandle_t handle, toff_t offset, int whence)
{
    auto *source = static_cast<Source *>(handle);
    switch (whence) {
    case SEEK_SET: source->at = offset; break;
    case SEEK_CUR: source->at += offset; break;
    case SEEK_END: source->at = toff_t(source->bytes.size()) + offset; break;
    default: return toff_t(-1);
    }
    return source->at;
}

int CloseNothing(thandle_t) { return 0; }

toff_t Size(thandle_t handle) { return toff_t(static_cast<Source *>(handle)->bytes.size()); }

// libtiff reads mapped strips in place and copies any it must change, so the bytes are never
// written and compressed data is never copied.
int Map(thandle_t handle, void **base, toff_t *size)
{
    const QByteArray &bytes = static_cast<Source *>(handle)->bytes;
    *base = const_cast<char *>(bytes.constData());
    *size = toff_t(bytes.size());
    return 1;
}

void Unmap(thandle_t, void *, toff_t) {}

// Errors end the load as Damaged; neither they nor warnings reach the terminal.
int OnError(TIFF *, void *user, const char *, const char *, va_list)
{
    static_cast<Source *>(user)->failed = true;
    return 1;
}

int OnWarning(TIFF *, void *, const char *, const char *, va_list) { return 1; }

struct CloseTiff {
    void operator()(TIFF *tiff) const { TIFFClose(tiff); }
};
using Tiff = std::unique_ptr<TIFF, CloseTiff>;

Tiff Open(Source &source, qint64 limit)
{
    TIFFOpenOptions *options = TIFFOpenOptionsAlloc();
    if (!options)
        return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, OnError, &source);
    TIFFOpenOptionsSetWarningHandlerExtR(options, OnWarning, &source);
    // Nothing libtiff allocates for a read may exceed the load's own limit (0 would mean no limit).
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(std::max<qint64>(limit, 1)));
    TIFF *tiff = TIFFClientOpenExt("picture", "r", &source, ReadBytes, WriteNothing, Seek, CloseNothing, Size, Map,
                                   Unmap, options);
    TIFFOpenOptionsFree(options);
    return Tiff(tiff);
}

struct Layout {
    int bits = 0; // per sample: 8 or 16
    quint32 width = 0;
    quint32 height = 0;
    int samples = 0;            // per pixel: 1 grey, 3 RGB, 4 RGB and alpha
    bool premultiplied = false; // associated alpha
    bool separate = false;      // one plane per sample
    bool tiled = false;
    quint32 tileWidth = 0;
    quint32 tileLength = 0;
    Orientation orientation;
};

// The first directory, if it is one of the kinds decoded here. Grey with alpha and min-is-white
// grey are not: Qt's reader makes them through libtiff's 8-bit path, already at the final size.
std::optional<Layout> ReadLayout(TIFF *tiff)
{
    Layout l;
    quint16 bits = 0, samples = 0, format = 0, photometric = 0, planar = 0, compression = 0;
    if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &l.width) || !TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &l.height)
        || !TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric))
        return std::nullopt;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    // Qt's reader takes samples of no stated format as unsigned too.
    const bool unsignedSamples = format == SAMPLEFORMAT_UINT || format == SAMPLEFORMAT_VOID;
    if ((bits != 8 && bits != 16) || !unsignedSamples || compression == COMPRESSION_JPEG
        || compression == COMPRESSION_OJPEG || !TIFFIsCODECConfigured(compression))
        return std::nullopt;
    const bool rgb = photometric == PHOTOMETRIC_RGB && (samples == 3 || samples == 4);
    const bool grey = photometric == PHOTOMETRIC_MINISBLACK && samples == 1;
    if (!rgb && !grey)
        return std::nullopt;
    l.bits = bits;
    l.samples = samples;
    if (samples == 4) {
        // The fourth sample is alpha whatever the tag says, as for Qt's reader; premultiplied only
        // when the tag says associated. Unassociated alpha is kept as stored: Qt's reader has
        // libtiff premultiply 8-bit colours and undoes it again, losing the colour of faint pixels.
        quint16 count = 0;
        quint16 *extras = nullptr;
        l.premultiplied = TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &count, &extras) && count > 0 && extras
                          && extras[0] == EXTRASAMPLE_ASSOCALPHA;
    }
    l.separate = planar == PLANARCONFIG_SEPARATE && samples > 1;
    l.tiled = TIFFIsTiled(tiff);
    if (l.tiled && (!TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &l.tileWidth)
                    || !TIFFGetField(tiff, TIFFTAG_TILELENGTH, &l.tileLength)))
        return std::nullopt;
    quint16 orientation = ORIENTATION_TOPLEFT;
    if (TIFFGetField(tiff, TIFFTAG_ORIENTATION, &orientation))
        l.orientation = Orientation(orientation);
    return l;
}


QSize Upright(const Layout &l)
{
    const QSize size(int(l.width), int(l.height));
    return l.orientation.swapsSides() ? size.transposed() : size;
}

// 16 bits to 8, rounded to the nearest level, as Qt's own conversions do; 8 bits as they are.
inline quint32 Eight(quint16 v) { return (quint32{v} * 255 + 32767) / 65535; }
inline quint32 Eight(quint8 v) { return v; }

// A premultiplied pixel at the file's own sample width, and Qt's format for a row of them: alpha is
// undone from the samples as stored, never from values already rounded to 8 bits.
template <class Sample>
struct Premultiplied;

template <>
struct Premultiplied<quint8> {
    using Pixel = QRgb;
    static constexpr QImage::Format kFormat = QImage::Format_ARGB32_Premultiplied;
    static Pixel Make(quint8 r, quint8 g, quint8 b, quint8 a) { return qRgba(r, g, b, a); }
};

template <>
struct Premultiplied<quint16> {
    using Pixel = QRgba64;
    static constexpr QImage::Format kFormat = QImage::Format_RGBA64_Premultiplied;
    static Pixel Make(quint16 r, quint16 g, quint16 b, quint16 a) { return QRgba64::fromRgba64(r, g, b, a); }
};

// Where each pixel of the file lands in the upright picture.
class Placement {
public:
    Placement(QImage &picture, const Layout &l)
        : m_base(reinterpret_cast<QRgb *>(picture.bits())),
          m_place(l.orientation.placement(int(l.width), int(l.height), picture.bytesPerLine() / 4))
    {
    }
    QRgb *at(quint32 x, quint32 y) const { return m_base + m_place.at(x, y); }
    qint64 xStep() const { return m_place.xStep; }

private:
    QRgb *m_base;
    UprightPlacement m_place;
};

// Associated alpha undone exactly as Qt's conversion does it for pictures from its own reader.
template <class Sample>
void Unpremultiply(const typename Premultiplied<Sample>::Pixel *in, QRgb *out, int count)
{
    using Wide = Premultiplied<Sample>;
    const QImage row(reinterpret_cast<const uchar *>(in), count, 1, qsizetype(count) * qsizetype(sizeof(*in)),
                     Wide::kFormat);
    const QImage converted = row.convertToFormat(QImage::Format_ARGB32);
    std::memcpy(out, converted.constBits(), std::size_t(count) * 4);
}

// Reads every row, or every tile, of one plane (the only one unless planes are separate), handing
// each run of pixels to put(x, y, count, samples). False as soon as a read fails.
template <class Sample, class Put>
bool ForEachRun(TIFF *tiff, const Source &source, const Layout &l, quint16 plane, Put put)
{
    const int n = l.separate ? 1 : l.samples;
    if (!l.tiled) {
        const tmsize_t needed = tmsize_t(l.width) * n * tmsize_t(sizeof(Sample));
        if (TIFFScanlineSize(tiff) != needed)
            return false;
        std::vector<Sample> row(std::size_t(l.width) * n);
        for (quint32 y = 0; y < l.height; ++y) {
            if (TIFFReadScanline(tiff, row.data(), y, plane) < 0 || source.failed)
                return false;
            put(0, y, l.width, row.data());
        }
        return true;
    }
    const tmsize_t needed = tmsize_t(l.tileWidth) * l.tileLength * n * tmsize_t(sizeof(Sample));
    if (TIFFTileSize(tiff) != needed)
        return false;
    std::vector<Sample> tile(std::size_t(l.tileWidth) * l.tileLength * n);
    for (quint32 y = 0; y < l.height; y += l.tileLength) {
        for (quint32 x = 0; x < l.width; x += l.tileWidth) {
            if (TIFFReadTile(tiff, tile.data(), x, y, 0, plane) < 0 || source.failed)
                return false;
            const quint32 rows = std::min(l.tileLength, l.height - y), columns = std::min(l.tileWidth, l.width - x);
            for (quint32 r = 0; r < rows; ++r)
                put(x, y + r, columns, tile.data() + std::size_t(r) * l.tileWidth * n);
        }
    }
    return true;
}

// All samples of a pixel side by side: each run written whole.
template <class Sample>
bool ReadInterleaved(TIFF *tiff, const Source &source, const Layout &l, const Placement &place)
{
    using Wide = Premultiplied<Sample>;
    std::vector<typename Wide::Pixel> wide;
    std::vector<QRgb> narrow;
    const qint64 step = place.xStep();
    return ForEachRun<Sample>(tiff, source, l, 0, [&](quint32 x0, quint32 y, quint32 count, const Sample *s) {
        QRgb *out = place.at(x0, y);
        if (l.samples == 1) {
            for (quint32 i = 0; i < count; ++i, out += step)
                *out = 0xFF000000u | Eight(s[i]) * 0x010101u;
        } else if (l.samples == 3) {
            for (quint32 i = 0; i < count; ++i, s += 3, out += step)
                *out = qRgb(int(Eight(s[0])), int(Eight(s[1])), int(Eight(s[2])));
        } else if (!l.premultiplied) {
            for (quint32 i = 0; i < count; ++i, s += 4, out += step)
                *out = qRgba(int(Eight(s[0])), int(Eight(s[1])), int(Eight(s[2])), int(Eight(s[3])));
        } else {
            wide.resize(count);
            narrow.resize(count);
            for (quint32 i = 0; i < count; ++i, s += 4)
                wide[i] = Wide::Make(s[0], s[1], s[2], s[3]);
            Unpremultiply<Sample>(wide.data(), narrow.data(), int(count));
            for (quint32 i = 0; i < count; ++i, out += step)
                *out = narrow[i];
        }
    });
}

// One plane per sample: each plane read through in turn (going back and forth between planes row
// by row would decode every strip again for every row), each setting its own byte of the pixels.
// Associated alpha needs the alpha of every pixel before its colours: that plane is read first and
// kept at the file's sample width, its memory counted with the picture's.
template <class Sample>
bool ReadPlanes(TIFF *tiff, const Source &source, const Layout &l, const Placement &place)
{
    using Wide = Premultiplied<Sample>;
    const qint64 step = place.xStep();
    std::vector<Sample> alphas;
    if (l.premultiplied) {
        alphas.resize(std::size_t(l.width) * l.height);
        if (!ForEachRun<Sample>(tiff, source, l, 3, [&](quint32 x0, quint32 y, quint32 count, const Sample *s) {
                std::memcpy(alphas.data() + std::size_t(y) * l.width + x0, s, std::size_t(count) * sizeof(Sample));
            }))
            return false;
    }
    std::vector<typename Wide::Pixel> wide;
    std::vector<QRgb> narrow;
    for (int plane = 0; plane < l.samples; ++plane) {
        if (plane == 3 && l.premultiplied)
            break; // its values went in with the colours
        const int shift = plane == 3 ? 24 : 16 - 8 * plane;
        const quint32 mask = 0xFFu << shift;
        const bool ok = ForEachRun<Sample>(tiff, source, l, quint16(plane), [&](quint32 x0, quint32 y,
                                                                                quint32 count, const Sample *s) {
            QRgb *out = place.at(x0, y);
            if (l.premultiplied) {
                // Qt undoes the alpha of each colour on its own: the same value in all three shows it.
                const Sample *a = alphas.data() + std::size_t(y) * l.width + x0;
                wide.resize(count);
                narrow.resize(count);
                for (quint32 i = 0; i < count; ++i)
                    wide[i] = Wide::Make(s[i], s[i], s[i], a[i]);
                Unpremultiply<Sample>(wide.data(), narrow.data(), int(count));
                const quint32 keep = plane == 0 ? 0xFF000000u | mask : mask;
                for (quint32 i = 0; i < count; ++i, out += step)
                    *out = (plane == 0 ? 0 : *out) | (narrow[i] & keep);
            } else if (plane == 0) {
                // The first plane starts each pixel afresh: opaque until an alpha plane says otherwise.
                for (quint32 i = 0; i < count; ++i, out += step)
                    *out = 0xFF000000u | Eight(s[i]) << 16;
            } else {
                for (quint32 i = 0; i < count; ++i, out += step)
                    *out = (*out & ~mask) | Eight(s[i]) << shift;
            }
        });
        if (!ok)
            return false;
    }
    return true;
}

// Bytes the read holds besides the picture: a row or a tile of samples, and the alpha kept.
qint64 WorkBytes(const Layout &l)
{
    const qint64 n = l.separate ? 1 : l.samples;
    const qint64 sampleBytes = l.bits / 8;
    qint64 bytes = (l.tiled ? qint64{l.tileWidth} * l.tileLength : qint64{l.width}) * n * sampleBytes;
    if (l.separate && l.premultiplied)
        bytes += qint64{l.width} * l.height * sampleBytes;
    return bytes;
}

template <class Sample>
bool ReadPixels(TIFF *tiff, const Source &source, const Layout &l, const Placement &place)
{
    return l.separate ? ReadPlanes<Sample>(tiff, source, l, place) : ReadInterleaved<Sample>(tiff, source, l, place);
}

} // namespace

std::optional<DecodedPicture> DecodeTiffDirectly(const QByteArray &bytes, qint64 memoryLimitBytes)
{
    Source source{bytes};
    const Tiff tiff = Open(source, memoryLimitBytes);
    if (!tiff)
        return std::nullopt;
    const std::optional<Layout> layout = ReadLayout(tiff.get());
    if (!layout)
        return std::nullopt;
    const Layout &l = *layout;
    if (l.width == 0 || l.height == 0 || l.width > INT_MAX || l.height > INT_MAX
        || (l.tiled && (l.tileWidth == 0 || l.tileLength == 0)))
        return DecodedPicture{{}, LoadProblem::Damaged, {}};
    const qint64 total = qint64{l.width} * l.height * 4 + WorkBytes(l);
    if (total > memoryLimitBytes)
        return DecodedPicture{{}, LoadProblem::TooLarge, Upright(l)};

    // Errors while reading the directory that libtiff got past do not spoil the pixels.
    source.failed = false;
    QImage picture = AllocatePicture(Upright(l), l.samples == 4 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (picture.isNull())
        return DecodedPicture{{}, LoadProblem::TooLarge, Upright(l)};
    const Placement place(picture, l);
    const bool ok = l.bits == 8 ? ReadPixels<quint8>(tiff.get(), source, l, place)
                                : ReadPixels<quint16>(tiff.get(), source, l, place);
    if (!ok || source.failed)
        return DecodedPicture{{}, LoadProblem::Damaged, {}};

    quint32 profileBytes = 0;
    void *profile = nullptr;
    if (TIFFGetField(tiff.get(), TIFFTAG_ICCPROFILE, &profileBytes, &profile) && profile)
        picture.setColorSpace(
            QColorSpace::fromIccProfile(QByteArray(static_cast<const char *>(profile), qsizetype(profileBytes))));
    return DecodedPicture{std::move(picture), LoadProblem::None, {}};
}

} // namespace velmora
