// Velmora — the arithmetic of looking at a picture at a zoom: steps, fitting, and which picture
// pixel lies under a point of the view.
#pragma once

#include <QPoint>
#include <QPointF>
#include <QSize>

namespace velmora {

// The zoom steps, smallest first: 1/32 up to 8 ×, with 100 % among them.
inline constexpr double kZoomSteps[] = {1.0 / 32, 1.0 / 24, 1.0 / 16, 1.0 / 12, 1.0 / 8, 1.0 / 6,
                                        1.0 / 4,  1.0 / 3,  1.0 / 2,  2.0 / 3,  1.0,     1.5,
                                        2.0,      3.0,      4.0,      6.0,      8.0};

// The next step above `zoom` (direction > 0) or below it (direction < 0); the end steps stay put.
// A zoom between steps, as a fitted one is, goes to the neighbouring step on that side.
double NextZoomStep(double zoom, int direction);

// The largest zoom, never above 1, at which `picture` plus `border` on each side fits in `room`.
double FitZoom(QSize picture, int border, QSize room);

// The size a picture takes on screen at `zoom`: every view pixel that shows part of a picture pixel.
QSize ShownSize(QSize picture, double zoom);

// The picture pixel under view position `v` (view pixels from the picture's corner, fractions
// allowed): floor(v / zoom), so at 1:1 it is the pixel the position falls in.
int PixelAt(double v, double zoom);
QPoint PixelAt(const QPointF &v, double zoom);

// Where a picture's corner must go so that the picture point under `anchor` stays under it when the
// zoom changes from `from` to `to`. `corner` and `anchor` are in the same view pixels; the middle of
// the pointer's view pixel makes a good anchor, as its picture pixel then stays under the pointer.
QPoint KeepUnderAnchor(QPoint corner, QPointF anchor, double from, double to);

} // namespace velmora
