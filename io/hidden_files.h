// Velmora — where a file system has no unnamed files, an output is written under a hidden name
// beside its place: named so that whose it is can be told, removed on the signals that end a run,
// and removed by a later run once the run that made it is gone.
#pragma once

#include <string>

namespace velmora {

// ".velmora-part-<pid>-<token>-<host>", new each time.
std::string HiddenName();
// Hidden files in `folder` (open, named `path`) whose runs on this machine have ended; once a folder.
void RemoveStaleHiddenFiles(int folder, const std::string &path);
// Keeps `name` in `folder` to be removed if SIGINT, SIGTERM or SIGHUP ends the process; the slot to
// forget it by, or -1 when too many are kept at once (the next run's clearing removes it then).
int RememberHidden(int folder, const std::string &name);
// The name is gone or in place; `slot` becomes -1.
void ForgetHidden(int &slot);

} // namespace velmora
