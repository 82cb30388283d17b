// Velmora — a picture box with a persistent image.
#include "ui/widgets/picture_box.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <qdrawutil.h>

#include "ui/widgets/picture_painter.h"
#include "ui/widgets/picture_view.h"

namespace velmora {

PictureBox::PictureBox(Border border, QWidget *parent)
    : QWidget(parent), m_border(border)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

QWidget *PictureBox::client()
{
    if (!m_client) {
        m_client = new QWidget(this);
        fitClient();
    }
    return m_client;
}

int PictureBox::borderWidth() const
{
    switch (m_border) {
    case Border::Sunken: return 2;
    case Border::Flat: return 1;
    case Border::None: break;
    }
    return 0;
}

void PictureBox::setPicture(QImage picture)
{
    if (picture.hasAlphaChannel()) {
        QImage opaque(picture.size(), QImage::Format_RGB32);
        opaque.fill(palette().color(QPalette::Window));
        QPainter painter(&opaque);
        painter.drawImage(0, 0, picture);
        picture = std::move(opaque);
    } else if (picture.format() != QImage::Format_RGB32) {
        picture.convertTo(QImage::Format_RGB32);
    }
    m_image = std::move(picture);
    m_hasPicture = true;
    // The half-size copies wait until a view below 1:1 needs them: a photo seen 1:1 never pays for them.
    m_pyramid.clear();
    m_staleFirst = 0;
    m_staleLast = m_image.height() - 1;
    if (m_zoom < 1)
        bringPyramidUpToDate();
    if (m_autoSize)
        place(QRect(pos(), ShownSize(m_image.size(), m_zoom) + QSize(2 * borderWidth(), 2 * borderWidth())));
    update();
}

void PictureBox::clearPicture()
{
    m_hasPicture = false;
    m_image = QImage();
    m_pyramid.clear();
    m_zoom = 1; // a blank drawing area is always shown 1:1
    fitBlankImage();
    update();
}

const QImage &PictureBox::image() const
{
    if (m_image.isNull() && !m_hasPicture && !m_blankSize.isEmpty()) {
        m_image = QImage(m_blankSize, QImage::Format_RGB32);
        m_image.fill(blankPixel());
    }
    return m_image;
}

QRgb PictureBox::blankPixel() const { return palette().color(QPalette::Window).rgb(); }

ColourWord PictureBox::colourAt(int x, int y) const
{
    const QSize size = drawingSize();
    if (x < 0 || y < 0 || x >= size.width() || y >= size.height())
        return -1;
    if (m_image.isNull())
        return ColourWordFromPixel(blankPixel());
    return ColourWordFromPixel(reinterpret_cast<const QRgb *>(m_image.constScanLine(y))[x]);
}

void PictureBox::setColourAt(int x, int y, ColourWord colour)
{
    const QSize size = drawingSize();
    if (x < 0 || y < 0 || x >= size.width() || y >= size.height())
        return;
    image();
    reinterpret_cast<QRgb *>(m_image.scanLine(y))[x] = PixelFromColourWord(colour);
    markRowWritten(y);
}

PixelRow PictureBox::row(int y)
{
    if (y < 0 || y >= drawingSize().height())
        return {};
    image();
    markRowWritten(y); // handed out for writing
    return {reinterpret_cast<std::uint32_t *>(m_image.scanLine(y)), m_image.width()};
}

void PictureBox::showInstead(const QImage &other)
{
    if (other.cacheKey() != m_shownInstead.cacheKey())
        m_shownPyramid.clear();
    m_shownInstead = other;
    if (m_zoom < 1)
        bringPyramidUpToDate();
    update();
}

void PictureBox::showChanges()
{
    if (!m_changed)
        return;
    m_changed = false;
    if (m_zoom < 1)
        bringPyramidUpToDate();
    update();
}

// The half-size copies made from row y are stale until brought up to date.
void PictureBox::markRowWritten(int y)
{
    m_staleFirst = m_staleLast < m_staleFirst ? y : std::min(m_staleFirst, y);
    m_staleLast = std::max(m_staleLast, y);
}

// Done when the view needs it, never while painting; at 1:1 and above rows wait for a zoom out.
void PictureBox::bringPyramidUpToDate()
{
    if (!m_shownInstead.isNull() && m_shownPyramid.depth() == 0)
        m_shownPyramid.build(m_shownInstead);
    if (m_staleLast < m_staleFirst)
        return;
    if (m_pyramid.depth() == 0)
        m_pyramid.build(m_image); // the first view below 1:1 since the picture came
    else
        m_pyramid.update(m_image, m_staleFirst, m_staleLast);
    m_staleLast = -1;
}

void PictureBox::setZoom(double zoom)
{
    if (!m_hasPicture || !(zoom > 0))
        return;
    m_zoom = zoom;
    if (m_zoom < 1)
        bringPyramidUpToDate();
    if (m_autoSize)
        resize(ShownSize(m_image.size(), m_zoom) + QSize(2 * borderWidth(), 2 * borderWidth()));
    update();
}

void PictureBox::setMark(std::optional<PickMark> mark)
{
    if (mark == m_mark)
        return;
    m_mark = mark;
    update();
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const int b = borderWidth();
    const QRect inside = rect().adjusted(b, b, -b, -b);
    painter.setClipRect(inside);
    painter.fillRect(inside, palette().color(QPalette::Window));
    if (!m_shownInstead.isNull())
        PaintPicture(painter, m_shownInstead, m_shownPyramid, inside.topLeft(), m_zoom, event->rect() & inside);
    else if (!m_image.isNull()) // a blank area not made yet is all background, drawn above
        PaintPicture(painter, m_image, m_pyramid, inside.topLeft(), m_zoom, event->rect() & inside);
    if (m_mark && m_hasPicture)
        PaintPickMark(painter, *m_mark, inside.topLeft(), m_zoom);
    painter.setClipping(false);
    paintBorder(painter);
}

void PictureBox::paintBorder(QPainter &painter) const
{
    const QRect r = rect();
    if (m_border == Border::Flat) {
        painter.setPen(Qt::black);
        painter.drawRect(r.adjusted(0, 0, -1, -1)); // a 1-px pen's outline covers the outer pixels
    } else if (m_border == Border::Sunken) {
        // The classic two-line sunken panel in its own fixed greys, on the box's outermost two pixels,
        // whatever the desktop's palette: dark and shadow at top and left, light and midlight at
        // bottom and right.
        QPalette bevel;
        bevel.setColor(QPalette::Dark, QColor(128, 128, 128));
        bevel.setColor(QPalette::Light, QColor(255, 255, 255));
        bevel.setColor(QPalette::Shadow, QColor(64, 64, 64));
        bevel.setColor(QPalette::Midlight, QColor(212, 208, 200));
        qDrawWinPanel(&painter, r, bevel, true);
    }
}

void PictureBox::place(const QRect &outer)
{
    setGeometry(outer);
    fitClient(); // a hidden widget gets its resize event only when shown
}

void PictureBox::resizeEvent(QResizeEvent *) { fitClient(); }

void PictureBox::fitClient()
{
    const int b = borderWidth();
    if (m_client)
        m_client->setGeometry(rect().adjusted(b, b, -b, -b));
    if (!m_hasPicture)
        fitBlankImage();
}

// Before any picture is loaded the drawing area is blank: the box's background, at the client's size.
void PictureBox::fitBlankImage()
{
    const int b = borderWidth();
    const QSize size = rect().adjusted(b, b, -b, -b).size();
    if (drawingSize() == size)
        return;
    m_blankSize = size;
    m_image = QImage();
}

QPoint PictureBox::clientPosition(const QPointF &p)
{
    const QPointF inside = p - QPointF(borderWidth(), borderWidth());
    m_lastViewPosition = PixelAt(inside, 1);
    return PixelAt(inside, m_zoom);
}

bool PictureBox::insideBorder(const QPointF &p) const
{
    // By the pixel the position falls in, as the picture's positions are counted.
    const int b = borderWidth();
    return rect().adjusted(b, b, -b, -b).contains(PixelAt(p - QPointF(b, b), 1) + QPoint(b, b));
}

// The border is not part of the picture: a press that starts on it is no press of the picture's,
// and nothing it leads to is; a move over it is only the picture's while a press that began
// inside is held.
void PictureBox::mousePressEvent(QMouseEvent *event)
{
    const bool inside = insideBorder(event->position());
    if (m_press == Press::None)
        m_press = inside ? Press::Inside : Press::OnBorder;
    if (m_press == Press::Inside && inside)
        emit pressed(clientPosition(event->position()));
}

void PictureBox::mouseMoveEvent(QMouseEvent *event)
{
    if (m_press == Press::Inside || (m_press == Press::None && insideBorder(event->position())))
        emit moved(clientPosition(event->position()));
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    const Press press = std::exchange(m_press, Press::None);
    if (press != Press::Inside)
        return;
    // Whether this is a click is decided where the button went up, before the release may move us;
    // a release on the border is no click, for there is no picture there to pick from.
    const bool click = insideBorder(event->position());
    emit released(clientPosition(event->position()));
    if (click)
        emit clicked();
}

void PictureBox::wheelEvent(QWheelEvent *event)
{
    event->accept();
    emit wheelTurned(event->position(), event->angleDelta().y());
}

} // namespace velmora
