// Velmora — the 校正 click on the window's fields.
#include "core/correction.h"

#include <algorithm>
#include <array>
#include <variant>

#include "core/correction_rule.h"
#include "core/number_text.h"

namespace velmora {

namespace {

constexpr std::array kDifferenceFields{Field::DifferenceRed, Field::DifferenceGreen, Field::DifferenceBlue};

std::optional<Gains> ReadDifferences(const FormFields &fields)
{
    const auto r = StrictSingle(fields.text(Field::DifferenceRed));
    const auto g = StrictSingle(fields.text(Field::DifferenceGreen));
    const auto b = StrictSingle(fields.text(Field::DifferenceBlue));
    if (!r || !g || !b)
        return std::nullopt;
    return Gains{*r, *g, *b};
}

} // namespace

std::optional<Refusal> CheckDifferencesEntered(const FormFields &fields)
{
    for (Field f : kDifferenceFields)
        if (LenientValue(fields.text(f)) != 0)
            return std::nullopt;
    return Refusal::NoDifference;
}

PassOutcome CorrectTarget(FormFields &fields, PictureSurface &target, const Channels &targetChannels,
                          const AfterRow &afterRow, Rule rule)
{
    const std::optional<Gains> differences = ReadDifferences(fields);
    if (!differences)
        return {Refusal::DifferenceNotNumber, {}, {}, {}, false};
    const std::variant<Step, RuleRefusal> made = StepFor(rule, targetChannels, *differences);
    if (const RuleRefusal *refusal = std::get_if<RuleRefusal>(&made)) {
        if (refusal->kind == Refusal::TooLarge)
            for (Field f : kDifferenceFields)
                fields.setText(f, "0");
        return {refusal->kind, refusal->detail, {}, {}, false};
    }
    const Step step = std::get<Step>(made);

    const auto lastColumn = static_cast<std::int32_t>(static_cast<float>(target.drawingWidth() - 1));
    const auto lastRow = static_cast<float>(target.drawingHeight() - 1);
    fields.setProgressMaximum(std::max(0, static_cast<std::int32_t>(lastRow)));

    // The text changes at most 101 times; building it for each of millions of rows would cost
    // more than the rows themselves.
    std::int32_t shownPercent = -1;
    const bool completed = MapRows(target, MakeRowTables(step), lastColumn, static_cast<std::int32_t>(lastRow),
                                   [&](std::int32_t y) {
                                       fields.setProgressValue(y);
                                       const std::int32_t percent = ProgressPercent(y, lastRow);
                                       if (percent != shownPercent) {
                                           shownPercent = percent;
                                           fields.setText(Field::TargetStatus, ProgressText(percent));
                                       }
                                       return afterRow(y);
                                   });
    return {std::nullopt, {}, step.gains, step, !completed};
}

} // namespace velmora
