// Velmora — a `.velmora` file read from disk, the same way for the window, its batch and the command line.
#pragma once

#include <string>
#include <variant>

#include "core/correction_file.h"

namespace velmora {

// The file named by `path` (the name's own bytes), read and parsed. Unreadable when it cannot be
// opened or read, or is not a regular file (a FIFO or a device is never waited on).
std::variant<CorrectionRecord, CorrectionFileError> ReadCorrectionFile(const std::string &path);

} // namespace velmora
