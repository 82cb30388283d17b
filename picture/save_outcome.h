// Velmora — how a save ended, as a value the window turns into its message.
#pragma once

#include "io/atomic_output.h"

namespace velmora {

enum class SaveProblem {
    None,
    IsFolder,          // a folder of that name exists
    Exists,            // something has the name and replacing was not asked for
    ReadOnlyFile,      // the file to replace is read-only
    NoPermission,      // the folder may not be written
    NoFolder,          // the folder does not exist
    ReadOnlyDisk,      // the file system is mounted read-only
    DiskFull,          // no space (or quota) left
    FileSizeLimit,     // larger than the system lets this program write
    NameTooLong,
    TooLargeForFormat, // beyond what the chosen format can hold
    EncodeFailed,      // the encoder refused the picture
    OtherError,        // another system error, see `systemError`
};

struct SaveOutcome {
    SaveProblem problem = SaveProblem::None;
    int systemError = 0;              // errno, for OtherError
    bool cameraDataDropped = false;   // saved, but the photo's camera data could not be written
    bool transparencyFlattened = false; // saved as BMP or JPEG, the transparent parts laid over white
    bool depthReduced = false;        // the photo had 16 bits a channel; the file has 8
    bool ok() const { return problem == SaveProblem::None; }
};

// What the writer's failure means to the one who saved.
SaveOutcome SaveOutcomeOf(OutputError error, int systemError);

} // namespace velmora
