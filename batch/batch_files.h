// Velmora — one correction over many photos: where each photo's output goes, and one photo
// corrected, in bands when it is a JPEG going to JPEG or BMP and whole otherwise. The command line
// and the window's batch both run it, so both give the pass's own pixels.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/gain_table.h"
#include "batch/file_failure.h"
#include "batch/whole_picture.h"
#include "io/banded_jpeg.h"
#include "io/picture_format.h"

namespace velmora {


// What happens when an output's name is taken.
enum class NameClash {
    Refuse,  // the photo fails with OutputExists
    Replace, // the output is replaced (never a photo of the run)
    Number,  // "photo (2).jpg", the first free number
};

struct PlannedFile {
    std::string input;
    std::string output;
    PictureFormat format = PictureFormat::Png;
    long long bytes = 0;                     // the input's size, for the rate
    FileFailure failure = FileFailure::None; // found while planning: the photo is not attempted
};


// Outputs in `folder`, or when it is empty in a folder 已校正 beside each photo; the name is the
// photo's with the format's ending, and the format the photo's own when none is given (JPEG for HEIF
// and AVIF, PNG for GIF and ICO). Folders are made here. Outputs that would replace any photo of the
// run, or that two photos share, are marked and not attempted.
std::vector<PlannedFile> PlanOutputs(const std::vector<std::string> &files, const std::string &folder,
                                     std::optional<PictureFormat> format, NameClash clash);

struct FileResult {
    FileFailure failure = FileFailure::None;
    std::string reason; // when failure is Described
    // Corrected, but the output could not keep all the photo had (see WholePictureResult).
    bool transparencyFlattened = false;
    bool depthReduced = false;
};

// Why the banded path gave up on a photo, in the words both faces use.
FileFailure FailureOfStream(const StreamOutcome &outcome);

// How `threads` (0: one per core) are spread over `photos`: a photo to each thread while there are
// enough photos, and the spare threads to each photo otherwise.
struct ThreadSplit {
    int workers = 1;     // photos corrected at once
    int threadsEach = 1; // threads each of those photos may use
};
ThreadSplit SplitThreads(int threads, std::size_t photos);

// `addBytes` is told how much of the input is done as the photo goes. With `threads` 2 a JPEG is
// decoded on one thread while the other writes it.
FileResult CorrectOneFile(const PlannedFile &file, int quality, NameClash clash, const RowTables &tables,
                          const std::function<void(long long)> &addBytes, int threads = 1);

} // namespace velmora
