// Velmora — picking the reference and the target colour into the window's colour fields.
#include "core/picks.h"

#include <array>
#include <optional>

#include "core/messages.h"
#include "core/number_text.h"
#include "platform/form_fields.h"
#include "platform/services.h"

namespace velmora {

namespace {

constexpr std::array kReferenceFields{Field::主红, Field::主绿, Field::主蓝};
constexpr std::array kTargetFields{Field::客红, Field::客绿, Field::客蓝};
constexpr std::array kDifferenceFields{Field::红, Field::绿, Field::蓝};

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

void PickTarget(ColourWord hoverColour, FormFields &fields, MessageBox &messages,
                Channels &targetChannels)
{
    bool allZero = true;
    for (Field f : kReferenceFields)
        allZero = allZero && LenientValue(fields.text(f)) == 0;
    if (allZero) {
        messages.show(text::kNoReference, text::kNoticeTitle);
        return;
    }

    // Checked before anything is written, so a refused pick leaves every field as it was.
    std::array<double, 3> reference{};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::optional<double> value = StrictReal(fields.text(kReferenceFields[i]));
        if (!value) {
            messages.show(text::kReferenceNotNumber, text::kNoticeTitle);
            return;
        }
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
    targetChannels = {target[0], target[1], target[2]};
}

} // namespace velmora
