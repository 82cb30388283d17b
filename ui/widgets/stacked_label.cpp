// Velmora — a heading read one character a line.
#include "ui/widgets/stacked_label.h"

#include <QPainter>

namespace velmora {

void StackedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const int step = font().pixelSize() > 0 ? font().pixelSize() : fontMetrics().height();
    const QString caption = text();
    for (qsizetype i = 0; i < caption.size(); ++i)
        painter.drawText(QRect(0, int(i) * step, width(), step), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip,
                         caption.mid(i, 1));
}

} // namespace velmora
