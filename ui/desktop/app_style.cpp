// Velmora — the platform's own style, with the one icon the window's first paint would read from a file.
#include "ui/desktop/app_style.h"

#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QStyleOption>
#include <QWidget>

#include "ui/desktop/typefaces.h"

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

// A message's texts: a label draws no further than its contents, a line of its text tall per line,
// so the label is made taller by the rows the ink needs under the last line and, as its text is
// centred, as many over the first.
void AppStyle::polish(QWidget *widget)
{
    QProxyStyle::polish(widget);
    auto *label = qobject_cast<QLabel *>(widget);
    if (!label || !qobject_cast<QMessageBox *>(label->parentWidget()) || label->text().isEmpty())
        return;
    const int below = InkBelowLine(label->font());
    if (below > 0 && (label->alignment() & Qt::AlignVCenter))
        label->setMinimumHeight(label->sizeHint().height() + 2 * below);
}

QSize AppStyle::sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                                 const QWidget *widget) const
{
    QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (type == CT_ItemViewItem && option) {
        const auto *item = qstyleoption_cast<const QStyleOptionViewItem *>(option);
        if (item && !item->text.isEmpty())
            result.rheight() += 2 * InkBelowLine(item->font); // the text is centred: room under it and over it
    }
    return result;
}

} // namespace velmora
