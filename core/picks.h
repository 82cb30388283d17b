// Velmora — picking the reference and the target colour into the window's colour fields.
#pragma once

#include "core/colour_word.h"

namespace velmora {

class FormFields;
class MessageBox;

// Writes the hovered colour's channels into 主红, 主绿, 主蓝, in that order.
void PickReference(ColourWord hoverColour, FormFields &fields);

// Writes the hovered colour into 客红, 客绿, 客蓝, the differences reference minus target into
// 红, 绿, 蓝, and sets `targetChannels`. Refuses, changing nothing, when the reference fields all
// read 0 or one of them is not a number.
void PickTarget(ColourWord hoverColour, FormFields &fields, MessageBox &messages,
                Channels &targetChannels);

} // namespace velmora
