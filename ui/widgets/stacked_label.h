// Velmora — a heading too narrow for two characters, read one character a line.
#pragma once

#include <QLabel>

namespace velmora {

// Lines are one font size apart, as the design counts them; the face's own line spacing
// would push the last character out of the label.
class StackedLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace velmora
