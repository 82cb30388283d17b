// Velmora — GIF completeness (stand-in until the real check lands).
#pragma once
#include <QByteArray>
namespace velmora {
bool GifFirstFrameComplete(const QByteArray &bytes);
} // namespace velmora
