// Velmora — an output file that appears whole or not at all: written under a hidden name beside
// its place, flushed to disk, then renamed into place.
#pragma once

#include <memory>
#include <string>

namespace velmora {

class BackgroundFlush;

enum class OutputError {
    None,
    CannotCreate, // no permission, or the folder does not exist
    Exists,       // something already has the name and replacing was not asked for
    WriteFailed,  // the disk is full, or the file grew past what the system allows
};

class AtomicOutput {
public:
    // Creates the hidden file beside `path`; check error() before writing.
    AtomicOutput(std::string path, bool replace);
    ~AtomicOutput(); // removes the hidden file unless commit() succeeded
    AtomicOutput(const AtomicOutput &) = delete;
    AtomicOutput &operator=(const AtomicOutput &) = delete;

    int fd() const { return m_fd; }
    OutputError error() const { return m_error; }

    // Writes all of `size` bytes at `offset`, or records a failure.
    bool writeAt(const void *data, std::size_t size, long long offset);
    // Appends at the current end.
    bool append(const void *data, std::size_t size);
    // From now on, every few megabytes written are also flushed to disk by a thread of their own,
    // so commit() waits for the last few only.
    void flushAsItGoes();
    // Flushes the file and moves it into place; after a failure here nothing is in place.
    OutputError commit();
    // Marks a failure found outside (a damaged input): commit() is never reached, nothing appears.
    void abandon();

private:
    void startWriteback();

    std::string m_path;
    std::string m_temporary;
    bool m_replace = false;
    int m_fd = -1;
    long long m_end = 0;
    long long m_unflushed = 0; // bytes written since the system was last asked to write back
    std::unique_ptr<BackgroundFlush> m_flush;
    bool m_committed = false;
    OutputError m_error = OutputError::None;
};

} // namespace velmora
