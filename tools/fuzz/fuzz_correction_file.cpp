// Velmora — libFuzzer target for the `.velmora` correction file parser. Built and run by
// run_fuzz_texts.sh, outside the normal build and the test suite.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/correction_file.h"

using namespace velmora;

namespace {

bool Same(float a, float b) { return a == b && std::signbit(a) == std::signbit(b); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto read = ReadCorrection(std::string_view(reinterpret_cast<const char *>(data), size));
    const auto *record = std::get_if<CorrectionRecord>(&read);
    if (!record)
        return 0;
    const Gains &g = record->gains;
    if (!std::isfinite(g.red) || !std::isfinite(g.green) || !std::isfinite(g.blue))
        std::abort(); // an accepted file holds finite gains only
    // What was accepted writes back to a file that reads as the same correction.
    const auto again = ReadCorrection(CorrectionText(*record));
    const auto *back = std::get_if<CorrectionRecord>(&again);
    if (!back || !Same(back->gains.red, g.red) || !Same(back->gains.green, g.green) || !Same(back->gains.blue, g.blue)
        || back->target.has_value() != record->target.has_value()
        || back->reference.has_value() != record->reference.has_value())
        std::abort();
    return 0;
}
