// Velmora — a picture corrected whole, for the files that cannot be corrected in bands: loaded by
// the window's own loader, mapped through the gain tables, saved by the window's own saver with the
// photo's camera data and sRGB profile.
#pragma once

#include <string>

#include "batch/file_failure.h"
#include "core/gain_table.h"
#include "io/picture_format.h"

namespace velmora {

struct WholePictureResult {
    FileFailure failure = FileFailure::None;
    bool transparencyFlattened = false; // a BMP or JPEG of a photo with transparency: laid over white
    bool depthReduced = false;          // a photo of 16 bits a channel, written with 8
};

// None on success. Both files are named by their bytes as the system knows them (any encoding). An
// existing output is kept unless `replace`; a link at its name is never followed; `quality` is the
// JPEG quality; `threads` may decode the photo.
WholePictureResult CorrectWholePicture(const std::string &input, const std::string &output, const RowTables &tables,
                                       PictureFormat format, int quality, bool replace, int threads);

} // namespace velmora
