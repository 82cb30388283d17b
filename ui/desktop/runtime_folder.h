// Velmora — the folder that holds the one-copy lock and the hand-over socket: the user's own, so no
// other user can hold the lock or be handed the names of the photos the user opens.
#pragma once

#include <string>

namespace velmora {

struct RuntimeFolder {
    std::string path;  // empty when refused
    std::string error; // why it was refused, for the user; empty when it was not
};

// XDG_RUNTIME_DIR when it is set; otherwise "velmora-<uid>" in TMPDIR (or /tmp), made here with
// mode 0700 if it is not there. Either way it must be a real folder (not a link), owned by this
// user and open to no one else, or it is refused.
RuntimeFolder UserRuntimeFolder();

// The same checks for a given folder; `create` makes it (0700) when it does not exist.
RuntimeFolder CheckPrivateFolder(const std::string &path, bool create);

// The user id of the other end of a connected local socket, or -1 when it cannot be told.
long PeerUser(int socket);

} // namespace velmora
