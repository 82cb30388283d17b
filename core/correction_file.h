// Velmora — one correction written down: the gains of a pass and the colours they came from, as a
// small versioned text that any photo of a shoot can be corrected with.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "core/colour_word.h"
#include "core/gain_table.h"

namespace velmora {

// The gains are the whole correction; the colours are kept so the window can show where the
// gains came from and 校正 can take them again.
struct CorrectionRecord {
    Gains gains;
    std::optional<std::array<double, 3>> reference;
    std::optional<Channels> target;
    std::optional<Gains> differences;
};

enum class CorrectionFileError {
    NotACorrection, // no heading of ours: some other file
    NewerVersion,   // written by a later version of the program
    NoGains,        // the heading is there but the gains line is missing
    BadNumbers,     // a line holds something other than three finite numbers
    TooLong,        // far larger than any correction we write: not ours
    RepeatedKey,    // a line's key stands twice: which one was meant cannot be known
    Unreadable,     // the file cannot be opened or read
};

inline constexpr int kCorrectionFileVersion = 1;
// Our files are a few hundred bytes; anything bigger is refused before it is parsed.
inline constexpr std::size_t kCorrectionFileMaxBytes = 64 * 1024;

// The text of a `.velmora` file, with every gain written so that it reads back to the same float.
std::string CorrectionText(const CorrectionRecord &record);
std::variant<CorrectionRecord, CorrectionFileError> ReadCorrection(std::string_view text);

// Three numbers separated by commas, blanks around each allowed: "0.12,-0.05, 0.08". Nothing when
// there are not exactly three, or one is not a finite number.
std::optional<std::array<double, 3>> ParseTriple(std::string_view text);
// The same, each read as the pass holds a gain (single precision) and finite there.
std::optional<Gains> ParseGains(std::string_view text);
// Three whole numbers in 0..255, as a picked target colour is.
std::optional<Channels> ParseChannels(std::string_view text);

} // namespace velmora
