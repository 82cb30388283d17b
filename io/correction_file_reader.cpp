// Velmora — reading a correction file.
#include "io/correction_file_reader.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

std::variant<CorrectionRecord, CorrectionFileError> ReadCorrectionFile(const std::string &path)
{
    // Non-blocking, so a FIFO's open returns at once; fstat then refuses it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return CorrectionFileError::Unreadable;
    struct stat st {};
    // One byte past the limit is enough to know the file is not ours.
    std::string text(kCorrectionFileMaxBytes + 1, '\0');
    std::size_t got = 0;
    bool failed = ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode);
    while (!failed && got < text.size()) {
        const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            failed = true;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (failed)
        return CorrectionFileError::Unreadable;
    text.resize(got);
    return ReadCorrection(text);
}

} // namespace velmora
