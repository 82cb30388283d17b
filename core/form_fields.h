// Velmora — the window's text fields and progress bar, as the picks and the pass reach them.
#pragma once

#include <string>

namespace velmora {

// The text fields the core reads and writes. Colour fields hold what the user sees, and
// whatever text stands there when read is what counts.
enum class Field {
    ReferenceRed, ReferenceGreen, ReferenceBlue,
    TargetRed, TargetGreen, TargetBlue,
    DifferenceRed, DifferenceGreen, DifferenceBlue,
    ReferencePointer, // the reference side's pointer position
    TargetStatus,     // the photo side's pointer position, and the pass's progress
};
inline constexpr int kFieldCount = 11;

class FormFields {
public:
    virtual ~FormFields() = default;

    // Texts are UTF-8.
    virtual std::string text(Field field) const = 0;
    virtual void setText(Field field, const std::string &text) = 0;

    // The row-progress bar under the pictures.
    virtual void setProgressMaximum(int maximum) = 0;
    virtual void setProgressValue(int value) = 0;
};

} // namespace velmora
