// Velmora — writing the corrected picture: the 24-bit BMP, or PNG, JPEG, TIFF, WebP.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include "io/picture_format.h"
#include "picture/save_format.h"
#include "picture/save_outcome.h"

namespace velmora {

struct SaveRequest {
    QImage image;
    QString path;
    PictureFormat format = PictureFormat::Bmp;
    SaveOptions options;
    QByteArray original; // the photo's own file, whose camera data PNG, JPEG, TIFF and WebP carry over
    OutputPolicy policy = OutputPolicy::ChosenByUser(); // what becomes of a file or link at the name
};

// The file appears in place only once it is whole and on disk, so a failed save leaves any earlier
// file intact and a reported success survives a power cut.
SaveOutcome SavePicture(const SaveRequest &request);
// The same to a file named by its bytes as the system knows them (any encoding); request.path is unused.
SaveOutcome SavePicture(const SaveRequest &request, const QByteArray &localPath);

// A 24-bit uncompressed bottom-up bitmap, written the same way.
SaveOutcome SaveBitmap(const QImage &image, const QString &path,
                       OutputPolicy policy = OutputPolicy::ChosenByUser());

} // namespace velmora
