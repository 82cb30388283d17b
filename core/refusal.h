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
};

} // namespace velmora
