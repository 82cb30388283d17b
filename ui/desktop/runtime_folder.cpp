// Velmora — the folder that holds the one-copy lock and the hand-over socket.
#include "ui/desktop/runtime_folder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

namespace {

std::string Refused(const std::string &path, const std::string &why)
{
    return "文件夹 " + path + " " + why + "，不能用作本程序的私有文件夹（只允许运行一个副本的锁与"
           "转交文件的通道已关闭）。";
}

} // namespace

RuntimeFolder CheckPrivateFolder(const std::string &path, bool create)
{
    if (path.empty() || path.front() != '/')
        return {{}, Refused(path, "不是绝对路径")};
    // Made with 0700 from the start: there is no moment in which another user could open it.
    if (create && ::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return {{}, Refused(path, std::string("无法创建：") + std::strerror(errno))};
    // lstat, not stat: a link planted by someone else must not lead us into their folder.
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return {{}, Refused(path, std::string("无法读取：") + std::strerror(errno))};
    if (S_ISLNK(st.st_mode))
        return {{}, Refused(path, "是一个链接")};
    if (!S_ISDIR(st.st_mode))
        return {{}, Refused(path, "不是文件夹")};
    if (st.st_uid != ::geteuid())
        return {{}, Refused(path, "属于另一个用户")};
    if ((st.st_mode & 07777) != 0700)
        return {{}, Refused(path, "其他用户也可以访问（权限应为 0700）")};
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
