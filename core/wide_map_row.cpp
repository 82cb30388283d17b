// Velmora — the row mapping with 64-byte table lookups, where the processor has them.
#include "core/wide_map_row.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define VELMORA_WIDE_MAP 1
#endif

namespace velmora {

#ifdef VELMORA_WIDE_MAP

bool WideMapRowAvailable()
{
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw")
           && __builtin_cpu_supports("avx512vbmi");
}

namespace {

// One channel's 256 answers in four registers: the low 7 bits of each byte pick within a half, the top
// bit picks the half. Every byte of the group is looked up; the caller keeps the channel's own lanes.
struct ByteTable {
    __m512i q0, q1, q2, q3;
};

__attribute__((target("avx512f,avx512bw,avx512vbmi"))) inline ByteTable LoadTable(const std::uint8_t *t)
{
    return {_mm512_loadu_si512(t), _mm512_loadu_si512(t + 64), _mm512_loadu_si512(t + 128),
            _mm512_loadu_si512(t + 192)};
}

__attribute__((target("avx512f,avx512bw,avx512vbmi"))) inline __m512i Look(const ByteTable &t, __m512i bytes,
                                                                            __mmask64 upperHalf)
{
    return _mm512_mask_blend_epi8(upperHalf, _mm512_permutex2var_epi8(t.q0, bytes, t.q1),
                                  _mm512_permutex2var_epi8(t.q2, bytes, t.q3));
}

} // namespace

__attribute__((target("avx512f,avx512bw,avx512vbmi"))) int WideMapRow(std::uint32_t *row, int width,
                                                                       const std::uint8_t *tables)
{
    const ByteTable blue = LoadTable(tables);
    const ByteTable green = LoadTable(tables + 256);
    const ByteTable red = LoadTable(tables + 512);
    // Bytes of a 0xAARRGGBB pixel in memory: blue, green, red, alpha; alpha always comes out opaque.
    constexpr __mmask64 kBlue = 0x1111111111111111ull;
    const __m512i opaque = _mm512_set1_epi32(static_cast<int>(0xFF000000u));
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m512i pixels = _mm512_loadu_si512(row + x);
        const __mmask64 upper = _mm512_movepi8_mask(pixels);
        __m512i out = _mm512_mask_mov_epi8(opaque, kBlue, Look(blue, pixels, upper));
        out = _mm512_mask_mov_epi8(out, kBlue << 1, Look(green, pixels, upper));
        out = _mm512_mask_mov_epi8(out, kBlue << 2, Look(red, pixels, upper));
        _mm512_storeu_si512(row + x, out);
    }
    return x;
}

#else

bool WideMapRowAvailable() { return false; }
int WideMapRow(std::uint32_t *, int, const std::uint8_t *) { return 0; }

#endif

} // namespace velmora
