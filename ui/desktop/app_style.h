// Velmora — the platform's own style, with the one icon the window's first paint would read from a file.
#pragma once

#include <QProxyStyle>

namespace velmora {

// The menu bar makes its overflow button at once, and the button's icon comes from an image file:
// Qt lists every image plugin installed before it reads one, and the first paint would wait for
// that. The window never overflows its menu bar, so the button is drawn here instead.
//
// The Song face's line is shorter than its glyphs: messages and list entries get the rows its
// underscores and descenders need, so "IMG_0001" does not read "IMG 0001". The designed window has
// none of these, and keeps its pixels.
class AppStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap which, const QStyleOption *option, const QWidget *widget) const override;
    void polish(QWidget *widget) override;
    using QProxyStyle::polish;
    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override;
};

} // namespace velmora
