// Velmora — a picture file's bytes, read once.
#pragma once

#include <QByteArray>

#include "picture/decoded_picture.h"

namespace velmora {

struct FileBytes {
    QByteArray bytes;
    LoadProblem problem = LoadProblem::None;
};

// Reads the whole of a regular file named by its bytes as the system knows them (any encoding).
// Never blocks on a FIFO or device and never opens the file twice, so every check sees the same
// bytes; a file larger than maxBytes is TooLarge.
FileBytes ReadFileOnce(const QByteArray &localName, qint64 maxBytes);

} // namespace velmora
