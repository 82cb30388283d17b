// Velmora — the 24-bit bottom-up bitmap layout.
#include "io/bitmap_rows.h"

#include <bit>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

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

std::array<std::uint8_t, kBitmapHeaderBytes> BitmapHeader(const BitmapLayout &layout, std::uint32_t perMetreX,
                                                         std::uint32_t perMetreY)
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
    Put32(&h[38], perMetreX);
    Put32(&h[42], perMetreY);
    return h;
}

namespace {

void PackFourAtATime(const std::uint32_t *in, int width, std::uint8_t *out)
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

#if defined(__x86_64__)
// Sixteen pixels at a time, about three times the speed of the plain loop: one shuffle drops the
// fourth byte of four pixels, and three stores lay the four 12-byte pieces end to end. Every
// x86-64 processor of the last fifteen years has the shuffle; the program asks before using it.
__attribute__((target("ssse3"))) __m128i PackFour(const std::uint32_t *in)
{
    const __m128i dropFourth = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(in)), dropFourth);
}

__attribute__((target("ssse3"))) void PackSixteenAtATime(const std::uint32_t *in, int width, std::uint8_t *out)
{
    int x = 0;
    for (; x + 16 <= width; x += 16, out += 48) {
        const __m128i a = PackFour(in + x), b = PackFour(in + x + 4), c = PackFour(in + x + 8),
                      d = PackFour(in + x + 12);
        auto *to = reinterpret_cast<__m128i *>(out);
        _mm_storeu_si128(to, _mm_or_si128(a, _mm_slli_si128(b, 12)));
        _mm_storeu_si128(to + 1, _mm_or_si128(_mm_srli_si128(b, 4), _mm_slli_si128(c, 8)));
        _mm_storeu_si128(to + 2, _mm_or_si128(_mm_srli_si128(c, 8), _mm_slli_si128(d, 4)));
    }
    PackFourAtATime(in + x, width - x, out);
}

bool HasShuffle()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("ssse3") != 0;
    }();
    return has;
}
#endif

} // namespace

void PackBitmapRow(const std::uint32_t *in, int width, std::uint8_t *out)
{
#if defined(__x86_64__)
    if (HasShuffle())
        return PackSixteenAtATime(in, width, out);
#endif
    PackFourAtATime(in, width, out);
}

} // namespace velmora
