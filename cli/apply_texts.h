// Velmora — every text `velmora apply` prints, through Qt's translations: simplified Chinese under a
// Chinese locale, English otherwise.
#pragma once

#include <string>

#include "cli/apply_options.h"
#include "core/correction_file.h"
#include "core/correction_rule.h"
#include "core/refusal.h"
#include "batch/batch_files.h"
#include "batch/language.h"

namespace velmora {

class ApplyTexts {
public:
    // The language to install before any text is asked for: the user's (batch/language.h), English
    // when it is neither English nor Chinese.
    static Language language();

    std::string help() const;
    std::string problem(const ApplyProblem &problem) const;
    std::string refusal(Refusal refusal) const;
    // A rule's refusal, naming the channel and the colour at fault and what to use instead.
    std::string refusal(const RuleRefusal &refusal) const;
    std::string correctionFile(const std::string &path, CorrectionFileError error) const;
    std::string correctionUnreadable(const std::string &path) const;
    std::string fileFailure(FileFailure failure) const;
    std::string failedLine(const std::string &path, const std::string &reason) const;
    // A photo corrected into an output that could not keep its transparency, or its 16 bits.
    std::string transparencyFlattenedLine(const std::string &output) const;
    std::string depthReducedLine(const std::string &output) const;
    std::string summary(int done, int total, double megabytes, double seconds) const;
    std::string progress(int done, int total, double megabytesPerSecond, double secondsLeft) const;
    std::string seeHelp() const;
};

} // namespace velmora
