// Velmora — the correction file.
#include "core/correction_file.h"

#include <cmath>
#include <cstdio>
#include <set>

#include "core/correction_rule.h"
#include "core/number_text.h"

namespace velmora {

namespace {

constexpr std::string_view kHeading = "[velmora correction]";

std::string_view Trim(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Nine significant digits bring every float back to itself.
std::string ExactFloat(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

// Seventeen do the same for a double.
std::string ExactDouble(double value)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

template <typename Number, typename Write>
std::string Triple(Number a, Number b, Number c, Write write)
{
    return write(a) + "," + write(b) + "," + write(c);
}

struct Line {
    std::string_view key;
    std::string_view value;
};

std::optional<Line> SplitLine(std::string_view line)
{
    const auto equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return Line{Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))};
}

} // namespace

std::optional<std::array<double, 3>> ParseTriple(std::string_view text)
{
    std::array<double, 3> values{};
    for (int i = 0; i < 3; ++i) {
        const auto comma = text.find(',');
        if ((i < 2) != (comma != std::string_view::npos))
            return std::nullopt;
        const auto value = StrictReal(text.substr(0, comma));
        if (!value || !std::isfinite(*value))
            return std::nullopt;
        values[i] = *value;
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
    }
    return values;
}

std::optional<Gains> ParseGains(std::string_view text)
{
    const auto values = ParseTriple(text);
    if (!values)
        return std::nullopt;
    const Gains gains{static_cast<float>((*values)[0]), static_cast<float>((*values)[1]),
                      static_cast<float>((*values)[2])};
    if (!std::isfinite(gains.red) || !std::isfinite(gains.green) || !std::isfinite(gains.blue))
        return std::nullopt;
    return gains;
}

std::optional<Channels> ParseChannels(std::string_view text)
{
    const auto values = ParseTriple(text);
    if (!values)
        return std::nullopt;
    for (double v : *values)
        if (v != std::floor(v) || v < 0 || v > 255)
            return std::nullopt;
    return Channels{static_cast<std::int32_t>((*values)[0]), static_cast<std::int32_t>((*values)[1]),
                    static_cast<std::int32_t>((*values)[2])};
}

std::string CorrectionText(const CorrectionRecord &r)
{
    std::string text = std::string(kHeading) + "\n";
    text += "version=" + std::to_string(kCorrectionFileVersion) + "\n";
    text += std::string("rule=") + RuleName(r.rule) + "\n";
    switch (r.rule) {
    case Rule::Design:
        text += "# pixel value v becomes clamp(floor(gain * v) + v, 0, 255), per channel: red, green, blue\n";
        text += "gains=" + Triple(r.gains.red, r.gains.green, r.gains.blue, ExactFloat) + "\n";
        break;
    case Rule::Exact:
        text += "# in linear light (sRGB), v is scaled by reference / target per channel, at most to white\n";
        break;
    case Rule::Curve:
        text += "# v becomes 255 * (v / 255)^(ln(reference / 255) / ln(target / 255)) per channel\n";
        break;
    }
    if (r.reference)
        text += "reference=" + Triple((*r.reference)[0], (*r.reference)[1], (*r.reference)[2], ExactDouble) + "\n";
    if (r.target)
        text += "target=" + Triple(r.target->red, r.target->green, r.target->blue,
                                   [](std::int32_t v) { return std::to_string(v); })
                + "\n";
    if (r.differences)
        text += "differences="
                + Triple(r.differences->red, r.differences->green, r.differences->blue, ExactFloat) + "\n";
    return text;
}

std::variant<CorrectionRecord, CorrectionFileError> ReadCorrection(std::string_view text)
{
    if (text.size() > kCorrectionFileMaxBytes)
        return CorrectionFileError::TooLong;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") // an editor's byte-order mark
        text.remove_prefix(3);

    CorrectionRecord record;
    bool headed = false, gained = false;
    std::int32_t fileVersion = 1;
    std::optional<std::string_view> ruleName;
    std::set<std::string_view> keys;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (line.empty() || line.front() == '#' || line.front() == ';')
            continue;
        if (!headed) {
            if (line != kHeading)
                return CorrectionFileError::NotACorrection;
            headed = true;
            continue;
        }
        const std::optional<Line> entry = SplitLine(line);
        if (!entry)
            return CorrectionFileError::BadNumbers;
        if (!keys.insert(entry->key).second)
            return CorrectionFileError::RepeatedKey;
        if (entry->key == "version") {
            const auto version = StrictInteger(entry->value);
            if (!version || *version < 1)
                return CorrectionFileError::BadNumbers;
            if (*version > kCorrectionFileVersion)
                return CorrectionFileError::NewerVersion;
            fileVersion = *version;
        } else if (entry->key == "rule") {
            ruleName = entry->value;
        } else if (entry->key == "gains") {
            const auto gains = ParseGains(entry->value);
            if (!gains)
                return CorrectionFileError::BadNumbers;
            record.gains = *gains;
            gained = true;
        } else if (entry->key == "reference") {
            if (!(record.reference = ParseTriple(entry->value)))
                return CorrectionFileError::BadNumbers;
        } else if (entry->key == "target") {
            if (!(record.target = ParseChannels(entry->value)))
                return CorrectionFileError::BadNumbers;
        } else if (entry->key == "differences") {
            if (!(record.differences = ParseGains(entry->value)))
                return CorrectionFileError::BadNumbers;
        }
        // Keys we do not know are left for later versions that add to the file.
    }
    if (!headed)
        return CorrectionFileError::NotACorrection;
    // Version 1 knew only the design's rule; a version-2 file without a rule line means it too.
    if (fileVersion >= 2 && ruleName) {
        const std::optional<Rule> rule = RuleOfName(*ruleName);
        if (!rule)
            return CorrectionFileError::UnknownRule;
        record.rule = *rule;
    }
    if (record.rule == Rule::Design && !gained)
        return CorrectionFileError::NoGains;
    if (record.rule != Rule::Design && (!record.reference || !record.target))
        return CorrectionFileError::NoColours;
    return record;
}

Step StepOf(const CorrectionRecord &record)
{
    Step step{record.rule, record.gains, {}, {}};
    if (record.reference)
        step.reference = *record.reference;
    if (record.target)
        step.target = {double(record.target->red), double(record.target->green), double(record.target->blue)};
    return step;
}

} // namespace velmora
