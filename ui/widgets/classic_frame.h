// Velmora — a group frame drawn the classic way: an etched line through the middle of the caption.
#pragma once

#include <QGroupBox>

namespace velmora {

// The line runs at half the caption's height from the frame's top, broken by the caption, so
// controls placed below the caption's middle stay clear of it. Children keep the places they are given.
class ClassicFrame : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

    // Where the top line lies, from the frame's top; the etch's light half lies one below.
    int lineTop() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace velmora
