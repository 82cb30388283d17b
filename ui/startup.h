// Velmora — what happens before the window is shown.
#pragma once

namespace velmora {

class SingleInstance;
class MessageBox;
class EventLoop;

// Name, version, the window's default font, the picture memory limit and the signals a save meets.
void ConfigureApplication();

// Under a file-size limit a write past it must fail with EFBIG, which a save reports and survives,
// rather than end the program through SIGXFSZ and lose the corrected picture.
void IgnoreFileSizeSignal();

// False, after telling the user and ending, when another copy already runs.
bool StartUp(SingleInstance &instance, MessageBox &messages, EventLoop &loop);

} // namespace velmora
