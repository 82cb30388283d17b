// Velmora — looking at the whole photo: fit, 1:1, zoom steps and the wheel, per picture area.
#include <cmath>

#include <QEvent>

#include "ui/widgets/picture_box.h"
#include "ui/widgets/picture_view.h"
#include "ui/window/main_form.h"

namespace velmora {

namespace {

// One notch of an ordinary wheel, in eighths of a degree.
constexpr int kWheelNotch = 120;

PictureBox *AreaOf(PictureBox *picture)
{
    return qobject_cast<PictureBox *>(picture->parentWidget()->parentWidget());
}

// The room a picture has: its area's client, into which the picture box is placed.
QSize RoomOf(PictureBox *picture) { return picture->parentWidget()->size(); }

QPointF CentreOf(PictureBox *picture) { return QRectF(picture->parentWidget()->rect()).center(); }

QPoint BorderOffset(PictureBox *picture) { return {picture->borderWidth(), picture->borderWidth()}; }

} // namespace

void MainForm::connectView()
{
    m_viewed = m_targetPicture;
    for (PictureBox *picture : {m_referencePicture, m_targetPicture}) {
        PictureBox *area = AreaOf(picture);
        area->installEventFilter(this);
        connect(picture, &PictureBox::moved, this, [this, picture] { m_viewed = picture; });
        connect(picture, &PictureBox::wheelTurned, this,
                [this, picture](QPointF position, int delta) { turnWheel(picture, position, delta); });
        // Beside a picture made small, the wheel still zooms it around the pointer.
        connect(area, &PictureBox::wheelTurned, this, [this, picture, area](QPointF position, int delta) {
            turnWheel(picture, picture->mapFrom(area, position), delta);
        });
    }
}

// Entering an area, over its picture or beside it, makes it the one the view actions act on.
bool MainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watchCompareKey(watched, event))
        return true;
    if (event->type() == QEvent::Enter) {
        if (watched == m_referenceArea)
            m_viewed = m_referencePicture;
        else if (watched == m_targetArea)
            m_viewed = m_targetPicture;
    }
    return QWidget::eventFilter(watched, event);
}

PictureBox *MainForm::viewedPicture() const { return m_viewed ? m_viewed : m_targetPicture; }

void MainForm::fitToWindow() { fit(viewedPicture()); }

void MainForm::actualSize()
{
    PictureBox *picture = viewedPicture();
    if (!picture->hasPicture())
        return;
    picture->setZoom(1);
    centre(picture);
}

void MainForm::zoomIn() { zoomStep(+1); }

void MainForm::zoomOut() { zoomStep(-1); }

// From the menu the picture point at the middle of the area stays where it is.
void MainForm::zoomStep(int direction)
{
    PictureBox *picture = viewedPicture();
    zoomTo(picture, NextZoomStep(picture->zoom(), direction), CentreOf(picture));
}

// Whole notches only, so a touchpad's small steps add up to one zoom step rather than many.
void MainForm::turnWheel(PictureBox *picture, QPointF position, int delta)
{
    m_viewed = picture;
    if ((m_wheelRemainder > 0) != (delta > 0))
        m_wheelRemainder = 0;
    m_wheelRemainder += delta;
    // The middle of the view pixel under the pointer, so its picture pixel stays under it.
    const QPointF inPixel(std::floor(position.x()) + 0.5, std::floor(position.y()) + 0.5);
    const QPointF anchor = picture->mapToParent(inPixel);
    while (m_wheelRemainder >= kWheelNotch || m_wheelRemainder <= -kWheelNotch) {
        const int direction = m_wheelRemainder > 0 ? 1 : -1;
        m_wheelRemainder -= direction * kWheelNotch;
        zoomTo(picture, NextZoomStep(picture->zoom(), direction), anchor);
    }
}

// `anchor` in the area's client pixels.
void MainForm::zoomTo(PictureBox *picture, double zoom, QPointF anchor)
{
    if (!picture->hasPicture() || zoom == picture->zoom())
        return;
    const QPoint corner = picture->pos() + BorderOffset(picture);
    const QPoint moved = KeepUnderAnchor(corner, anchor, picture->zoom(), zoom);
    picture->setZoom(zoom);
    picture->move(moved - BorderOffset(picture));
}

// The whole picture and its border, centred in the area; a small picture stays 1:1.
void MainForm::fit(PictureBox *picture)
{
    if (!picture->hasPicture())
        return;
    const QSize room = RoomOf(picture);
    picture->setZoom(FitZoom(picture->image().size(), picture->borderWidth(), room));
    picture->move((room.width() - picture->width()) / 2, (room.height() - picture->height()) / 2);
}

// A new picture starts 1:1 where import centres it, or fitted when asked and it would not fit.
void MainForm::placeImported(PictureBox *picture)
{
    picture->setZoom(1);
    forgetMarks(picture);
    const bool tooLarge = FitZoom(picture->image().size(), picture->borderWidth(), RoomOf(picture)) < 1;
    if (m_fitLargeOnImport && tooLarge)
        fit(picture);
    else
        centre(picture);
}

} // namespace velmora
