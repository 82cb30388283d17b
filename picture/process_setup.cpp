// Velmora — process-wide set-up.
#include "picture/process_setup.h"

#include <csignal>

#include "picture/picture_loader.h"

namespace velmora {

void ConfigureProcess()
{
    SetPictureMemoryLimit();
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace velmora
