// Velmora — whether a GIF holds its whole first frame.
#include "picture/gif_check.h"

#include <array>
#include <optional>

namespace velmora {

namespace {

constexpr int kMaxCodes = 4096;

class Cursor {
public:
    explicit Cursor(const QByteArray &bytes) : m_bytes(bytes) {}
    bool has(qint64 count) const { return count >= 0 && m_pos <= m_bytes.size() - count; }
    uchar byte(qint64 at) const { return static_cast<uchar>(m_bytes[m_pos + at]); }
    int u16(qint64 at) const { return byte(at) | (byte(at + 1) << 8); }
    void skip(qint64 count) { m_pos += count; }
    qint64 pos() const { return m_pos; }
    const QByteArray &bytes() const { return m_bytes; }

private:
    const QByteArray &m_bytes;
    qint64 m_pos = 0;
};

// Steps over a colour table when the packed field says one follows.
bool SkipColourTable(Cursor &c, uchar packed)
{
    if (!(packed & 0x80))
        return true;
    const qint64 bytes = 3 * (qint64{2} << (packed & 0x07));
    if (!c.has(bytes))
        return false;
    c.skip(bytes);
    return true;
}

// Steps over data sub-blocks up to and past their zero terminator, collecting them when asked.
bool ReadSubBlocks(Cursor &c, QByteArray *collected)
{
    for (;;) {
        if (!c.has(1))
            return false;
        const int length = c.byte(0);
        if (!c.has(1 + length))
            return false;
        if (length == 0) {
            c.skip(1);
            return true;
        }
        if (collected)
            collected->append(c.bytes().constData() + c.pos() + 1, length);
        c.skip(1 + length);
    }
}

// Counts the pixels an LZW stream gives, stopping once it has `wanted` of them. Only the
// length of each code's string matters, so the table holds lengths, not strings.
qint64 LzwPixelCount(const QByteArray &data, int minCodeSize, qint64 wanted)
{
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    std::array<qint64, kMaxCodes> length{};
    for (int i = 0; i < clear; ++i)
        length[i] = 1;
    int codeSize = minCodeSize + 1;
    int next = clear + 2;
    int previous = -1;
    qint64 pixels = 0;
    quint32 buffer = 0;
    int buffered = 0;
    for (qint64 i = 0; pixels < wanted;) {
        while (buffered < codeSize && i < data.size()) {
            buffer |= quint32{static_cast<uchar>(data[i++])} << buffered;
            buffered += 8;
        }
        if (buffered < codeSize)
            break;
        const int code = static_cast<int>(buffer & ((1u << codeSize) - 1));
        buffer >>= codeSize;
        buffered -= codeSize;
        if (code == clear) {
            codeSize = minCodeSize + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (code == end)
            break;
        if (previous < 0) {
            if (code >= clear)
                break; // the first code after a clear must be a plain colour
            pixels += 1;
            previous = code;
            continue;
        }
        if (code > next || (code == next && next >= kMaxCodes))
            break; // refers to an entry not yet made: damaged data
        const qint64 produced = code < next ? length[code] : length[previous] + 1;
        pixels += produced;
        if (next < kMaxCodes) {
            length[next] = length[previous] + 1;
            ++next;
            if (next == (1 << codeSize) && codeSize < 12)
                ++codeSize;
        }
        previous = code;
    }
    return pixels;
}

// Walks to the first image descriptor past any extensions; false if the file ends or breaks first.
bool SkipToFirstImage(Cursor &c)
{
    if (!c.has(13) || (c.bytes().left(6) != "GIF87a" && c.bytes().left(6) != "GIF89a"))
        return false;
    const uchar screenPacked = c.byte(10);
    c.skip(13);
    if (!SkipColourTable(c, screenPacked))
        return false;
    for (;;) {
        if (!c.has(1))
            return false;
        const uchar introducer = c.byte(0);
        if (introducer == 0x2C)
            return true;
        if (introducer != 0x21 || !c.has(2))
            return false; // a trailer or anything else before the first frame: no frame
        c.skip(2);
        if (!ReadSubBlocks(c, nullptr))
            return false;
    }
}

} // namespace

bool GifFirstFrameComplete(const QByteArray &bytes)
{
    Cursor c(bytes);
    if (!SkipToFirstImage(c) || !c.has(10))
        return false;
    const qint64 width = c.u16(5);
    const qint64 height = c.u16(7);
    const uchar packed = c.byte(9);
    c.skip(10);
    if (width == 0 || height == 0 || !SkipColourTable(c, packed) || !c.has(1))
        return false;
    const int minCodeSize = c.byte(0);
    c.skip(1);
    if (minCodeSize < 1 || minCodeSize > 11)
        return false;
    QByteArray data;
    if (!ReadSubBlocks(c, &data))
        return false;
    return LzwPixelCount(data, minCodeSize, width * height) >= width * height;
}

} // namespace velmora
