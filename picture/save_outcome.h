// Velmora — how a save ended, as a value the window turns into its message.
#pragma once

namespace velmora {

enum class SaveProblem {
    None,
    IsFolder,          // a folder of that name exists
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
    bool ok() const { return problem == SaveProblem::None; }
};

} // namespace velmora
