// Velmora tests — writes past a size fail for a while, as on a full disk.
#pragma once

#include <sys/resource.h>

namespace velmora::fakes {

// Makes writes past `bytes` fail, as a full disk would, for the life of the object. SIGXFSZ is
// left as the program's start-up set it.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limited = m_saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    rlimit m_saved{};
};

} // namespace velmora::fakes
