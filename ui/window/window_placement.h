// Velmora — where the window opens: its designed size where the screen has room, else the largest
// that fits; the place and size the user left it at when that still fits the screen.
#pragma once

#include <optional>

#include <QRect>

namespace velmora {

// Room a window manager's title bar takes above the window; the true height is only known once
// the window is shown.
inline constexpr int kTitleBarAllowance = 32;

// `wanted`: the window's size at its designed size; `available`: the screen's room, without its
// panels; `kept`: where the user last left it. All without the title bar, which goes above them.
// The kept place when it lies wholly inside the room (its title bar was there already), else
// `wanted` as far as it fits below a title bar, centred.
// Cut in one direction, the window scrolls that way: the other takes `scrollBar` more if there
// is room, so the scroll bar does not cut it too.
QRect OpeningGeometry(QSize wanted, QRect available, std::optional<QRect> kept, int scrollBar);

} // namespace velmora
