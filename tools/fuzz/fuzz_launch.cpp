// Velmora — libFuzzer target for the hand-over message a second start sends to the running copy.
// Built and run by run_fuzz_launch.sh, outside the normal build and the test suite.
#include <cstdint>
#include <cstdlib>

#include <QByteArray>

#include "ui/desktop/launch_request.h"

using namespace velmora;

namespace {

// What the running copy would open: nothing, or absolute names without a NUL.
bool Openable(const QString &path)
{
    return path.isEmpty() || (path.startsWith(QLatin1Char('/')) && !path.contains(QChar(0)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray message = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const LaunchRequest request = DecodeLaunch(message);
    if (!request.error.isEmpty()) {
        if (request.opensFiles())
            std::abort(); // refused, yet something to open
        return 0;
    }
    if (!Openable(request.photo) || !Openable(request.reference))
        std::abort();
    // What was understood goes back and forth unchanged.
    const LaunchRequest again = DecodeLaunch(EncodeLaunch(request));
    if (!again.error.isEmpty() || again.photo != request.photo || again.reference != request.reference)
        std::abort();
    return 0;
}
