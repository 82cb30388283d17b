// Velmora — what the four swatch boxes can show: the designed swatches, the tone swatches three
// sets at a time, or the user's own colours; and the user's list, as it is kept in the settings.
#pragma once

#include <array>
#include <optional>

#include <QImage>
#include <QList>
#include <QRgb>
#include <QString>
#include <QVariant>

namespace velmora {

enum class SwatchSet { Designed, Monk1To4, Monk5To8, Monk9To10AndChart, Mine };
inline constexpr int kSwatchSetCount = 5;
inline constexpr int kMySwatchCount = 4;

// One box's content. An empty slot of 我的样本 has no picture: the box is hidden, so the area's
// plain background shows and nothing can be picked there.
struct SwatchContent {
    QImage picture;
    QString tip;
};

// The boxes' contents for a tone set or 我的样本 (`mine` newest first); nothing for Designed, which
// the window keeps as it was built.
std::array<SwatchContent, 4> SwatchesOf(SwatchSet set, const QList<QRgb> &mine);

// The user's colour as a box shows it: flat, the size of a tone swatch, so any pick anywhere gives
// back exactly the colour that was added.
QImage FlatSwatch(QRgb colour);

// `colour` first; an equal colour further down moves up instead of appearing twice; four kept.
QList<QRgb> WithMySwatch(QList<QRgb> mine, QRgb colour);

// The settings' forms: the set as its number, the colours as "#rrggbb" texts. Anything unreadable
// reads as the designed set or is left out, so a damaged settings file cannot stop the window.
SwatchSet SwatchSetFrom(const QVariant &stored);
QList<QRgb> MySwatchesFrom(const QVariant &stored);
QStringList MySwatchesForSettings(const QList<QRgb> &mine);

} // namespace velmora
