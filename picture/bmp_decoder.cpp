// Velmora — Windows and OS/2 bitmaps, decoded from the file's bytes.
#include "picture/bmp_decoder.h"

#include <array>
#include <climits>
#include <cstdint>
#include <optional>
#include <vector>

#include <QtEndian>

namespace velmora {

namespace {

constexpr qint64 kFileHeaderBytes = 14;
enum Compression : quint32 { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

// Every full-size picture this decoder makes comes from here.
QImage AllocatePicture(QSize size) { return QImage(size, QImage::Format_RGB32); }

// Bounds-checked little-endian reads: the caller asks has() first.
struct Bytes {
    const uchar *data;
    qint64 size;
    bool has(qint64 offset, qint64 count) const { return offset >= 0 && count >= 0 && offset <= size - count; }
    quint16 u16(qint64 offset) const { return qFromLittleEndian<quint16>(data + offset); }
    quint32 u32(qint64 offset) const { return qFromLittleEndian<quint32>(data + offset); }
    qint32 i32(qint64 offset) const { return qFromLittleEndian<qint32>(data + offset); }
};

// One colour field of a packed pixel, widened to 0..255 by v × 255 / max, rounded, so a full
// field reads 255 whatever its width (shifting would leave a full 5-bit field at 248).
class Channel {
public:
    Channel() = default;
    explicit Channel(quint32 mask)
    {
        if (mask == 0)
            return;
        while (!(mask & 1u)) {
            mask >>= 1;
            ++m_shift;
        }
        m_max = mask;
        if (m_max <= 0xFFFF) {
            m_table.resize(m_max + 1);
            for (quint32 v = 0; v <= m_max; ++v)
                m_table[v] = Widen(v);
        }
    }
    bool present() const { return m_max != 0; }
    uchar operator()(quint32 pixel) const
    {
        const quint32 v = (pixel >> m_shift) & m_max;
        return m_table.empty() ? Widen(v) : m_table[v];
    }

private:
    uchar Widen(quint32 v) const
    {
        return m_max == 0 ? 0 : static_cast<uchar>((quint64{v} * 255 + m_max / 2) / m_max);
    }
    int m_shift = 0;
    quint32 m_max = 0;
    std::vector<uchar> m_table;
};

struct Layout {
    qint64 width = 0;
    qint64 height = 0;
    bool topDown = false;
    int bits = 0;
    quint32 compression = kRgb;
    std::array<quint32, 4> masks{}; // red, green, blue, alpha
    std::array<QRgb, 256> palette{};
    qint64 dataStart = 0;
};

using Problem = std::optional<LoadProblem>;

bool KnownHeaderSize(quint32 size)
{
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

bool SupportedDepth(const Layout &l, bool core)
{
    switch (l.compression) {
    case kRgb:
        return l.bits == 1 || l.bits == 4 || l.bits == 8 || l.bits == 24 || (!core && (l.bits == 16 || l.bits == 32));
    case kRle8: return !core && l.bits == 8;
    case kRle4: return !core && l.bits == 4;
    case kBitFields:
    case kAlphaBitFields: return !core && (l.bits == 16 || l.bits == 32);
    default: return false;
    }
}

// The size, depth and packing from the info header that starts at byte 14.
Problem ReadInfoHeader(const Bytes &b, quint32 headerSize, Layout &l)
{
    const bool core = headerSize == 12;
    qint64 height = 0;
    if (core) {
        l.width = b.u16(18);
        height = b.u16(20);
        l.bits = b.u16(24);
    } else {
        l.width = b.i32(18);
        height = b.i32(22);
        l.bits = b.u16(28);
        l.compression = b.u32(30);
    }
    if (!SupportedDepth(l, core))
        return LoadProblem::NotAPicture;
    l.topDown = height < 0;
    l.height = height < 0 ? -height : height;
    if (l.width <= 0 || l.height <= 0 || l.height > INT_MAX)
        return LoadProblem::Damaged;
    return std::nullopt;
}

// Bit-field masks sit inside the larger headers, or just after the 40-byte one. Returns the
// bytes they take after the header.
Problem ReadMasks(const Bytes &b, quint32 headerSize, Layout &l, qint64 &bytesAfterHeader)
{
    bytesAfterHeader = 0;
    if (l.compression != kBitFields && l.compression != kAlphaBitFields) {
        if (l.bits == 16)
            l.masks = {0x7C00, 0x03E0, 0x001F, 0};
        else
            l.masks = {0xFF0000, 0xFF00, 0xFF, 0};
        return std::nullopt;
    }
    const int count = l.compression == kAlphaBitFields || headerSize >= 56 ? 4 : 3;
    const qint64 at = kFileHeaderBytes + 40;
    if (headerSize == 40)
        bytesAfterHeader = count * 4;
    if (!b.has(at, count * 4))
        return LoadProblem::Damaged;
    for (int i = 0; i < count; ++i)
        l.masks[i] = b.u32(at + 4 * i);
    return std::nullopt;
}

// The colour table, and where the pixels start. The data offset is trusted where it leaves
// room for the table, so a table that claims more colours than fit before the pixels is cut
// to what fits; an offset pointing into the headers is ignored.
Problem ReadPalette(const Bytes &b, quint32 headerSize, qint64 tableStart, Layout &l)
{
    const qint64 offset = b.u32(10);
    if (l.bits > 8) {
        l.dataStart = offset >= tableStart ? offset : tableStart;
        return std::nullopt;
    }
    const qint64 entryBytes = headerSize == 12 ? 3 : 4;
    const qint64 used = headerSize == 12 ? 0 : b.u32(kFileHeaderBytes + 32);
    const qint64 declared = used == 0 ? (qint64{1} << l.bits) : used;
    qint64 count = std::min(declared, qint64{1} << l.bits);
    if (offset >= tableStart) {
        count = std::min(count, (offset - tableStart) / entryBytes);
        l.dataStart = offset;
    } else {
        l.dataStart = tableStart + declared * entryBytes;
    }
    if (count == 0 || !b.has(tableStart, count * entryBytes))
        return LoadProblem::Damaged;
    l.palette.fill(qRgb(0, 0, 0));
    for (qint64 i = 0; i < count; ++i) {
        const uchar *e = b.data + tableStart + i * entryBytes;
        l.palette[i] = qRgb(e[2], e[1], e[0]);
    }
    return std::nullopt;
}

Problem ReadLayout(const Bytes &b, qint64 memoryLimitBytes, Layout &l, QSize &declared)
{
    if (b.size < 2 || b.data[0] != 'B' || b.data[1] != 'M')
        return LoadProblem::NotAPicture;
    if (!b.has(0, kFileHeaderBytes + 4))
        return LoadProblem::Damaged;
    const quint32 headerSize = b.u32(kFileHeaderBytes);
    if (!KnownHeaderSize(headerSize))
        return LoadProblem::NotAPicture;
    if (!b.has(kFileHeaderBytes, headerSize))
        return LoadProblem::Damaged;
    if (Problem p = ReadInfoHeader(b, headerSize, l))
        return p;
    // Divided, not multiplied: two 31-bit sides times four bytes would overflow.
    if (l.width > memoryLimitBytes / 4 / l.height) {
        declared = QSize(static_cast<int>(std::min<qint64>(l.width, INT_MAX)), static_cast<int>(l.height));
        return LoadProblem::TooLarge;
    }
    qint64 maskBytes = 0;
    if (Problem p = ReadMasks(b, headerSize, l, maskBytes))
        return p;
    return ReadPalette(b, headerSize, kFileHeaderBytes + headerSize + maskBytes, l);
}

QRgb *ImageRow(QImage &image, const Layout &l, qint64 storedRow)
{
    const qint64 y = l.topDown ? storedRow : l.height - 1 - storedRow;
    return reinterpret_cast<QRgb *>(image.scanLine(static_cast<int>(y)));
}

void IndexedRow(const uchar *src, QRgb *dst, const Layout &l)
{
    if (l.bits == 8) {
        for (qint64 x = 0; x < l.width; ++x)
            dst[x] = l.palette[src[x]];
        return;
    }
    const int perByte = 8 / l.bits;
    const uchar mask = static_cast<uchar>((1u << l.bits) - 1);
    for (qint64 x = 0; x < l.width; ++x) {
        const int shift = 8 - l.bits * (static_cast<int>(x % perByte) + 1);
        dst[x] = l.palette[(src[x / perByte] >> shift) & mask];
    }
}

// The common 24- and 32-bit layout, blue, green, red bytes, needs no fields.
bool PlainRgb(const Layout &l)
{
    return (l.bits == 24 || l.bits == 32) && l.masks == std::array<quint32, 4>{0xFF0000, 0xFF00, 0xFF, 0};
}

void PlainRgbRow(const uchar *src, QRgb *dst, const Layout &l)
{
    const int step = l.bits / 8;
    for (qint64 x = 0; x < l.width; ++x, src += step)
        dst[x] = 0xFF000000u | (quint32{src[2]} << 16) | (quint32{src[1]} << 8) | src[0];
}

// Returns whether any pixel had a non-zero alpha.
bool PackedRow(const uchar *src, QRgb *dst, const Layout &l, const std::array<Channel, 4> &ch)
{
    bool anyAlpha = false;
    const int step = l.bits / 8;
    for (qint64 x = 0; x < l.width; ++x, src += step) {
        quint32 v = src[0] | (quint32{src[1]} << 8);
        if (step >= 3)
            v |= quint32{src[2]} << 16;
        if (step == 4)
            v |= quint32{src[3]} << 24;
        const uchar a = ch[3].present() ? ch[3](v) : 255;
        anyAlpha |= a != 0;
        dst[x] = qRgba(ch[0](v), ch[1](v), ch[2](v), a);
    }
    return anyAlpha;
}

qint64 Stride(const Layout &l) { return (l.width * l.bits + 31) / 32 * 4; }

// Uncompressed rows must all be there, up to the last pixel (the padding after it carries nothing).
bool RowsPresent(const Bytes &b, const Layout &l)
{
    return b.has(l.dataStart, (l.height - 1) * Stride(l) + (l.width * l.bits + 7) / 8);
}

Problem DecodeRows(const Bytes &b, const Layout &l, QImage &image)
{
    const qint64 stride = Stride(l);
    const std::array<Channel, 4> ch{Channel(l.masks[0]), Channel(l.masks[1]), Channel(l.masks[2]),
                                    Channel(l.masks[3])};
    const bool plain = PlainRgb(l);
    bool anyAlpha = false;
    for (qint64 row = 0; row < l.height; ++row) {
        const uchar *src = b.data + l.dataStart + row * stride;
        QRgb *dst = ImageRow(image, l, row);
        if (l.bits <= 8)
            IndexedRow(src, dst, l);
        else if (plain)
            PlainRgbRow(src, dst, l);
        else
            anyAlpha |= PackedRow(src, dst, l, ch);
    }
    // A file that sets an alpha field but leaves it zero everywhere means opaque, not invisible.
    if (ch[3].present() && anyAlpha) {
        image.reinterpretAsFormat(QImage::Format_ARGB32);
    } else if (ch[3].present()) {
        for (int y = 0; y < image.height(); ++y) {
            QRgb *row = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                row[x] |= 0xFF000000u;
        }
    }
    return std::nullopt;
}

// Run-length pixels: counted runs, literal runs, jumps, ends of line and the end of the
// picture. Common writers run a row on to its padded width (124 pixels for 123), so pixels past a
// row's end are dropped, as other readers do; runs past the last row, jumps past the picture, and
// data that stops before the end mark while pixels are still missing are damage. Jumped-over
// pixels take colour 0.
class RunLengthDecoder {
public:
    RunLengthDecoder(const Bytes &b, const Layout &l, QImage &image) : m_b(b), m_l(l), m_image(image) {}

    Problem run()
    {
        m_image.fill(m_l.palette[0]);
        qint64 pos = m_l.dataStart;
        while (m_y < m_l.height && m_b.has(pos, 2)) {
            const uchar count = m_b.data[pos];
            const uchar value = m_b.data[pos + 1];
            pos += 2;
            if (count > 0) {
                if (!inPicture())
                    return LoadProblem::Damaged;
                for (int i = 0; i < count; ++i)
                    put(m_l.bits == 8 ? value : (i % 2 == 0 ? value >> 4 : value & 0x0F));
            } else if (value == 0) {
                m_x = 0;
                ++m_y;
            } else if (value == 1) {
                return std::nullopt;
            } else if (value == 2) {
                if (!m_b.has(pos, 2))
                    break;
                m_x += m_b.data[pos];
                m_y += m_b.data[pos + 1];
                pos += 2;
                if (m_x > m_l.width || m_y > m_l.height)
                    return LoadProblem::Damaged;
            } else {
                const qint64 bytes = m_l.bits == 8 ? value : (value + 1) / 2;
                if (!m_b.has(pos, bytes))
                    break;
                if (!inPicture())
                    return LoadProblem::Damaged;
                for (int i = 0; i < value; ++i) {
                    const uchar v = m_b.data[pos + (m_l.bits == 8 ? i : i / 2)];
                    put(m_l.bits == 8 ? v : (i % 2 == 0 ? v >> 4 : v & 0x0F));
                }
                pos += bytes + (bytes & 1); // literal runs keep to 16-bit words
            }
        }
        const bool allThere = m_y >= m_l.height || (m_y == m_l.height - 1 && m_x >= m_l.width);
        return allThere ? std::nullopt : Problem(LoadProblem::Damaged);
    }

private:
    // Pixels after the last row can only come from damage.
    bool inPicture() const { return m_y < m_l.height; }
    void put(int index)
    {
        if (m_x < m_l.width)
            ImageRow(m_image, m_l, m_y)[m_x] = m_l.palette[index];
        ++m_x;
    }

    const Bytes &m_b;
    const Layout &m_l;
    QImage &m_image;
    qint64 m_x = 0;
    qint64 m_y = 0;
};

} // namespace

DecodedPicture DecodeBmp(const QByteArray &bytes, qint64 memoryLimitBytes)
{
    const Bytes b{reinterpret_cast<const uchar *>(bytes.constData()), bytes.size()};
    Layout layout;
    DecodedPicture out;
    if (Problem p = ReadLayout(b, memoryLimitBytes, layout, out.declaredSize)) {
        out.problem = *p;
        return out;
    }
    const bool runLength = layout.compression == kRle8 || layout.compression == kRle4;
    if (!runLength && !RowsPresent(b, layout)) {
        out.problem = LoadProblem::Damaged;
        return out;
    }
    QImage image = AllocatePicture(QSize(static_cast<int>(layout.width), static_cast<int>(layout.height)));
    if (image.isNull()) {
        out.problem = LoadProblem::TooLarge;
        out.declaredSize = QSize(static_cast<int>(layout.width), static_cast<int>(layout.height));
        return out;
    }
    const Problem p = runLength ? RunLengthDecoder(b, layout, image).run() : DecodeRows(b, layout, image);
    if (p) {
        out.problem = *p;
        return out;
    }
    out.image = std::move(image);
    return out;
}

} // namespace velmora
