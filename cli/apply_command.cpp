// Velmora — `velmora apply`.
#include "cli/apply_command.h"

#include <cstdio>

#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <QCoreApplication>

#include "batch/batch_run.h"
#include "cli/apply_progress.h"
#include "cli/apply_texts.h"
#include "core/correction_file.h"
#include "core/correction_rule.h"
#include "io/correction_file_reader.h"

namespace velmora {

namespace {

constexpr int kRefused = 2;

void Complain(const std::string &message) { std::fprintf(stderr, "velmora apply: %s\n", message.c_str()); }

// The pass the options name, or the message that refuses it: --gains by the design's rule, a
// correction file by its own rule (or by --rule from its colours), the two colours by --rule.
std::variant<Step, std::string> StepOf(const ApplyOptions &o, const ApplyTexts &texts)
{
    std::variant<Step, RuleRefusal> made = RuleRefusal{Refusal::OutOfRange, {}};
    if (o.gains) {
        made = Step{Rule::Design, *o.gains, {}, {}};
    } else if (!o.correctionFile.empty()) {
        const auto read = ReadCorrectionFile(o.correctionFile);
        if (const auto *error = std::get_if<CorrectionFileError>(&read))
            return texts.correctionFile(o.correctionFile, *error);
        const CorrectionRecord &record = std::get<CorrectionRecord>(read);
        const Rule rule = o.rule.value_or(record.rule);
        if (rule == record.rule)
            made = StepOf(record);
        else if (!record.reference || !record.target)
            return texts.correctionFile(o.correctionFile, CorrectionFileError::NoColours);
        else
            made = StepFor(rule, *record.target, DifferencesBetween(*record.reference, *record.target));
    } else {
        made = StepFor(o.rule.value_or(Rule::Design), *o.target, DifferencesBetween(*o.reference, *o.target));
    }
    if (const auto *refusal = std::get_if<RuleRefusal>(&made))
        return texts.refusal(*refusal);
    if (const auto refusal = CheckStep(std::get<Step>(made)))
        return texts.refusal(*refusal);
    return std::get<Step>(made);
}

// `--jobs` threads in all: one a photo while there are enough photos, two for a photo otherwise.
std::vector<FileResult> CorrectAll(const std::vector<PlannedFile> &plan, const ApplyOptions &o,
                                   const RowTables &tables, ApplyProgress &progress)
{
    std::vector<FileResult> results(plan.size());
    BatchEvents events;
    events.done = [&](std::size_t i, const FileResult &result) {
        results[i] = result;
        progress.fileDone();
    };
    events.addBytes = [&](long long bytes) { progress.addBytes(bytes); };
    BatchRun run({plan, tables, o.quality, o.overwrite ? NameClash::Replace : NameClash::Refuse, o.jobs}, std::move(events));
    run.wait();
    return results;
}

// Each photo's decoder and band buffers are the size of the last one's. Left to its defaults, malloc
// maps them afresh and unmaps them after every photo, and fresh pages cost a fault each (dearly in a
// virtual machine); kept in the heap, the next photo reuses them.
void KeepFreedBuffers()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
}

} // namespace

int RunApplyCommand(int argc, char *argv[])
{
    KeepFreedBuffers();
    // Qt's translations for the messages, and its picture readers for the files that are not
    // corrected in bands; no display is opened.
    int qtArgc = 1;
    QCoreApplication application(qtArgc, argv);
    InstallTranslations(ApplyTexts::language());
    const ApplyTexts texts;
    const auto parsed = ParseApplyArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (const auto *problem = std::get_if<ApplyProblem>(&parsed)) {
        Complain(texts.problem(*problem));
        Complain(texts.seeHelp());
        return kRefused;
    }
    const ApplyOptions &options = std::get<ApplyOptions>(parsed);
    if (options.help) {
        std::fputs(texts.help().c_str(), stdout);
        return 0;
    }
    const auto step = StepOf(options, texts);
    if (const auto *message = std::get_if<std::string>(&step)) {
        Complain(*message);
        return kRefused;
    }
    const RowTables tables = MakeRowTables(std::get<Step>(step));

    const std::vector<PlannedFile> plan =
        PlanOutputs(options.files, options.outFolder, options.format, options.overwrite ? NameClash::Replace : NameClash::Refuse);
    long long totalBytes = 0;
    for (const PlannedFile &f : plan)
        totalBytes += f.bytes;
    std::vector<FileResult> results;
    double seconds = 0;
    {
        ApplyProgress progress(texts, ::isatty(STDOUT_FILENO) != 0, static_cast<int>(plan.size()), totalBytes);
        results = CorrectAll(plan, options, tables, progress);
        seconds = progress.seconds();
    }
    int done = 0;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        if (results[i].failure == FileFailure::None) {
            ++done;
            if (results[i].transparencyFlattened)
                std::printf("%s\n", texts.transparencyFlattenedLine(plan[i].output).c_str());
            if (results[i].depthReduced)
                std::printf("%s\n", texts.depthReducedLine(plan[i].output).c_str());
            continue;
        }
        const std::string reason = results[i].failure == FileFailure::Described ? results[i].reason
                                                                                  : texts.fileFailure(results[i].failure);
        std::fprintf(stderr, "%s\n", texts.failedLine(plan[i].input, reason).c_str());
    }
    std::printf("%s\n", texts.summary(done, static_cast<int>(plan.size()), static_cast<double>(totalBytes) / 1e6, seconds).c_str());
    return done == static_cast<int>(plan.size()) ? 0 : 1;
}

} // namespace velmora
