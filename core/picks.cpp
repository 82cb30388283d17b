// Velmora — picking the reference and the target colour into the window's colour fields.
#include "core/picks.h"

#include <array>
#include <optional>

#include "core/number_text.h"

namespace velmora {

namespace {

constexpr std::array kReferenceFields{Field::ReferenceRed, Field::ReferenceGreen, Field::ReferenceBlue};
constexpr std::array kTargetFields{Field::TargetRed, Field::TargetGreen, Field::TargetBlue};
constexpr std::array kDifferenceFields{Field::DifferenceRed, Field::DifferenceGreen, Field::DifferenceBlue};

void WriteChannels(const Channels &c, const std::array<Field, 3> &to, FormFields &fields)
{
    fields.setText(to[0], IntegerText(c.red));
    fields.setText(to[1], IntegerText(c.green));
    fields.setText(to[2], IntegerText(c.blue));
}

} // namespace

void PickReference(ColourWord hoverColour, FormFields &fields)
{
    WriteChannels(SplitColour(hoverColour), kReferenceFields, fields);
}

std::variant<Channels, Refusal> PickTarget(ColourWord hoverColour, FormFields &fields)
{
    bool allZero = true;
    for (Field f : kReferenceFields)
        allZero = allZero && LenientValue(fields.text(f)) == 0;
    if (allZero)
        return Refusal::NoReference;

    // Checked before anything is written, so a refused pick leaves every field as it was.
    std::array<double, 3> reference{};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::optional<double> value = StrictReal(fields.text(kReferenceFields[i]));
        if (!value)
            return Refusal::ReferenceNotNumber;
        reference[i] = *value;
    }

    WriteChannels(SplitColour(hoverColour), kTargetFields, fields);

    // The target values are read back from the fields just written; they always hold integers.
    std::array<std::int32_t, 3> target{};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string written = fields.text(kTargetFields[i]);
        target[i] = StrictInteger(written).value_or(0);
        fields.setText(kDifferenceFields[i], RealText(reference[i] - StrictReal(written).value_or(0)));
    }
    return Channels{target[0], target[1], target[2]};
}

} // namespace velmora
