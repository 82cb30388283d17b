// Velmora — every text `velmora apply` prints, in simplified Chinese under a Chinese locale and in
// English otherwise.
#pragma once

#include <string>

#include "app/apply_options.h"
#include "core/correction_file.h"
#include "core/refusal.h"
#include "platform/stream/atomic_output.h"
#include "platform/stream/jpeg_stream.h"

namespace velmora {

// Why one photo was not corrected, before or besides what the decoder and the file say.
enum class FileFailure {
    None,
    Unreadable,
    NotAPicture,
    Damaged,
    TooLarge,
    OutputExists,
    OutputNotWritable,
    OutputWriteFailed,
    WouldReplaceInput,
    SameOutputTwice,  // two photos of the run would write the same file
    NoOutputFolder,
    Described,        // the whole-picture path gave its own reason
};

class ApplyTexts {
public:
    // From LC_ALL, else LC_MESSAGES, else LANG: Chinese when the first one set starts with "zh".
    static ApplyTexts FromEnvironment();
    explicit ApplyTexts(bool chinese) : m_chinese(chinese) {}
    bool chinese() const { return m_chinese; }

    std::string help() const;
    std::string problem(const ApplyProblem &problem) const;
    std::string refusal(Refusal refusal) const;
    std::string correctionFile(const std::string &path, CorrectionFileError error) const;
    std::string correctionUnreadable(const std::string &path) const;
    std::string fileFailure(FileFailure failure) const;
    std::string failedLine(const std::string &path, const std::string &reason) const;
    std::string summary(int done, int total, double megabytes, double seconds) const;
    std::string progress(int done, int total, double megabytesPerSecond, double secondsLeft) const;
    std::string seeHelp() const;

private:
    const char *pick(const char *chinese, const char *english) const { return m_chinese ? chinese : english; }
    bool m_chinese = false;
};

FileFailure FailureOfStream(const StreamOutcome &outcome);

} // namespace velmora
