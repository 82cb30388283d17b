// Velmora — what `velmora apply` was asked to do, read from its arguments.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/colour_word.h"
#include "core/gain_table.h"
#include "batch/batch_files.h"

namespace velmora {

struct ApplyOptions {
    bool help = false;
    std::optional<Gains> gains;               // --gains
    std::optional<Rule> rule;                 // --rule; none: a file's own rule, else the design's
    std::string correctionFile;               // --correction
    std::optional<std::array<double, 3>> reference; // --reference, with --target
    std::optional<Channels> target;
    std::string outFolder;                    // empty: 已校正 beside each photo
    std::optional<PictureFormat> format;      // empty: the photo's own format
    int quality = 95;
    int jobs = 0;                             // 0: one per core
    bool overwrite = false;
    std::vector<std::string> files;
};

enum class ApplyProblemKind {
    UnknownOption,
    MissingValue,
    BadGains,
    BadRule,
    GainsNeedDesign, // --gains with a rule other than the design's
    BadReference,
    BadTarget,
    BadFormat,
    BadQuality,
    BadJobs,
    NoCorrection,
    TwoCorrections,
    ReferenceWithoutTarget,
    NoFiles,
};

struct ApplyProblem {
    ApplyProblemKind kind;
    std::string detail; // the option or the text at fault
};

std::variant<ApplyOptions, ApplyProblem> ParseApplyArguments(const std::vector<std::string> &arguments);

} // namespace velmora
