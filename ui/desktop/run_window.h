// Velmora — the window as a program: start-up, the one copy per user, the window and its hand-overs.
#pragma once

namespace velmora {

class MainForm;
struct LaunchRequest;

// Opens what a start or a hand-over from a second start asked for. Replacing a photo that holds
// unsaved work asks first; kept, nothing of the request opens.
void OpenRequested(MainForm &form, const LaunchRequest &request);

// Runs until the window closes; the exit status.
int RunWindow(int argc, char *argv[]);

} // namespace velmora
