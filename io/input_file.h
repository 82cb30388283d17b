// Velmora — the one way an input file is opened, on every path: by the name's own bytes, without
// blocking, and only when it is a regular file.
#pragma once

#include <string>

#include <sys/stat.h>

namespace velmora {

enum class InputProblem {
    None,
    Missing,     // no such file or folder on the way
    NotAFile,    // a folder, FIFO, socket or device
    Unreadable,  // no permission, or the system could not read it
    NoResources, // the process or the system ran out of descriptors or memory: the file may be fine
};

// An open regular file, closed when it goes. A FIFO or device is never waited on: the open does
// not block and the type is checked on the open descriptor, so a name swapped meanwhile is caught.
class InputFile {
public:
    explicit InputFile(const char *name);
    explicit InputFile(const std::string &name) : InputFile(name.c_str()) {}
    ~InputFile();
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;

    InputProblem problem() const { return m_problem; }
    int fd() const { return m_fd; }
    const struct stat &info() const { return m_info; }
    long long size() const { return static_cast<long long>(m_info.st_size); }

private:
    int m_fd = -1;
    struct stat m_info {};
    InputProblem m_problem = InputProblem::None;
};

} // namespace velmora
