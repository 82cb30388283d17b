// Velmora — where the window opens.
#include "ui/window/window_placement.h"

namespace velmora {

QRect OpeningGeometry(QSize wanted, QRect available, std::optional<QRect> kept, int scrollBar)
{
    if (kept && kept->isValid() && available.contains(*kept))
        return *kept;
    available.setTop(available.top() + kTitleBarAllowance);
    if (wanted.height() > available.height())
        wanted.rwidth() += scrollBar;
    if (wanted.width() > available.width())
        wanted.rheight() += scrollBar;
    const QSize size = wanted.boundedTo(available.size());
    QRect frame(QPoint(0, 0), size);
    frame.moveCenter(available.center());
    return frame;
}

} // namespace velmora
