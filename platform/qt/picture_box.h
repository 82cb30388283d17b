// Velmora — a picture box: an optional border, a client area that holds child boxes, and a
// persistent 32-bit image that the pointer samples and the correction pass rewrites.
#pragma once

#include <QImage>
#include <QWidget>

#include "core/picture_surface.h"

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
    const QImage &image() const { return m_image; }
    // Shows `other` in the picture's place, or the picture itself again for a null image. Only
    // what is drawn changes: sampling and the pass still see the picture.
    void showInstead(const QImage &other);
    bool hasPicture() const { return m_hasPicture; }

    int scaleWidth() const override { return m_image.width(); }
    int scaleHeight() const override { return m_image.height(); }
    ColourWord point(int x, int y) const override;
    void pset(int x, int y, ColourWord colour) override;
    PixelRow row(int y) override;
    void refresh() override { m_changed = true; }
    // Repaints when rows were rewritten since the last call; the pass calls it once a frame.
    void showChanges();

signals:
    // Positions in the picture's pixels, measured from the client area's corner.
    void pressed(QPoint position);
    void moved(QPoint position);
    void released(QPoint position);
    // After a release over the box that was pressed.
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QPoint clientPosition(const QPointF &widgetPosition) const;
    bool insideBorder(const QPointF &widgetPosition) const;
    void paintBorder(QPainter &painter) const;
    void fitClient();
    void fitBlankImage();

    Border m_border;
    QWidget *m_client = nullptr;
    QImage m_image;
    QImage m_shownInstead;
    bool m_hasPicture = false;
    bool m_autoSize = false;
    bool m_changed = false;
    // Where the press now held began; none when no button is down.
    enum class Press { None, Inside, OnBorder };
    Press m_press = Press::None;
};

} // namespace velmora
