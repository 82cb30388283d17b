// Velmora — one photo of a run.
#include "app/apply_job.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <map>
#include <set>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QImageReader>
#include <QString>

#include "platform/qt/picture_loader.h"
#include "platform/qt/whole_picture.h"
#include "platform/stream/jpeg_stream.h"

namespace velmora {

namespace {

const std::string kDefaultFolder = "已校正";

std::string FolderOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string StemOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

std::string SuffixOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return path.substr(dot);
}

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

} // namespace

std::vector<PlannedFile> PlanOutputs(const ApplyOptions &options)
{
    std::vector<PlannedFile> plan;
    std::set<FileId> inputs;
    for (const std::string &input : options.files) {
        struct stat st {};
        PlannedFile file{input, {}, PictureFormat::Png, 0, FileFailure::None};
        if (::stat(input.c_str(), &st) == 0) {
            inputs.insert({st.st_dev, st.st_ino});
            file.bytes = st.st_size;
        }
        file.format = options.format ? *options.format : FormatFromName(SuffixOf(input)).value_or(PictureFormat::Png);
        const std::string folder = options.outFolder.empty() ? FolderOf(input) + "/" + kDefaultFolder : options.outFolder;
        if (!MakeFolders(folder))
            file.failure = FileFailure::NoOutputFolder;
        else
            file.output = Canonical(folder) + "/" + StemOf(input) + FormatSuffix(file.format);
        plan.push_back(std::move(file));
    }
    std::map<std::string, int> uses;
    for (PlannedFile &file : plan) {
        if (file.failure != FileFailure::None)
            continue;
        struct stat st {};
        if (::stat(file.output.c_str(), &st) == 0 && inputs.count({st.st_dev, st.st_ino}))
            file.failure = FileFailure::WouldReplaceInput;
        else if (uses[file.output]++ > 0)
            file.failure = FileFailure::SameOutputTwice;
    }
    return plan;
}

FileResult CorrectOneFile(const PlannedFile &file, const ApplyOptions &options, const RowTables &tables,
                          const std::function<void(long long)> &addBytes)
{
    if (file.failure != FileFailure::None)
        return {file.failure, {}};
    if (::access(file.input.c_str(), R_OK) != 0)
        return {FileFailure::Unreadable, {}};
    if (file.format == PictureFormat::Bmp || file.format == PictureFormat::Jpeg) {
        if (LooksLikeJpeg(file.input)) {
            StreamRequest request{file.input, file.output, options.overwrite,
                                  file.format == PictureFormat::Bmp ? StreamFormat::Bitmap : StreamFormat::Jpeg,
                                  options.quality, PictureMemoryLimit()};
            long long reported = 0;
            const StreamOutcome outcome = CorrectJpegFile(request, tables, [&](double done) {
                const auto now = static_cast<long long>(done * static_cast<double>(file.bytes));
                addBytes(now - reported);
                reported = now;
            });
            if (outcome.result != StreamResult::NeedsWholeLoad) {
                addBytes(file.bytes - reported);
                return {FailureOfStream(outcome), {}};
            }
        }
    }
    if (!options.overwrite && ::access(file.output.c_str(), F_OK) == 0)
        return {FileFailure::OutputExists, {}};
    if (!QImageReader(QFile::decodeName(file.input.c_str())).canRead())
        return {FileFailure::NotAPicture, {}};
    const QString reason = CorrectWholePicture(QFile::decodeName(file.input.c_str()),
                                               QFile::decodeName(file.output.c_str()), tables, file.format,
                                               options.quality, options.overwrite);
    addBytes(file.bytes);
    if (reason.isEmpty())
        return {};
    return {FileFailure::Described, reason.toStdString()};
}

} // namespace velmora
