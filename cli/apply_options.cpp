// Velmora — `velmora apply`'s arguments.
#include "cli/apply_options.h"

#include <algorithm>

#include "core/correction_file.h"
#include "core/correction_rule.h"
#include "core/number_text.h"

namespace velmora {

namespace {

// Options that take a value, as --name value or --name=value.
constexpr std::array kValued{"--gains", "--rule", "--correction", "--reference", "--target",
                             "--out", "--format", "--quality", "--jobs"};

bool TakesValue(const std::string &name)
{
    return std::find(kValued.begin(), kValued.end(), name) != kValued.end();
}

std::optional<int> WholeIn(const std::string &text, int low, int high)
{
    const auto value = StrictReal(text);
    if (!value || *value != static_cast<double>(static_cast<long long>(*value)) || *value < low || *value > high)
        return std::nullopt;
    return static_cast<int>(*value);
}

std::optional<ApplyProblem> Take(ApplyOptions &o, const std::string &name, const std::string &value)
{
    if (name == "--gains") {
        if (!(o.gains = ParseGains(value)))
            return ApplyProblem{ApplyProblemKind::BadGains, value};
    } else if (name == "--rule") {
        if (!(o.rule = RuleOfName(value)))
            return ApplyProblem{ApplyProblemKind::BadRule, value};
    } else if (name == "--correction") {
        o.correctionFile = value;
    } else if (name == "--reference") {
        o.reference = ParseTriple(value);
        if (!o.reference || std::any_of(o.reference->begin(), o.reference->end(),
                                        [](double v) { return v < 0 || v > 255; }))
            return ApplyProblem{ApplyProblemKind::BadReference, value};
    } else if (name == "--target") {
        if (!(o.target = ParseChannels(value)))
            return ApplyProblem{ApplyProblemKind::BadTarget, value};
    } else if (name == "--out") {
        o.outFolder = value;
    } else if (name == "--format") {
        if (!(o.format = WrittenFormatOfEnding(value)))
            return ApplyProblem{ApplyProblemKind::BadFormat, value};
    } else if (name == "--quality") {
        const auto q = WholeIn(value, 1, 100);
        if (!q)
            return ApplyProblem{ApplyProblemKind::BadQuality, value};
        o.quality = *q;
    } else if (name == "--jobs") {
        const auto j = WholeIn(value, 1, 256);
        if (!j)
            return ApplyProblem{ApplyProblemKind::BadJobs, value};
        o.jobs = *j;
    }
    return std::nullopt;
}

std::optional<ApplyProblem> CheckWhole(const ApplyOptions &o)
{
    if (o.help)
        return std::nullopt;
    const int sources = int(o.gains.has_value()) + int(!o.correctionFile.empty())
                        + int(o.reference.has_value() || o.target.has_value());
    if (sources == 0)
        return ApplyProblem{ApplyProblemKind::NoCorrection, {}};
    if (sources > 1)
        return ApplyProblem{ApplyProblemKind::TwoCorrections, {}};
    if (o.gains && o.rule && *o.rule != Rule::Design)
        return ApplyProblem{ApplyProblemKind::GainsNeedDesign, RuleName(*o.rule)};
    if (o.reference.has_value() != o.target.has_value())
        return ApplyProblem{ApplyProblemKind::ReferenceWithoutTarget, {}};
    if (o.files.empty())
        return ApplyProblem{ApplyProblemKind::NoFiles, {}};
    return std::nullopt;
}

} // namespace

std::variant<ApplyOptions, ApplyProblem> ParseApplyArguments(const std::vector<std::string> &arguments)
{
    ApplyOptions o;
    bool onlyFiles = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string &a = arguments[i];
        if (onlyFiles || a.size() < 2 || a[0] != '-') {
            o.files.push_back(a);
            continue;
        }
        if (a == "--") {
            onlyFiles = true;
        } else if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--overwrite") {
            o.overwrite = true;
        } else {
            const auto equals = a.find('=');
            const std::string name = a.substr(0, equals);
            if (!TakesValue(name))
                return ApplyProblem{ApplyProblemKind::UnknownOption, a};
            std::string value;
            if (equals != std::string::npos)
                value = a.substr(equals + 1);
            else if (i + 1 < arguments.size())
                value = arguments[++i];
            else
                return ApplyProblem{ApplyProblemKind::MissingValue, name};
            if (auto problem = Take(o, name, value))
                return *problem;
        }
    }
    if (auto problem = CheckWhole(o))
        return *problem;
    return o;
}

} // namespace velmora
