// Velmora — the platform's own style, with the one icon the window's first paint would read from a file.
#include "ui/desktop/app_style.h"

#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace velmora {

namespace {

// Two chevrons pointing the way the hidden entries lie.
QIcon ChevronIcon(Qt::Orientation orientation, const QColor &colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QPen(colour, 1));
    for (const int at : {4, 8})
        for (int i = 0; i < 4; ++i) {
            if (orientation == Qt::Horizontal) {
                painter.drawPoint(at + i, 4 + i);
                painter.drawPoint(at + i, 10 - i);
            } else {
                painter.drawPoint(4 + i, at + i);
                painter.drawPoint(10 - i, at + i);
            }
        }
    return QIcon(pixmap);
}

} // namespace

QIcon AppStyle::standardIcon(StandardPixmap which, const QStyleOption *option, const QWidget *widget) const
{
    if (which == SP_ToolBarHorizontalExtensionButton || which == SP_ToolBarVerticalExtensionButton) {
        const QColor colour = widget ? widget->palette().color(QPalette::ButtonText) : QColor(Qt::black);
        return ChevronIcon(which == SP_ToolBarHorizontalExtensionButton ? Qt::Horizontal : Qt::Vertical, colour);
    }
    return QProxyStyle::standardIcon(which, option, widget);
}

} // namespace velmora
