// Velmora — the mark that shows where a colour was picked: drawn over a picture, never into it.
#pragma once

#include <QPoint>

class QPainter;
class QPointF;

namespace velmora {

struct PickMark {
    QPoint pixel;  // the picked pixel, in the picture's own pixels
    int size = 1;  // the side of the square the colour was the mean of
    friend bool operator==(const PickMark &, const PickMark &) = default;
};

// Draws `mark` for a picture whose pixel (0, 0) starts at `corner`, shown at `zoom`: a crosshair of
// a dark and a light line around the pixel, and the sampled square's outline when it is larger
// than one pixel, so it shows on light and dark skin alike.
void PaintPickMark(QPainter &painter, const PickMark &mark, const QPointF &corner, double zoom);

} // namespace velmora
