// Velmora — the correction pass.
#include "core/correction.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "core/messages.h"
#include "core/number_text.h"
#include "platform/form_fields.h"
#include "platform/picture_surface.h"
#include "platform/services.h"

namespace velmora {

namespace {

constexpr std::array kPassButtons{Button::校正, Button::保存, Button::校正点, Button::Command1};
constexpr float kLimit = 100;

void SetPassButtons(FormFields &fields, bool enabled)
{
    for (Button b : kPassButtons)
        fields.setEnabled(b, enabled);
}

std::optional<Gains> ReadDifferences(const FormFields &fields)
{
    const auto r = StrictSingle(fields.text(Field::红));
    const auto g = StrictSingle(fields.text(Field::绿));
    const auto b = StrictSingle(fields.text(Field::蓝));
    if (!r || !g || !b)
        return std::nullopt;
    return Gains{*r, *g, *b};
}

// Shows a refusal that leaves the picture untouched and every pass button usable again.
void Refuse(CorrectionServices &s, const char *message)
{
    s.messages.show(message, text::kNoticeTitle);
    SetPassButtons(s.fields, true);
}

void RefuseTooLarge(CorrectionServices &s, Gains &differences)
{
    s.messages.show(text::kDifferenceTooLarge, text::kNoticeTitle);
    for (Field f : {Field::红, Field::绿, Field::蓝})
        s.fields.setText(f, "0");
    differences = {};
    // Only 校正 comes back; the other three wait for a pass that completes.
    s.fields.setEnabled(Button::校正, true);
}

// Rewrites rows 0..lastRow, each within the columns 0..lastColumn of whatever picture the box
// shows when the row starts. False when the program ended between two rows.
bool RunRows(CorrectionServices &s, const RowTables &tables, std::int32_t lastColumn, float lastRow)
{
    const auto rows = static_cast<std::int32_t>(lastRow);
    for (std::int32_t y = 0; y <= rows; ++y) {
        const PixelRow row = s.target.row(y);
        MapRow(row.pixels, std::min(row.width, lastColumn + 1), tables);
        s.target.refresh();
        s.fields.setProgressValue(y);
        s.fields.setText(Field::Text2, ProgressText(y, lastRow));
        if (!s.loop.processPendingEvents())
            return false;
    }
    return true;
}

} // namespace

std::optional<std::int32_t> Brightness(const Channels &target, const Gains &d)
{
    const std::int64_t sum = std::int64_t{target.red} + target.green + target.blue;
    const double average = std::floor(static_cast<double>(sum) / 3);
    const double difference = std::floor(
        (static_cast<double>(d.green) + static_cast<double>(d.red) + static_cast<double>(d.blue)) / 3);
    const double brightness = difference + average;
    if (!(brightness >= std::numeric_limits<std::int32_t>::min()
          && brightness <= std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    return static_cast<std::int32_t>(brightness);
}

std::string ProgressText(std::int32_t row, float lastRow)
{
    // One row leaves nothing to divide by; it is done as soon as it is written.
    const double percent = lastRow > 0 ? std::floor(row / static_cast<double>(lastRow) * 100) : 100;
    return "已完成_" + IntegerText(static_cast<std::int64_t>(percent)) + "%";
}

void RequestCorrection(CorrectionServices &services, const Channels &targetChannels, Gains &gains)
{
    const FormFields &fields = services.fields;
    if (LenientValue(fields.text(Field::红)) == 0 && LenientValue(fields.text(Field::绿)) == 0
        && LenientValue(fields.text(Field::蓝)) == 0) {
        services.messages.show(text::kNoDifference, text::kNoticeTitle);
        return;
    }
    CorrectTarget(services, targetChannels, gains);
}

void CorrectTarget(CorrectionServices &s, const Channels &targetChannels, Gains &gains)
{
    SetPassButtons(s.fields, false);

    const std::optional<Gains> differences = ReadDifferences(s.fields);
    if (!differences)
        return Refuse(s, text::kDifferenceNotNumber);
    gains = *differences;

    const std::optional<std::int32_t> brightness = Brightness(targetChannels, gains);
    if (!brightness)
        return Refuse(s, text::kBrightnessOutOfRange);

    if (gains.red > kLimit || gains.green > kLimit || gains.blue > kLimit)
        return RefuseTooLarge(s, gains);

    const std::int32_t l = *brightness;
    if (l == 0)
        return Refuse(s, text::kTooDark);
    gains = {static_cast<float>(static_cast<double>(gains.red) / l),
             static_cast<float>(static_cast<double>(gains.green) / l),
             static_cast<float>(static_cast<double>(gains.blue) / l)};

    const auto lastColumn = static_cast<float>(s.target.scaleWidth() - 1);
    const auto lastRow = static_cast<float>(s.target.scaleHeight() - 1);
    s.fields.setProgressMaximum(std::max(0, static_cast<std::int32_t>(lastRow)));

    if (!RunRows(s, MakeRowTables(gains), static_cast<std::int32_t>(lastColumn), lastRow))
        return;

    SetPassButtons(s.fields, true);
    s.beeper.beep();
}

} // namespace velmora
