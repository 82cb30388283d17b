// Velmora — holds repaints of something that changes every row to the display's pace.
#pragma once

#include <functional>

#include <QElapsedTimer>
#include <QTimer>

namespace velmora {

class FramePacer {
public:
    // `late` runs once, a frame after a change that came too soon, to show the latest state.
    explicit FramePacer(std::function<void()> late);

    // True when a frame has passed since the last repaint this allowed; otherwise the late call
    // is armed.
    bool now();

private:
    static constexpr int kFrameMilliseconds = 16;
    QElapsedTimer m_sinceRepaint;
    QTimer m_late;
};

} // namespace velmora
