// Velmora — a JPEG corrected in bands of rows: decoded, mapped through the gain tables and written
// out band by band, so memory stays the same whatever the size of the photo.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/gain_table.h"
#include "io/atomic_output.h"
#include "io/picture_format.h"

namespace velmora {

enum class StreamResult {
    Written,
    NeedsWholeLoad, // CMYK, or a turned photo going to a bitmap: the whole-picture path does it
    Unreadable,     // missing or not readable
    NotJpeg,
    Damaged,        // cut off or corrupt picture data
    TooLarge,       // beyond this machine's memory limit, or a bitmap's 4 GB
    OutputFailed,   // see output
};

struct StreamOutcome {
    StreamResult result = StreamResult::Written;
    OutputError output = OutputError::None;
};

struct StreamRequest {
    std::string input;
    std::string output;
    bool replace = false; // an existing output may be replaced
    PictureFormat format = PictureFormat::Bmp; // BMP or JPEG
    int quality = 95; // JPEG output, 1..100; written 4:4:4
    // The most memory the decoder may take (a progressive JPEG keeps all its coefficients).
    long long memoryLimit = 1LL << 30;
    // 2: one thread decodes while another writes what it decoded before, for a photo that has the
    // machine to itself.
    int threads = 1;
};

// Called after each band with the share of rows done, 0..1.
using BandProgress = std::function<void(double done)>;

// The output appears only when complete and on disk. A JPEG keeps every APP marker and comment
// of the input (camera data, colour profile, orientation tag: the pixels are not turned).
StreamOutcome CorrectJpegFile(const StreamRequest &request, const RowTables &tables, const BandProgress &progress);

// True when the file starts like a JPEG.
bool LooksLikeJpeg(const std::string &path);

} // namespace velmora
