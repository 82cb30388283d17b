// Velmora — what happens before the window is shown.
#pragma once

#include <functional>

namespace velmora {

class SingleInstance;
class MessageBox;
class EventLoop;

// Name, version, the window's default font, the picture memory limit and the signals a save meets.
void ConfigureApplication();

// Under a file-size limit a write past it must fail with EFBIG, which a save reports and survives,
// rather than end the program through SIGXFSZ and lose the corrected picture.
void IgnoreFileSizeSignal();

// False when another copy already runs: `handOver` may pass it what this start was asked to open
// (true when it took it); otherwise the user is told, and the program ends.
bool StartUp(SingleInstance &instance, MessageBox &messages, EventLoop &loop,
             const std::function<bool()> &handOver = {});

} // namespace velmora
