// Velmora — BMP decoding (stand-in until the full decoder lands).
#pragma once
#include <QByteArray>
#include "platform/qt/decoded_picture.h"
namespace velmora {
DecodedPicture DecodeBmp(const QByteArray &bytes, qint64 memoryLimitBytes);
} // namespace velmora
