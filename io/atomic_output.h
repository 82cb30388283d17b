// Velmora — an output file that appears whole or not at all. It is written as an unnamed file in
// its folder and linked into place once on disk, so a process killed mid-write leaves nothing; where
// the file system has no unnamed files, under a hidden name that a caught signal, or the next run
// in that folder, removes.
#pragma once

#include <memory>
#include <string>

namespace velmora {

class BackgroundFlush;

enum class OutputError {
    None,
    Exists,        // something already has the name and replacing was not asked for
    ReadOnlyFile,  // the file to replace is read-only: it is kept
    IsFolder,      // a folder has the name
    NoPermission,  // the folder may not be written
    NoFolder,      // the folder does not exist
    ReadOnlyDisk,  // the file system is mounted read-only
    DiskFull,      // no space or quota left
    FileSizeLimit, // larger than the system lets this process write
    NameTooLong,
    WriteFailed,   // another failure, see systemError(); or the caller gave the file up
};

// What the writer does with what already has the name.
struct OutputPolicy {
    bool replace = false;    // an existing file may be replaced (a read-only one never is)
    bool followLink = false; // a symbolic link leads to the file it names, which is written

    // The window's save and export: the user chose this name, knowing what is there; a link is the
    // file it names to them.
    static constexpr OutputPolicy ChosenByUser() { return {true, true}; }
    // One output of a batch: a link at its name is never followed, so whoever may write in a shared
    // folder cannot turn a run onto another of the user's files. With `replace` the link itself is
    // replaced; without, anything at the name, a dangling link included, is refused.
    static constexpr OutputPolicy BatchOutput(bool replace) { return {replace, false}; }
};

class AtomicOutput {
public:
    // Opens the file to write; check error() before writing.
    AtomicOutput(const std::string &path, OutputPolicy policy);
    ~AtomicOutput(); // nothing of the file remains unless commit() succeeded
    AtomicOutput(const AtomicOutput &) = delete;
    AtomicOutput &operator=(const AtomicOutput &) = delete;

    int fd() const { return m_fd; }
    OutputError error() const { return m_error; }
    int systemError() const { return m_errno; } // the errno behind error(), 0 when none

    // Writes all of `size` bytes at `offset`, or records a failure.
    bool writeAt(const void *data, std::size_t size, long long offset);
    // Appends at the current end.
    bool append(const void *data, std::size_t size);
    // From now on, every few megabytes written are also flushed to disk by a thread of their own,
    // so commit() waits for the last few only.
    void flushAsItGoes();
    // Flushes the file and puts it in place; after a failure here nothing is in place.
    OutputError commit();
    // Marks a failure found outside (a damaged input): commit() is never reached, nothing appears.
    void abandon();

private:
    bool fail(OutputError error, int systemError = 0);
    bool failFromErrno(int systemError);
    bool checkName();
    bool linkIntoPlace();
    void discard();
    void startWriteback();

    std::string m_name;     // the file's name in m_folder, links resolved when they are followed
    std::string m_hidden;   // the name it is written under where unnamed files are not offered
    int m_folder = -1;      // the folder, held open so every step acts on the same one
    int m_fd = -1;
    int m_slot = -1;        // the hidden name's place in the table a caught signal clears
    OutputPolicy m_policy;
    long long m_end = 0;
    long long m_unflushed = 0; // bytes written since the system was last asked to write back
    std::unique_ptr<BackgroundFlush> m_flush;
    bool m_committed = false;
    OutputError m_error = OutputError::None;
    int m_errno = 0;
};

// The error an errno from creating, writing or placing a file stands for.
OutputError OutputErrorFromErrno(int error);

} // namespace velmora
