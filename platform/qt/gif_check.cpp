// Velmora — GIF completeness (stand-in until the real check lands): every GIF passes.
#include "platform/qt/gif_check.h"
namespace velmora {
bool GifFirstFrameComplete(const QByteArray &) { return true; }
} // namespace velmora
