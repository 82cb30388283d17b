// Velmora — what the window and the command line alike set once for the whole process.
#pragma once

namespace velmora {

// The memory one picture may take, from the machine's memory; and a write past the file size
// limit fails with EFBIG, which a save reports and survives, instead of ending the process through
// SIGXFSZ and losing the corrected picture.
void ConfigureProcess();

} // namespace velmora
