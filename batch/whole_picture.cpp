// Velmora — a picture corrected whole.
#include "batch/whole_picture.h"

#include <QImage>

#include "picture/picture_loader.h"
#include "picture/picture_saver.h"

namespace velmora {

namespace {

FileFailure SaveFailure(const SaveOutcome &outcome)
{
    switch (outcome.problem) {
    case SaveProblem::None: return FileFailure::None;
    case SaveProblem::Exists: return FileFailure::OutputExists;
    case SaveProblem::ReadOnlyFile: return FileFailure::OutputReadOnly;
    case SaveProblem::IsFolder:
    case SaveProblem::NoPermission:
    case SaveProblem::NoFolder:
    case SaveProblem::ReadOnlyDisk:
    case SaveProblem::NameTooLong: return FileFailure::OutputNotWritable;
    default: break;
    }
    return FileFailure::OutputWriteFailed;
}

// FileFailure of a photo that could not be loaded.
FileFailure LoadFailure(LoadProblem problem)
{
    switch (problem) {
    case LoadProblem::None: return FileFailure::None;
    case LoadProblem::Missing: return FileFailure::Missing;
    case LoadProblem::NotAFile: return FileFailure::NotAFile;
    case LoadProblem::NoResources: return FileFailure::NoResources;
    case LoadProblem::NotAPicture: return FileFailure::NotAPicture;
    case LoadProblem::Damaged: return FileFailure::Damaged;
    case LoadProblem::TooLarge: return FileFailure::TooLarge;
    case LoadProblem::Unreadable: break;
    }
    return FileFailure::Unreadable;
}

} // namespace

WholePictureResult CorrectWholePicture(const std::string &input, const std::string &output, const RowTables &tables,
                                       PictureFormat format, int quality, bool replace, int threads)
{
    LoadedPicture loaded = LoadPicture(QByteArray::fromStdString(input), threads);
    if (loaded.problem != LoadProblem::None)
        return {LoadFailure(loaded.problem)};
    // The colour is corrected and the alpha kept; the saver lays it over white where it must.
    QImage image = std::move(loaded.image);
    const bool alpha = image.hasAlphaChannel();
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<std::uint32_t *>(image.scanLine(y));
        if (alpha)
            MapRowKeepingAlpha(row, image.width(), tables);
        else
            MapRow(row, image.width(), tables);
    }
    SaveOptions options;
    options.jpegQuality = quality;
    const SaveOutcome saved = SavePicture({image, {}, format, options, loaded.encoded, OutputPolicy::BatchOutput(replace)},
                                          QByteArray::fromStdString(output));
    return {SaveFailure(saved), saved.transparencyFlattened, saved.depthReduced};
}

} // namespace velmora
