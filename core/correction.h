// Velmora — the 校正 click on the window's fields: the differences read, the gains taken, every row
// rewritten with its progress shown. Returns what happened; the window words it and beeps.
#pragma once

#include <cstdint>
#include <optional>

#include "core/colour_word.h"
#include "core/correction_pass.h"
#include "core/form_fields.h"
#include "core/gain_table.h"
#include "core/refusal.h"

namespace velmora {

struct PassOutcome {
    std::optional<Refusal> refusal;
    RefusalDetail detail; // the channel and colour a rule's refusal is about
    Gains gains;        // the design's gains, when the pass ran by them
    Step step;          // what the pass applied, when it ran
    bool ended = false; // afterRow stopped it between two rows
};

// The click's first check, before anything changes: NoDifference when the three difference
// fields all read 0 (empty and non-numeric texts read 0 here).
std::optional<Refusal> CheckDifferencesEntered(const FormFields &fields);

// Reads the differences strictly, makes the pass by `rule` (refused before any pixel changes when
// the rule cannot make it), and rewrites every row of `target` with the progress bar and text
// after each. A TooLarge refusal resets the three differences to 0.
PassOutcome CorrectTarget(FormFields &fields, PictureSurface &target, const Channels &targetChannels,
                          const AfterRow &afterRow, Rule rule = Rule::Design);

} // namespace velmora
