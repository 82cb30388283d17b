// Velmora — `velmora apply`: one correction for many photos, without a display.
#pragma once

namespace velmora {

// `argv[0]` is "apply". Returns the process's exit status: 0 when every photo was corrected,
// 1 when any failed, 2 when the command itself was refused.
int RunApplyCommand(int argc, char *argv[]);

} // namespace velmora
