// Velmora — what happens before the window is shown.
#pragma once

namespace velmora {

class SingleInstance;
class MessageBox;
class EventLoop;

// Name, version, the window's default font and the picture memory limit.
void ConfigureApplication();

// False, after telling the user and ending, when another copy already runs.
bool StartUp(SingleInstance &instance, MessageBox &messages, EventLoop &loop);

} // namespace velmora
