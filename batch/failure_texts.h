// Velmora — why a photo or a correction file was refused, in the words both faces use.
#pragma once

#include <string>

#include "batch/file_failure.h"
#include "core/correction_file.h"

namespace velmora::text {

// Why one photo of a batch was not corrected.
std::string FileFailureText(FileFailure failure);
// Why a correction file was refused.
std::string CorrectionFileText(CorrectionFileError error);

} // namespace velmora::text
