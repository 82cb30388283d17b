// Velmora — the arithmetic of looking at a picture at a zoom.
#include "ui/widgets/picture_view.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {
// Zooms that differ by less than this are the same step: a fitted zoom can land a hair off one.
constexpr double kSameZoom = 1e-9;
// Sizes within this of a whole pixel are that pixel: w × (room / w) must give room, not room + 1.
constexpr double kWholePixel = 1e-6;
} // namespace

double NextZoomStep(double zoom, int direction)
{
    if (direction > 0) {
        for (double step : kZoomSteps)
            if (step > zoom * (1 + kSameZoom))
                return step;
        return std::max(zoom, std::end(kZoomSteps)[-1]);
    }
    for (auto it = std::rbegin(kZoomSteps); it != std::rend(kZoomSteps); ++it)
        if (*it < zoom * (1 - kSameZoom))
            return *it;
    return std::min(zoom, kZoomSteps[0]);
}

double FitZoom(QSize picture, int border, QSize room)
{
    if (picture.isEmpty())
        return 1;
    const double across = double(room.width() - 2 * border) / picture.width();
    const double down = double(room.height() - 2 * border) / picture.height();
    // A room smaller than the border itself still shows a speck of picture rather than nothing.
    const double fit = std::min({1.0, across, down});
    return std::max(fit, 1.0 / std::max(picture.width(), picture.height()));
}

QSize ShownSize(QSize picture, double zoom)
{
    if (zoom == 1)
        return picture;
    const auto side = [zoom](int length) {
        if (length <= 0)
            return length;
        return std::max(1, int(std::ceil(length * zoom - kWholePixel)));
    };
    return {side(picture.width()), side(picture.height())};
}

int PixelAt(double v, double zoom) { return int(std::floor(zoom == 1 ? v : v / zoom)); }

QPoint PixelAt(const QPointF &v, double zoom) { return {PixelAt(v.x(), zoom), PixelAt(v.y(), zoom)}; }

QPoint KeepUnderAnchor(QPoint corner, QPointF anchor, double from, double to)
{
    const auto axis = [from, to](int c, double a) {
        const double underAnchor = (a - c) / from; // in picture pixels
        return int(std::lround(a - underAnchor * to));
    };
    return {axis(corner.x(), anchor.x()), axis(corner.y(), anchor.y())};
}

} // namespace velmora
