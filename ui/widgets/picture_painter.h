// Velmora — drawing a picture at a zoom: below 1:1 smoothly from its half-size copies, above it
// as sharp squares exactly where the pointer finds their pixels.
#pragma once

class QImage;
class QPainter;
class QPoint;
class QRect;

namespace velmora {

class PicturePyramid;

// Draws the part of `picture` that falls in `exposed` (widget pixels), with the picture's pixel
// (0, 0) starting at `corner`. Costs what `exposed` holds, not what the picture holds.
void PaintPicture(QPainter &painter, const QImage &picture, const PicturePyramid &pyramid, const QPoint &corner,
                  double zoom, const QRect &exposed);

} // namespace velmora
