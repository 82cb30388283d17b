// Velmora — one correction over many photos.
#include "batch/batch_files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <set>
#include <thread>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>


#include "io/file_names.h"
#include "picture/memory_budget.h"
#include "picture/picture_loader.h"

namespace velmora {

namespace {

const std::string kDefaultFolder = "已校正";

bool MakeFolders(const std::string &folder)
{
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const std::string parent = FolderOf(folder);
    if (parent != folder && !MakeFolders(parent))
        return false;
    return ::mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST;
}

std::string Canonical(const std::string &folder)
{
    char resolved[PATH_MAX];
    return ::realpath(folder.c_str(), resolved) ? std::string(resolved) : folder;
}

using FileId = std::pair<dev_t, ino_t>;

// Anything with the name, a dangling link included: an output never follows a link.
bool Exists(const std::string &path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// "folder/photo (2).jpg" for "folder/photo.jpg": the first number whose name is free.
std::string Numbered(const std::string &path, const std::set<std::string> &taken)
{
    const auto dot = path.rfind('.');
    for (int n = 2;; ++n) {
        const std::string candidate = path.substr(0, dot) + " (" + std::to_string(n) + ")" + path.substr(dot);
        if (!taken.count(candidate) && !Exists(candidate))
            return candidate;
    }
}

// Why an output could not be written, on every path.
FileFailure FailureOfOutput(OutputError error)
{
    switch (error) {
    case OutputError::None: return FileFailure::None;
    case OutputError::Exists: return FileFailure::OutputExists;
    case OutputError::ReadOnlyFile: return FileFailure::OutputReadOnly;
    case OutputError::IsFolder:
    case OutputError::NoPermission:
    case OutputError::NoFolder:
    case OutputError::ReadOnlyDisk:
    case OutputError::NameTooLong: return FileFailure::OutputNotWritable;
    case OutputError::DiskFull:
    case OutputError::FileSizeLimit:
    case OutputError::WriteFailed: break;
    }
    return FileFailure::OutputWriteFailed;
}

FileFailure FailureOfInput(InputProblem problem)
{
    switch (problem) {
    case InputProblem::None: return FileFailure::None;
    case InputProblem::Missing: return FileFailure::Missing;
    case InputProblem::NotAFile: return FileFailure::NotAFile;
    case InputProblem::NoResources: return FileFailure::NoResources;
    case InputProblem::Unreadable: break;
    }
    return FileFailure::Unreadable;
}

} // namespace

FileFailure FailureOfStream(const StreamOutcome &o)
{
    switch (o.result) {
    case StreamResult::Written:
    case StreamResult::NeedsWholeLoad: return FileFailure::None;
    case StreamResult::Unreadable: return FailureOfInput(o.input);
    case StreamResult::NotJpeg: return FileFailure::NotAPicture;
    case StreamResult::Damaged: return FileFailure::Damaged;
    case StreamResult::TooLarge: return FileFailure::TooLarge;
    case StreamResult::OutputFailed: break;
    }
    return FailureOfOutput(o.output);
}

ThreadSplit SplitThreads(int threads, std::size_t photos)
{
    if (threads <= 0)
        threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const int workers = static_cast<int>(std::clamp<std::size_t>(photos, 1, static_cast<std::size_t>(threads)));
    return {workers, std::max(1, threads / workers)};
}

std::vector<PlannedFile> PlanOutputs(const std::vector<std::string> &files, const std::string &outFolder,
                                     std::optional<PictureFormat> format, NameClash clash)
{
    std::vector<PlannedFile> plan;
    std::set<FileId> inputs;
    for (const std::string &input : files) {
        struct stat st {};
        PlannedFile file{input, {}, PictureFormat::Png, 0, FileFailure::None};
        if (::stat(input.c_str(), &st) == 0) {
            inputs.insert({st.st_dev, st.st_ino});
            file.bytes = st.st_size;
        }
        file.format = format ? *format : KeptFormatOfPath(input).value_or(PictureFormat::Png);
        const std::string folder = outFolder.empty() ? FolderOf(input) + "/" + kDefaultFolder : outFolder;
        if (!MakeFolders(folder))
            file.failure = FileFailure::NoOutputFolder;
        else
            file.output = Canonical(folder) + "/" + StemOf(input) + EndingOf(file.format);
        plan.push_back(std::move(file));
    }
    std::set<std::string> taken;
    for (PlannedFile &file : plan) {
        if (file.failure != FileFailure::None)
            continue;
        struct stat st {};
        const bool exists = Exists(file.output);
        if (clash == NameClash::Number && (exists || taken.count(file.output)))
            file.output = Numbered(file.output, taken);
        else if (exists && ::stat(file.output.c_str(), &st) == 0 && inputs.count({st.st_dev, st.st_ino}))
            file.failure = FileFailure::WouldReplaceInput;
        else if (taken.count(file.output))
            file.failure = FileFailure::SameOutputTwice;
        taken.insert(file.output);
    }
    return plan;
}

FileResult CorrectOneFile(const PlannedFile &file, int quality, NameClash clash, const RowTables &tables,
                          const std::function<void(long long)> &addBytes, int threads)
{
    if (file.failure != FileFailure::None)
        return {file.failure, {}};
    // Each photo holds its share of the process's memory while it is corrected: photos corrected at
    // once wait for one another rather than go past it together.
    MemoryBudget &budget = PictureMemoryBudget();
    const QByteArray name = QByteArray::fromStdString(file.input);
    // A JPEG going to JPEG or BMP is corrected in bands; the banded path opens and probes the input
    // as the loader does, and hands over what is not a JPEG or needs the whole picture.
    if (file.format == PictureFormat::Bmp || file.format == PictureFormat::Jpeg) {
        const MemoryBudget::Reservation memory = budget.reserve(BandedJpegNeeds(name));
        const bool replace = clash == NameClash::Replace;
        StreamRequest request{file.input, file.output, replace, file.format, quality, PictureMemoryLimit(), threads};
        long long reported = 0;
        const StreamOutcome outcome = CorrectJpegFile(request, tables, [&](double done) {
            const auto now = static_cast<long long>(done * static_cast<double>(file.bytes));
            addBytes(now - reported);
            reported = now;
        });
        if (outcome.result != StreamResult::NeedsWholeLoad && outcome.result != StreamResult::NotJpeg) {
            addBytes(file.bytes - reported);
            return {FailureOfStream(outcome), {}};
        }
    }
    if (clash != NameClash::Replace && Exists(file.output))
        return {FileFailure::OutputExists, {}};
    // The loader opens the file as the banded path does and refuses what is not a picture.
    const MemoryBudget::Reservation memory = budget.reserve(WholePictureNeeds(name));
    const WholePictureResult whole = CorrectWholePicture(file.input, file.output, tables, file.format, quality,
                                                         clash == NameClash::Replace, threads);
    addBytes(file.bytes);
    return {whole.failure, {}, whole.transparencyFlattened, whole.depthReduced};
}

} // namespace velmora
