// Velmora — the window as a program: start-up, the one copy per user, the window and its hand-overs.
#pragma once

namespace velmora {

// Runs until the window closes; the exit status.
int RunWindow(int argc, char *argv[]);

} // namespace velmora
