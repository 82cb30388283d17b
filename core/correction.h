// Velmora — the correction pass: the picked difference becomes one gain per channel, and every
// pixel of the target picture is rewritten, row by row, with progress after each row.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/colour_word.h"
#include "core/gain_table.h"

namespace velmora {

class FormFields;
class PictureSurface;
class MessageBox;
class Beeper;
class EventLoop;

struct CorrectionServices {
    FormFields &fields;
    PictureSurface &target;
    MessageBox &messages;
    Beeper &beeper;
    EventLoop &loop;
};

// Int((dG + dR + dB) / 3) + Int((tR + tG + tB) / 3), in double precision; nothing when the
// result leaves the 32-bit range.
std::optional<std::int32_t> Brightness(const Channels &target, const Gains &differences);

// "已完成_37%" for row 37 of a picture whose last row is 100; 100% for a one-row picture.
std::string ProgressText(std::int32_t row, float lastRow);

// The 校正 click: refuses differences that all read 0, otherwise runs CorrectTarget.
void RequestCorrection(CorrectionServices &services, const Channels &targetChannels, Gains &gains);

// The pass itself; `gains` keeps the last gains (or differences, when refused).
void CorrectTarget(CorrectionServices &services, const Channels &targetChannels, Gains &gains);

} // namespace velmora
