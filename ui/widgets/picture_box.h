// Velmora — a picture box: an optional border, a client area that holds child boxes, and a
// persistent 32-bit image that the pointer samples and the correction pass rewrites.
#pragma once

#include <optional>

#include <QImage>
#include <QWidget>

#include "core/picture_surface.h"
#include "ui/widgets/pick_marks.h"
#include "ui/widgets/picture_pyramid.h"

namespace velmora {

class PictureBox : public QWidget, public PictureSurface {
    Q_OBJECT

public:
    enum class Border { None, Sunken, Flat };

    explicit PictureBox(Border border, QWidget *parent = nullptr);

    // Sets the outer place in the parent; the client area follows at once, shown or not.
    void place(const QRect &outer);

    // Children of a container box are placed in here, so the border clips them.
    // Made on first use, so a plain picture has no child in the way of its pointer events.
    QWidget *client();
    int borderWidth() const;

    // A box that sizes itself takes its picture's size plus its border on each load.
    void setAutoSize(bool on) { m_autoSize = on; }
    // Replaces the picture wholesale; transparent pixels are laid over the box's background.
    void setPicture(QImage picture);
    // Back to a blank drawing area, as before the first load.
    void clearPicture();
    // Before the first load: the blank drawing area, made here on first use.
    const QImage &image() const;
    // Shows `other` in the picture's place, or the picture itself again for a null image. Only
    // what is drawn changes: sampling and the pass still see the picture.
    void showInstead(const QImage &other);
    bool hasPicture() const { return m_hasPicture; }

    int drawingWidth() const override { return drawingSize().width(); }
    int drawingHeight() const override { return drawingSize().height(); }
    ColourWord colourAt(int x, int y) const override;
    void setColourAt(int x, int y, ColourWord colour) override;
    PixelRow row(int y) override;
    void refresh() override { m_changed = true; }
    // Repaints when rows were rewritten since the last call; the pass calls it once a frame.
    void showChanges();

    // The view: a box that sizes itself takes the picture's shown size at this zoom (1 = 1:1).
    // The picture itself, its pixels and the pointer's positions in them do not change with it.
    void setZoom(double zoom);
    double zoom() const { return m_zoom; }
    // A mark drawn over the picture where a colour was picked; none by default.
    void setMark(std::optional<PickMark> mark);
    const std::optional<PickMark> &mark() const { return m_mark; }
    // The last pointer position, in the client's own pixels (not the picture's): drags move by these.
    QPoint lastViewPosition() const { return m_lastViewPosition; }

signals:
    // Positions in the picture's pixels, measured from the client area's corner.
    void pressed(QPoint position);
    void moved(QPoint position);
    void released(QPoint position);
    // After a release over the box that was pressed.
    void clicked();
    // The wheel turned over the box; `position` in the box's own pixels, `delta` in eighths of a degree.
    void wheelTurned(QPointF position, int delta);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    QPoint clientPosition(const QPointF &widgetPosition) const;
    bool insideBorder(const QPointF &widgetPosition) const;
    // Also keeps the position in view pixels for lastViewPosition().
    QPoint clientPosition(const QPointF &widgetPosition);
    void markRowWritten(int y);
    void bringPyramidUpToDate();
    void paintBorder(QPainter &painter) const;
    void fitClient();
    void fitBlankImage();
    QSize drawingSize() const { return m_hasPicture || !m_image.isNull() ? m_image.size() : m_blankSize; }
    QRgb blankPixel() const;

    Border m_border;
    QWidget *m_client = nullptr;
    // Null while the drawing area is blank and nothing has read or written its pixels: a blank area
    // is only its size and the background's colour until then, so a window of empty boxes starts
    // without filling megabytes of fresh memory.
    mutable QImage m_image;
    QSize m_blankSize;
    QImage m_shownInstead;
    PicturePyramid m_shownPyramid; // its half-size copies, made when it is first shown
    bool m_hasPicture = false;
    bool m_autoSize = false;
    bool m_changed = false;
    // Where the press now held began; none when no button is down.
    enum class Press { None, Inside, OnBorder };
    Press m_press = Press::None;
    double m_zoom = 1;
    PicturePyramid m_pyramid;
    // Rows written since the half-size copies were last made from them; none when first > last.
    int m_staleFirst = 0;
    int m_staleLast = -1;
    std::optional<PickMark> m_mark;
    QPoint m_lastViewPosition;
};

} // namespace velmora
