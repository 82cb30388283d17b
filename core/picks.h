// Velmora — picking the reference and the target colour into the window's colour fields.
#pragma once

#include <variant>

#include "core/colour_word.h"
#include "core/form_fields.h"
#include "core/refusal.h"

namespace velmora {

// Writes the hovered colour's channels into the reference fields, red, green, blue in that order.
void PickReference(ColourWord hoverColour, FormFields &fields);

// Writes the hovered colour into the target fields and the differences reference minus target
// into the difference fields; gives the target's channels. Refuses, changing nothing, when the
// reference fields all read 0 (NoReference) or one of them is not a number (ReferenceNotNumber).
std::variant<Channels, Refusal> PickTarget(ColourWord hoverColour, FormFields &fields);

} // namespace velmora
