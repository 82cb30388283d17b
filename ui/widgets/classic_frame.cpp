// Velmora — a group frame drawn the classic way.
#include "ui/widgets/classic_frame.h"

#include <QPainter>
#include <QStyle>

namespace velmora {

namespace {

// The caption stands this far in from the frame's left, with this much room either side in the line.
constexpr int kCaptionLeft = 8;
constexpr int kCaptionRoom = 1;

} // namespace

int ClassicFrame::lineTop() const { return fontMetrics().height() / 2; }

void ClassicFrame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int top = lineTop();
    const int right = width() - 1;
    const int bottom = height() - 1;
    // An etched rectangle: a dark one, and a light one a pixel right and down, fixed greys as the
    // picture bevels have.
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(0, top, right - 1, bottom - top - 1);
    painter.setPen(QColor(255, 255, 255));
    painter.drawLine(1, top + 1, right - 2, top + 1);
    painter.drawLine(1, top + 1, 1, bottom - 2);
    painter.drawLine(0, bottom, right, bottom);
    painter.drawLine(right, top, right, bottom);

    if (title().isEmpty())
        return;
    const QRect caption(kCaptionLeft + kCaptionRoom, 0, fontMetrics().horizontalAdvance(title()),
                        fontMetrics().height());
    painter.fillRect(caption.adjusted(-kCaptionRoom, 0, kCaptionRoom, 0), palette().brush(backgroundRole()));
    style()->drawItemText(&painter, caption, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic,
                          palette(), isEnabled(), title(), QPalette::WindowText);
}

} // namespace velmora
