// Velmora — the one way an input file is opened.
#include "io/input_file.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace velmora {

namespace {

InputProblem ProblemOf(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return InputProblem::Missing;
    case EISDIR:
    case ENXIO: // a socket, or a device with nothing behind it
    case ENODEV:
        return InputProblem::NotAFile;
    case EMFILE:
    case ENFILE:
    case ENOMEM:
        return InputProblem::NoResources;
    default:
        return InputProblem::Unreadable;
    }
}

} // namespace

InputFile::InputFile(const char *name)
{
    if (!name || !*name) {
        m_problem = InputProblem::Missing;
        return;
    }
    // Non-blocking, so a FIFO with no writer or a terminal cannot hold us before its type is known.
    m_fd = ::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (m_fd < 0) {
        m_problem = ProblemOf(errno);
        return;
    }
    if (::fstat(m_fd, &m_info) != 0)
        m_problem = ProblemOf(errno);
    else if (!S_ISREG(m_info.st_mode))
        m_problem = InputProblem::NotAFile;
    if (m_problem != InputProblem::None) {
        ::close(m_fd);
        m_fd = -1;
    }
}

InputFile::~InputFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace velmora
