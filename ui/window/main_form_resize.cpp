// Velmora — the window at any size from its designed one up: the two picture areas share the room
// it gains, everything else keeps its designed size and stays by the neighbour it was designed beside.
#include <QGroupBox>
#include <QLabel>
#include <QResizeEvent>
#include <QScrollBar>

#include "ui/widgets/picture_box.h"
#include "ui/widgets/picture_view.h"
#include "ui/window/main_form.h"

namespace velmora {

namespace {

// How a control follows the room the window gained: its move and its growth, in pixels.
struct Shift {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

enum class Anchor {
    ReferenceArea, // grows by the left half of the width gained, and by the height
    TargetArea,    // beside it, grows by the right half
    ProgressBar,   // under both, as wide as both
    ReferenceBar,  // under the reference area's left edge
    TargetBar,     // under the target area's left edge
    ReferenceHeading, // centred over its area
    TargetHeading,
    ColumnTop,    // the swatches and their heading: by the right edge, at the top
    ColumnBottom, // the tool column: by the right edge, level with the tool bars
};

Shift ShiftOf(Anchor anchor, QSize gained)
{
    const int dx = gained.width(), dy = gained.height();
    const int left = dx / 2, right = dx - left;
    switch (anchor) {
    case Anchor::ReferenceArea: return {0, 0, left, dy};
    case Anchor::TargetArea: return {left, 0, right, dy};
    case Anchor::ProgressBar: return {0, dy, dx, 0};
    case Anchor::ReferenceBar: return {0, dy, 0, 0};
    case Anchor::TargetBar: return {left, dy, 0, 0};
    case Anchor::ReferenceHeading: return {left / 2, 0, 0, 0};
    case Anchor::TargetHeading: return {left + right / 2, 0, 0, 0};
    case Anchor::ColumnTop: return {dx, 0, 0, 0};
    case Anchor::ColumnBottom: return {dx, dy, 0, 0};
    }
    return {};
}

QRect Shifted(QRect r, Shift s, int sign)
{
    return QRect(r.x() + sign * s.x, r.y() + sign * s.y, r.width() + sign * s.width, r.height() + sign * s.height);
}

// A picture shown whole and centred, as 适合窗口 leaves it.
bool Fitted(const PictureBox *picture, QSize room)
{
    return picture->hasPicture() && picture->zoom() == FitZoom(picture->image().size(), picture->borderWidth(), room)
           && picture->pos() == QPoint((room.width() - picture->width()) / 2, (room.height() - picture->height()) / 2);
}

} // namespace

void MainForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    followSize();
}

void MainForm::followSize()
{
    const QSize gained = (size() - kDesignedSize).expandedTo(QSize(0, 0));
    if (gained == m_gained)
        return;
    const std::pair<QWidget *, Anchor> controls[] = {
        {m_referenceArea, Anchor::ReferenceArea}, {m_targetArea, Anchor::TargetArea},
        {m_progressBar, Anchor::ProgressBar},     {m_referenceBar, Anchor::ReferenceBar},
        {m_targetBar, Anchor::TargetBar},         {m_referenceHeading, Anchor::ReferenceHeading},
        {m_targetHeading, Anchor::TargetHeading}, {m_swatchArea, Anchor::ColumnTop},
        {m_swatchHeading, Anchor::ColumnTop},     {m_toolFrame, Anchor::ColumnBottom},
    };
    const QSize referenceRoom = m_referencePicture->parentWidget()->size();
    const QSize targetRoom = m_targetPicture->parentWidget()->size();
    for (const auto &[control, anchor] : controls) {
        const QRect designed = Shifted(control->geometry(), ShiftOf(anchor, m_gained), -1);
        const QRect now = Shifted(designed, ShiftOf(anchor, gained), +1);
        if (auto *box = qobject_cast<PictureBox *>(control))
            box->place(now);
        else
            control->setGeometry(now);
    }
    m_gained = gained;
    followRoom(m_referencePicture, referenceRoom);
    followRoom(m_targetPicture, targetRoom);
}

// A fitted picture is fitted again; any other keeps the picture point at the middle of its area
// there. A blank drawing area fills its area as designed.
void MainForm::followRoom(PictureBox *picture, QSize oldRoom)
{
    const QSize room = picture->parentWidget()->size();
    if (room == oldRoom)
        return;
    if (!picture->hasPicture()) {
        const int border = 2 * picture->borderWidth();
        picture->place(QRect(picture->pos(), room + QSize(border, border)));
    } else if (Fitted(picture, oldRoom)) {
        fit(picture);
    } else {
        picture->move(picture->pos() + QPoint(room.width() / 2 - oldRoom.width() / 2,
                                              room.height() / 2 - oldRoom.height() / 2));
    }
}

} // namespace velmora
