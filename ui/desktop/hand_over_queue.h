// Velmora — what later starts hand over, opened one at a time in the window's own loop: never
// inside a dialog's or a message's loop, where a second message would open inside the first and a
// flood of them would nest until the stack runs out.
#pragma once

#include <functional>
#include <optional>

#include <QObject>
#include <QTimer>

#include "ui/desktop/launch_request.h"

namespace velmora {

class HandOverQueue : public QObject {
public:
    // `open` opens one request in the window; it may show messages of its own.
    explicit HandOverQueue(std::function<void(const LaunchRequest &)> open, QObject *parent = nullptr);

    // Opens the request at once when nothing modal is up and no other is being opened; otherwise it
    // waits, replacing any request already waiting (the newest start is the one the user meant).
    void offer(const LaunchRequest &request);

private:
    void openWaiting();

    std::function<void(const LaunchRequest &)> m_open;
    std::optional<LaunchRequest> m_waiting;
    bool m_opening = false;
    // Looks again while a request waits; a dialog's end sends no signal every dialog shares.
    QTimer m_retry;
};

} // namespace velmora
