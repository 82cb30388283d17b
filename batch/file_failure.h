// Velmora — why one photo of a batch or of the command line was not corrected.
#pragma once

namespace velmora {

// Why one photo was not corrected.
enum class FileFailure {
    None,
    Missing,     // no such file
    NotAFile,    // a folder, FIFO, socket or device among the photos
    Unreadable,
    NoResources, // too many files open, or no memory to open one: the photo itself may be fine
    NotAPicture,
    Damaged,
    TooLarge,
    OutputExists,
    OutputReadOnly, // the output to replace is read-only, and kept
    OutputNotWritable,
    OutputWriteFailed,
    WouldReplaceInput,
    SameOutputTwice, // two photos of the run would write the same file
    NoOutputFolder,
    Described,       // the whole-picture path gave its own reason
};

} // namespace velmora
