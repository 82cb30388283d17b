// Velmora — what happens before the window is shown.
#pragma once

#include <functional>

namespace velmora {

class SingleInstance;
class MessageBox;
class EventLoop;

// Name, version, style, the window's default font and Qt's own texts.
void ConfigureApplication();

// False when another copy already runs: `handOver` may pass it what this start was asked to open
// (true when it took it); otherwise the user is told, and the program ends.
bool StartUp(SingleInstance &instance, MessageBox &messages, EventLoop &loop,
             const std::function<bool()> &handOver = {});

} // namespace velmora
