// Velmora — the parts of a file's name, as the system's bytes: no encoding is assumed.
#pragma once

#include <string>

namespace velmora {

// The folder a path names its file in: "." for a bare name, "/" for one at the root.
std::string FolderOf(const std::string &path);
// The last part of a path.
std::string NameOf(const std::string &path);
// The last part without its ending; a name that starts with its only dot keeps it (".profile").
std::string StemOf(const std::string &path);

} // namespace velmora
