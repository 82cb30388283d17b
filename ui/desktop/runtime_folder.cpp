// Velmora — the folder that holds the one-copy lock and the hand-over socket.
#include "ui/desktop/runtime_folder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ui/window/window_texts.h"

namespace velmora {

namespace {

std::string Refused(const std::string &path, const QString &why)
{
    return text::Tr(text::kRuntimeFolderRefused).arg(QString::fromStdString(path), why).toStdString();
}

std::string Refused(const std::string &path, const char *why)
{
    return Refused(path, text::Tr(why));
}

std::string Refused(const std::string &path, const char *why, int error)
{
    return Refused(path, text::Tr(why).arg(QString::fromLocal8Bit(std::strerror(error))));
}

} // namespace

RuntimeFolder CheckPrivateFolder(const std::string &path, bool create)
{
    if (path.empty() || path.front() != '/')
        return {{}, Refused(path, text::kFolderNotAbsolute)};
    // Made with 0700 from the start: there is no moment in which another user could open it.
    if (create && ::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return {{}, Refused(path, text::kFolderNotMade, errno)};
    // lstat, not stat: a link planted by someone else must not lead us into their folder.
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return {{}, Refused(path, text::kFolderNotRead, errno)};
    if (S_ISLNK(st.st_mode))
        return {{}, Refused(path, text::kFolderIsLink)};
    if (!S_ISDIR(st.st_mode))
        return {{}, Refused(path, text::kFolderNotFolder)};
    if (st.st_uid != ::geteuid())
        return {{}, Refused(path, text::kFolderOtherOwner)};
    if ((st.st_mode & 07777) != 0700)
        return {{}, Refused(path, text::kFolderOpen)};
    return {path, {}};
}

RuntimeFolder UserRuntimeFolder()
{
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime)
        return CheckPrivateFolder(runtime, false);
    const char *tmp = std::getenv("TMPDIR");
    std::string base = tmp && *tmp == '/' ? tmp : "/tmp";
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    return CheckPrivateFolder(base + "/velmora-" + std::to_string(::geteuid()), true);
}

long PeerUser(int socket)
{
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0 || length != sizeof credentials)
        return -1;
    return long(credentials.uid);
}

} // namespace velmora
