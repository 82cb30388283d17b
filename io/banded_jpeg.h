// Velmora — a JPEG corrected in bands of rows: decoded, mapped through the gain tables and written
// out band by band, so memory stays the same whatever the size of the photo.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/gain_table.h"
#include "io/atomic_output.h"
#include "io/picture_format.h"
#include "io/input_file.h"

namespace velmora {

enum class StreamResult {
    Written,
    NeedsWholeLoad, // CMYK, or a turned photo going to a bitmap: the whole-picture path does it
    Unreadable,     // the input could not be opened or read: see input
    NotJpeg,        // the file does not start like a JPEG; another decoder may know it
    Damaged,        // cut off or corrupt picture data: any warning but the harmless ones (io/jpeg_setup.h)
    TooLarge,       // beyond this machine's memory limit, or a bitmap's 4 GB
    OutputFailed,   // see output
};

struct StreamOutcome {
    StreamResult result = StreamResult::Written;
    OutputError output = OutputError::None;
    InputProblem input = InputProblem::None;
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

// The input is opened as every input is (io/input_file.h) and judged as every JPEG is: the header
// against the file's size before the output is made, and decoding stops at the first damage.
// The output appears only when complete and on disk. A JPEG keeps every APP marker and comment
// of the input (camera data, colour profile, orientation tag: the pixels are not turned).
StreamOutcome CorrectJpegFile(const StreamRequest &request, const RowTables &tables, const BandProgress &progress);

} // namespace velmora
