// Velmora — every text `velmora apply` prints, in simplified Chinese under a Chinese locale and in
// English otherwise.
#pragma once

#include <string>

#include "cli/apply_options.h"
#include "core/correction_file.h"
#include "core/correction_rule.h"
#include "core/refusal.h"
#include "batch/batch_files.h"

namespace velmora {

class ApplyTexts {
public:
    // From LC_ALL, else LC_MESSAGES, else LANG: Chinese when the first one set starts with "zh".
    static ApplyTexts FromEnvironment();
    explicit ApplyTexts(bool chinese) : m_chinese(chinese) {}
    bool chinese() const { return m_chinese; }

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

private:
    const char *pick(const char *chinese, const char *english) const { return m_chinese ? chinese : english; }
    bool m_chinese = false;
};

} // namespace velmora
