// Velmora — where the window opens.
#include "ui/window/window_placement.h"

namespace velmora {

QRect OpeningGeometry(QSize wanted, QRect available, std::optional<QRect> kept, int scrollBar)
{
    if (kept && kept->isValid() && available.contains(*kept))
        return *kept;
    QRect room = available;
    room.setTop(available.top() + kTitleBarAllowance);
    if (wanted.height() > room.height())
        wanted.rwidth() += scrollBar;
    if (wanted.width() > room.width())
        wanted.rheight() += scrollBar;
    QRect frame(QPoint(0, 0), wanted.boundedTo(room.size()));
    // Centred on the screen's room, and low enough for its title bar.
    frame.moveCenter(available.center());
    if (frame.top() < room.top())
        frame.moveTop(room.top());
    return frame;
}

} // namespace velmora
