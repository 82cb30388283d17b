// Velmora — drawing a picture at a zoom.
#include "ui/widgets/picture_painter.h"

#include <cstdint>
#include <vector>

#include <QImage>
#include <QPainter>

#include "ui/widgets/picture_pyramid.h"
#include "ui/widgets/picture_view.h"

namespace velmora {

namespace {

// Each view pixel takes the picture pixel PixelAt() gives, the one a click there samples.
void PaintSquares(QPainter &painter, const QImage &picture, const QPoint &corner, double zoom, const QRect &exposed)
{
    const QRect shown = QRect(corner, ShownSize(picture.size(), zoom)) & exposed;
    if (shown.isEmpty())
        return;
    std::vector<int> columns(std::size_t(shown.width()));
    for (int i = 0; i < shown.width(); ++i)
        columns[std::size_t(i)] = std::min(PixelAt(shown.left() + i - corner.x(), zoom), picture.width() - 1);
    QImage tile(shown.size(), QImage::Format_RGB32);
    for (int j = 0; j < shown.height(); ++j) {
        const int y = std::min(PixelAt(shown.top() + j - corner.y(), zoom), picture.height() - 1);
        const auto *in = reinterpret_cast<const std::uint32_t *>(picture.constScanLine(y));
        auto *out = reinterpret_cast<std::uint32_t *>(tile.scanLine(j));
        for (int i = 0; i < shown.width(); ++i)
            out[i] = in[columns[std::size_t(i)]];
    }
    painter.drawImage(shown.topLeft(), tile);
}

// The nearest half-size copy at least as large as the view, filtered down the rest of the way.
void PaintSmooth(QPainter &painter, const QImage &picture, const PicturePyramid &pyramid, const QPoint &corner,
                 double zoom, const QRect &exposed)
{
    const int k = pyramid.levelFor(zoom);
    const QImage &level = k == 0 ? picture : pyramid.level(k);
    // The level's own last row and column may stand for half a block, so map the picture's exact extent.
    const double scale = 1.0 / (1 << k);
    const QRectF source(0, 0, picture.width() * scale, picture.height() * scale);
    const QRectF target(corner, QSizeF(picture.width() * zoom, picture.height() * zoom));
    painter.save();
    painter.setClipRect(exposed, Qt::IntersectClip);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, level, source);
    painter.restore();
}

} // namespace

void PaintPicture(QPainter &painter, const QImage &picture, const PicturePyramid &pyramid, const QPoint &corner,
                  double zoom, const QRect &exposed)
{
    if (picture.isNull())
        return;
    if (zoom == 1) {
        const QRect part = exposed.translated(-corner) & picture.rect();
        painter.drawImage(part.topLeft() + corner, picture, part);
    } else if (zoom > 1) {
        PaintSquares(painter, picture, corner, zoom, exposed);
    } else {
        PaintSmooth(painter, picture, pyramid, corner, zoom, exposed);
    }
}

} // namespace velmora
