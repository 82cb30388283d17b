// Velmora — number characters typed in other widths and scripts, read as the plain ASCII ones.
#include "core/number_characters.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace velmora {

namespace {

// The zero of every run of ten decimal digits (Unicode category Nd, 14.0), ASCII's aside;
// each run holds 0 to 9 in order.
constexpr std::array<char32_t, 65> kDigitZeros{
    0x0660,  0x06F0,  0x07C0,  0x0966,  0x09E6,  0x0A66,  0x0AE6,  0x0B66,  0x0BE6,  0x0C66,  0x0CE6,
    0x0D66,  0x0DE6,  0x0E50,  0x0ED0,  0x0F20,  0x1040,  0x1090,  0x17E0,  0x1810,  0x1946,  0x19D0,
    0x1A80,  0x1A90,  0x1B50,  0x1BB0,  0x1C40,  0x1C50,  0xA620,  0xA8D0,  0xA900,  0xA9D0,  0xA9F0,
    0xAA50,  0xABF0,  0xFF10,  0x104A0, 0x10D30, 0x11066, 0x110F0, 0x11136, 0x111D0, 0x112F0, 0x11450,
    0x114D0, 0x11650, 0x116C0, 0x11730, 0x118E0, 0x11950, 0x11C50, 0x11D50, 0x11DA0, 0x16A60, 0x16AC0,
    0x16B50, 0x1D7CE, 0x1D7D8, 0x1D7E2, 0x1D7EC, 0x1D7F6, 0x1E140, 0x1E2F0, 0x1E950, 0x1FBF0};

static_assert(std::is_sorted(kDigitZeros.begin(), kDigitZeros.end()));

// The ASCII character `c` reads as, or 0 when it has none.
char AsciiFor(char32_t c)
{
    if (c >= 0xFF01 && c <= 0xFF5E) // full-width forms of '!' to '~'
        return static_cast<char>(c - 0xFF01 + '!');
    if (c == 0x3000) // ideographic space
        return ' ';
    const auto after = std::upper_bound(kDigitZeros.begin(), kDigitZeros.end(), c);
    if (after != kDigitZeros.begin() && c - *(after - 1) < 10)
        return static_cast<char>('0' + (c - *(after - 1)));
    return 0;
}

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Decodes one well-formed UTF-8 character at the start of `s` (shortest form, no surrogates, at
// most U+10FFFF); its length, or 0 when the bytes there are not one.
std::size_t Decode(std::string_view s, char32_t &c)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(0);
    std::size_t length;
    char32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80, c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800, c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000, c = lead & 0x07;
    } else {
        return 0;
    }
    if (s.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsContinuation(byte(i)))
            return 0;
        c = c << 6 | (byte(i) & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

std::string FoldNumberCharacters(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        char32_t c = 0;
        const std::size_t length = static_cast<unsigned char>(utf8[0]) < 0x80 ? 0 : Decode(utf8, c);
        const char ascii = length ? AsciiFor(c) : 0;
        const std::size_t used = length ? length : 1;
        if (ascii)
            out += ascii;
        else
            out.append(utf8.substr(0, used));
        utf8.remove_prefix(used);
    }
    return out;
}

} // namespace velmora
