// Velmora — numbers as the window's text fields show them, and the two ways of reading them back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// Plain decimal: "0", "183", "-12".
std::string IntegerText(std::int64_t value);
// At most 15 significant digits, no trailing zeros, no point when integral: "27", "-0.2".
std::string RealText(double value);
// The same with at most 7 significant digits: "0.3333333".
std::string SingleText(float value);

// Both readings first take digits of any script and full-width signs, point and letters as their
// ASCII forms, as typed with a full-width input method.

// Lenient reading: blanks, tabs and line feeds are ignored wherever they stand; then a decimal
// number with optional sign, point and exponent, or &H hex / &O octal digits. Reading stops at the
// first other character; empty or non-numeric text reads 0.
double LenientValue(std::string_view text);

// Strict readings: the whole text, blanks around it aside, must be a number
// (sign, digits with optional point and fraction, optional exponent). Nothing on failure.
std::optional<double> StrictReal(std::string_view text);
std::optional<float> StrictSingle(std::string_view text);
// Rounded half to even; nothing when outside the 32-bit range.
std::optional<std::int32_t> StrictInteger(std::string_view text);

} // namespace velmora
