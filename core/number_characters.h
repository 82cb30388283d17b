// Velmora — number characters typed in other widths and scripts, read as the plain ASCII ones.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// UTF-8 text with every decimal digit of any script (full-width, Arabic-Indic, Devanagari, ...)
// replaced by its ASCII digit, and the full-width forms of ASCII characters (signs, point, letters,
// '&') and the ideographic space replaced by their ASCII forms, as compatibility folding reads them.
// Everything else, including bytes that are not valid UTF-8, is kept as it is.
std::string FoldNumberCharacters(std::string_view utf8);

} // namespace velmora
