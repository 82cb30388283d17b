// Velmora — a picture corrected whole, for the files that cannot be corrected in bands: loaded by
// the window's own loader, mapped through the gain tables, saved in the format asked for.
#pragma once

#include <QString>

#include "core/gain_table.h"

class QImage;

namespace velmora {

enum class PictureFormat { Bmp, Jpeg, Png, Tiff, Webp };

// Empty on success, else the reason in the window's language. An existing output is kept
// unless `replace`.
QString CorrectWholePicture(const QString &input, const QString &output, const RowTables &tables,
                            PictureFormat format, int quality, bool replace);

// The one place a corrected picture is written; the file appears whole or not at all.
QString SaveCorrected(const QImage &image, const QString &path, PictureFormat format, int quality, bool replace);

} // namespace velmora
