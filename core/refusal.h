// Velmora — why a pick or a correction was not made; each face of the program words it its own way.
#pragma once

namespace velmora {

enum class Refusal {
    NoReference,         // a target pick before any reference colour
    ReferenceNotNumber,  // a reference field holds something other than a number
    NoDifference,        // every difference reads 0: nothing was picked or typed
    DifferenceNotNumber, // a difference field holds something other than a number
    OutOfRange,          // the brightness leaves the 32-bit range
    TooLarge,            // a difference above the limit
    TooDark,             // the brightness is zero or below: no gain can be taken from it
    // The rules' own refusals, each about one channel (RefusalDetail says which).
    Overshoot,      // the design's gains would carry the target far past the reference
    ChannelToBlack, // a design gain of -1 or below: the whole channel would turn black
    TargetBlack,    // 精确匹配 cannot scale a target channel of 0 up to anything
    ColourAtEnd,    // 保留黑白 needs both colours strictly between 0 and 255
    ReferenceOutside, // the target plus the difference leaves 0..255
};

// Which channel (0 red, 1 green, 2 blue) and colour a rule's refusal is about, and that colour's
// value there.
struct RefusalDetail {
    int channel = 0;
    bool inReference = false;
    double value = 0;
};

} // namespace velmora
