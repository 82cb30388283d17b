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

// With the design's rule the gains are the whole correction and the colours are kept so the
// window can show where the gains came from and 校正 can take them again; the other rules work
// from the two colours alone.
struct CorrectionRecord {
    Rule rule = Rule::Design;
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
    UnknownRule,    // the rule line names no rule we know
    NoColours,      // a rule that works from the colours, without the reference or the target
};

// Version 2 adds the rule; a version-1 file is the design's rule. Every file is written as
// version 2, which versions that know only 1 refuse as newer rather than misread.
inline constexpr int kCorrectionFileVersion = 2;
// Our files are a few hundred bytes; anything bigger is refused before it is parsed.
inline constexpr std::size_t kCorrectionFileMaxBytes = 64 * 1024;

// The text of a `.velmora` file, with every gain written so that it reads back to the same float.
std::string CorrectionText(const CorrectionRecord &record);
std::variant<CorrectionRecord, CorrectionFileError> ReadCorrection(std::string_view text);

// The pass a record applies.
Step StepOf(const CorrectionRecord &record);

// Three numbers separated by commas, blanks around each allowed: "0.12,-0.05, 0.08". Nothing when
// there are not exactly three, or one is not a finite number.
std::optional<std::array<double, 3>> ParseTriple(std::string_view text);
// The same, each read as the pass holds a gain (single precision) and finite there.
std::optional<Gains> ParseGains(std::string_view text);
// Three whole numbers in 0..255, as a picked target colour is.
std::optional<Channels> ParseChannels(std::string_view text);

} // namespace velmora
