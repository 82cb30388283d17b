// Velmora — `velmora apply` without a window, or the window.
#include <cstring>

#include "cli/apply_command.h"
#include "picture/process_setup.h"
#include "ui/desktop/run_window.h"

int main(int argc, char *argv[])
{
    velmora::ConfigureProcess();
    // The command line runs before any window exists, so it needs no display.
    if (argc > 1 && std::strcmp(argv[1], "apply") == 0)
        return velmora::RunApplyCommand(argc - 1, argv + 1);
    return velmora::RunWindow(argc, argv);
}
