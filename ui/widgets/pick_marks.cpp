// Velmora — the mark that shows where a colour was picked.
#include "ui/widgets/pick_marks.h"

#include <algorithm>

#include <QPainter>
#include <QPointF>

namespace velmora {

namespace {
constexpr double kGap = 2;  // view pixels left clear between the square and the arms
constexpr double kArm = 7;  // length of each arm beyond the gap
const QColor kDark(0, 0, 0, 200);
const QColor kLight(255, 255, 255, 230);
} // namespace

void PaintPickMark(QPainter &painter, const PickMark &mark, const QPointF &corner, double zoom)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const int half = std::max(mark.size, 1) / 2;
    // The sampled square on screen; never under three view pixels, so it shows when zoomed out.
    const double side = std::max((2 * half + 1) * zoom, 3.0);
    const QPointF centre = corner + (QPointF(mark.pixel) + QPointF(0.5, 0.5)) * zoom;
    // The arms start clear of the square, so the picked pixels themselves stay visible.
    const double gap = side / 2 + kGap;

    const auto arms = [&](double width, const QColor &colour) {
        painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(centre - QPointF(gap + kArm, 0), centre - QPointF(gap, 0));
        painter.drawLine(centre + QPointF(gap, 0), centre + QPointF(gap + kArm, 0));
        painter.drawLine(centre - QPointF(0, gap + kArm), centre - QPointF(0, gap));
        painter.drawLine(centre + QPointF(0, gap), centre + QPointF(0, gap + kArm));
    };
    arms(3, kDark);
    arms(1, kLight);

    if (half > 0) {
        const QRectF square(centre - QPointF(side, side) / 2, QSizeF(side, side));
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(kDark, 1));
        painter.drawRect(square.adjusted(-1, -1, 0, 0));
        painter.setPen(QPen(kLight, 1));
        painter.drawRect(square.adjusted(0, 0, -1, -1));
    }
    painter.restore();
}

} // namespace velmora
