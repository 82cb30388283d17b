// Velmora — a skin swatch in words, for those who cannot see it: its number and its tone.
#pragma once

#include <QImage>
#include <QString>

namespace velmora {

// The swatch's tone (浅 / 中等 / 深肤色) from the average brightness of its picture.
QString SwatchToneText(const QImage &sample);
// What a screen reader names swatch `index` (0 at the top): "皮肤样本 1：浅肤色".
QString SwatchAccessibleName(int index, const QImage &sample);

} // namespace velmora
