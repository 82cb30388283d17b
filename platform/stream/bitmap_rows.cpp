// Velmora — the 24-bit bottom-up bitmap layout.
#include "platform/stream/bitmap_rows.h"

#include <bit>
#include <cstring>

namespace velmora {

static_assert(std::endian::native == std::endian::little, "rows are packed as little-endian words");

namespace {

void Put32(std::uint8_t *at, std::uint32_t v)
{
    at[0] = static_cast<std::uint8_t>(v);
    at[1] = static_cast<std::uint8_t>(v >> 8);
    at[2] = static_cast<std::uint8_t>(v >> 16);
    at[3] = static_cast<std::uint8_t>(v >> 24);
}

} // namespace

std::optional<BitmapLayout> LayOutBitmap(int width, int height)
{
    const long long rowBytes = (static_cast<long long>(width) * 3 + 3) & ~3LL;
    if (width <= 0 || height <= 0 || rowBytes * height > 0xFFFFFFFFLL - kBitmapHeaderBytes)
        return std::nullopt;
    return BitmapLayout{width, height, rowBytes};
}

std::array<std::uint8_t, kBitmapHeaderBytes> BitmapHeader(const BitmapLayout &layout)
{
    std::array<std::uint8_t, kBitmapHeaderBytes> h{};
    const auto imageBytes = static_cast<std::uint32_t>(layout.rowBytes * layout.height);
    h[0] = 'B';
    h[1] = 'M';
    Put32(&h[2], kBitmapHeaderBytes + imageBytes);
    Put32(&h[10], kBitmapHeaderBytes);
    Put32(&h[14], 40);
    Put32(&h[18], static_cast<std::uint32_t>(layout.width));
    Put32(&h[22], static_cast<std::uint32_t>(layout.height)); // positive: rows bottom-up
    h[26] = 1;                                                // one plane
    h[28] = 24;                                               // bits a pixel
    Put32(&h[34], imageBytes);
    Put32(&h[38], 3780); // 96 pixels per inch
    Put32(&h[42], 3780);
    return h;
}

void PackBitmapRow(const std::uint32_t *in, int width, std::uint8_t *out)
{
    int x = 0;
    for (; x + 4 <= width; x += 4, out += 12) {
        const std::uint32_t p0 = in[x] & 0xFFFFFF, p1 = in[x + 1] & 0xFFFFFF, p2 = in[x + 2] & 0xFFFFFF,
                            p3 = in[x + 3] & 0xFFFFFF;
        const std::uint32_t words[3] = {p0 | p1 << 24, p1 >> 8 | p2 << 16, p2 >> 16 | p3 << 8};
        std::memcpy(out, words, 12); // the machine is little-endian, as the file is
    }
    for (; x < width; ++x, out += 3) {
        out[0] = static_cast<std::uint8_t>(in[x]);
        out[1] = static_cast<std::uint8_t>(in[x] >> 8);
        out[2] = static_cast<std::uint8_t>(in[x] >> 16);
    }
}

} // namespace velmora
