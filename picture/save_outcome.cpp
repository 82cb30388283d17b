// Velmora — how a save ended.
#include "picture/save_outcome.h"

namespace velmora {

SaveOutcome SaveOutcomeOf(OutputError error, int systemError)
{
    switch (error) {
    case OutputError::None: return {};
    case OutputError::Exists: return {SaveProblem::Exists};
    case OutputError::ReadOnlyFile: return {SaveProblem::ReadOnlyFile};
    case OutputError::IsFolder: return {SaveProblem::IsFolder};
    case OutputError::NoPermission: return {SaveProblem::NoPermission};
    case OutputError::NoFolder: return {SaveProblem::NoFolder};
    case OutputError::ReadOnlyDisk: return {SaveProblem::ReadOnlyDisk};
    case OutputError::DiskFull: return {SaveProblem::DiskFull};
    case OutputError::FileSizeLimit: return {SaveProblem::FileSizeLimit};
    case OutputError::NameTooLong: return {SaveProblem::NameTooLong};
    case OutputError::WriteFailed: break;
    }
    return {SaveProblem::OtherError, systemError};
}

} // namespace velmora
