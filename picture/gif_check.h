// Velmora — whether a GIF holds its whole first frame.
#pragma once

#include <QByteArray>

namespace velmora {

// True when the bytes hold the GIF's first frame to its block terminator and its compressed data
// gives every pixel of that frame. Qt's reader shows a cut frame as far as it goes, without an
// error; this tells such a file from a whole one.
bool GifFirstFrameComplete(const QByteArray &bytes);

} // namespace velmora
