// Velmora — a picture corrected whole.
#include "batch/whole_picture.h"

#include <QImage>
#include <QPainter>

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

// As the window shows a picture: opaque 0xFFRRGGBB, transparent parts laid over white.
QImage Opaque(QImage picture)
{
    if (picture.hasAlphaChannel()) {
        QImage opaque(picture.size(), QImage::Format_RGB32);
        opaque.fill(Qt::white);
        QPainter painter(&opaque);
        painter.drawImage(0, 0, picture);
        return opaque;
    }
    if (picture.format() != QImage::Format_RGB32)
        picture.convertTo(QImage::Format_RGB32);
    return picture;
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

FileFailure CorrectWholePicture(const std::string &input, const std::string &output, const RowTables &tables,
                                PictureFormat format, int quality, bool replace, int threads)
{
    LoadedPicture loaded = LoadPicture(QByteArray::fromStdString(input), threads);
    if (loaded.problem != LoadProblem::None)
        return LoadFailure(loaded.problem);
    QImage image = Opaque(std::move(loaded.image));
    for (int y = 0; y < image.height(); ++y)
        MapRow(reinterpret_cast<std::uint32_t *>(image.scanLine(y)), image.width(), tables);
    SaveOptions options;
    options.jpegQuality = quality;
    return SaveFailure(SavePicture({image, {}, format, options, loaded.encoded, OutputPolicy::BatchOutput(replace)},
                                   QByteArray::fromStdString(output)));
}

} // namespace velmora
