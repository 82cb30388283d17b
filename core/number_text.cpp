// Velmora — numbers as the window's text fields show them, and the two ways of reading them back.
#include "core/number_text.h"

#include "core/number_characters.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace velmora {

namespace {

// to_chars is locale-free, unlike printf and strtod, whose decimal point follows the user's locale.
std::string GeneralText(double value, int significantDigits)
{
    if (value == 0.0)
        return "0"; // also for -0
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::general, significantDigits);
    std::string text(buffer, result.ptr);
    for (char &c : text)
        if (c == 'e')
            c = 'E';
    return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A decimal number split into its parts, ready for from_chars (which takes no '+').
struct DecimalParts {
    bool negative = false;
    std::string mantissa; // digits with an optional '.', at least one digit
    std::string exponent; // optional sign and digits, or empty
    std::string text() const { return exponent.empty() ? mantissa : mantissa + 'e' + exponent; }

    // Roughly log10 of the magnitude: above 0 the number is at least 1.
    long decimalExponent() const
    {
        long e = 0;
        if (!exponent.empty()) {
            // Far beyond any real's range either way; saturate to stay clear of overflow.
            const auto r = std::from_chars(exponent.data() + (exponent[0] == '+'),
                                           exponent.data() + exponent.size(), e);
            if (r.ec == std::errc::result_out_of_range)
                e = exponent[0] == '-' ? -100000L : 100000L;
            e = std::clamp(e, -100000L, 100000L);
        }
        const std::size_t point = mantissa.find('.');
        const std::string whole = mantissa.substr(0, point);
        const std::size_t firstNonZero = whole.find_first_not_of('0');
        if (firstNonZero != std::string::npos)
            return static_cast<long>(whole.size() - firstNonZero) + e;
        if (point == std::string::npos)
            return e - 1000000; // zero
        const std::string fraction = mantissa.substr(point + 1);
        const std::size_t lead = fraction.find_first_not_of('0');
        return lead == std::string::npos ? e - 1000000 : e - static_cast<long>(lead);
    }
};

// Takes the longest decimal number at the start of `s`; returns how many characters it used
// (0 when there is none).
std::size_t TakeDecimal(std::string_view s, DecimalParts &parts)
{
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        parts.negative = s[i++] == '-';
    std::size_t digits = 0;
    while (i < s.size() && IsDigit(s[i])) {
        parts.mantissa += s[i++];
        ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        std::size_t j = i + 1;
        std::string fraction;
        while (j < s.size() && IsDigit(s[j]))
            fraction += s[j++];
        if (digits > 0 || !fraction.empty()) {
            parts.mantissa += '.' + fraction;
            digits += fraction.size();
            i = j;
        }
    }
    if (digits == 0)
        return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        std::string exponent;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            exponent += s[j++];
        std::size_t start = j;
        while (j < s.size() && IsDigit(s[j]))
            exponent += s[j++];
        if (j > start) {
            parts.exponent = exponent;
            i = j;
        }
    }
    return i;
}

template <typename Real>
std::optional<Real> ParseParts(const DecimalParts &parts)
{
    const std::string text = parts.text();
    Real value{};
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too small to hold reads as zero; too large is no number of this type.
        if (parts.decimalExponent() > 0)
            return std::nullopt;
        value = 0;
    } else if (result.ec != std::errc{}) {
        return std::nullopt;
    }
    return parts.negative ? -value : value;
}

double RadixValue(std::string_view s, int radix)
{
    double value = 0;
    for (char c : s) {
        int digit;
        if (IsDigit(c))
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        if (digit >= radix)
            break;
        value = value * radix + digit;
    }
    return value;
}

std::string_view TrimBlanks(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

template <typename Real>
std::optional<Real> StrictParse(std::string_view typed)
{
    const std::string folded = FoldNumberCharacters(typed);
    const std::string_view text = TrimBlanks(folded);
    DecimalParts parts;
    if (text.empty() || TakeDecimal(text, parts) != text.size())
        return std::nullopt;
    return ParseParts<Real>(parts);
}

} // namespace

std::string IntegerText(std::int64_t value) { return std::to_string(value); }

std::string RealText(double value) { return GeneralText(value, 15); }

std::string SingleText(float value) { return GeneralText(value, 7); }

double LenientValue(std::string_view typed)
{
    std::string s;
    for (char c : FoldNumberCharacters(typed))
        if (c != ' ' && c != '\t' && c != '\n')
            s += c;
    if (s.size() >= 2 && s[0] == '&') {
        if (s[1] == 'H' || s[1] == 'h')
            return RadixValue(std::string_view(s).substr(2), 16);
        if (s[1] == 'O' || s[1] == 'o')
            return RadixValue(std::string_view(s).substr(2), 8);
    }
    DecimalParts parts;
    if (TakeDecimal(s, parts) == 0)
        return 0;
    if (const auto value = ParseParts<double>(parts))
        return *value;
    return parts.negative ? -std::numeric_limits<double>::infinity()
                          : std::numeric_limits<double>::infinity();
}

std::optional<double> StrictReal(std::string_view text) { return StrictParse<double>(text); }

std::optional<float> StrictSingle(std::string_view text) { return StrictParse<float>(text); }

std::optional<std::int32_t> StrictInteger(std::string_view text)
{
    const auto value = StrictReal(text);
    if (!value)
        return std::nullopt;
    const double rounded = std::nearbyint(*value); // the default rounding mode is half to even
    if (!(rounded >= std::numeric_limits<std::int32_t>::min()
          && rounded <= std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

} // namespace velmora
