// Velmora — libFuzzer target that hands one input to both JPEG paths, the window's decoder (from
// memory, one decoder and two) and the banded path of the batch and `velmora apply` (from a file),
// and stops when their verdicts differ. Built and run by run_fuzz.sh, outside the normal build.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include <QByteArray>

#include "io/banded_jpeg.h"
#include "picture/jpeg_decoder.h"

using namespace velmora;

namespace {

constexpr long long kLimit = 64LL * 1024 * 1024;

enum class Verdict { Fine, NotJpeg, Damaged, TooLarge, Skip };

Verdict OfWindow(LoadProblem p)
{
    switch (p) {
    case LoadProblem::None: return Verdict::Fine;
    case LoadProblem::NotAPicture: return Verdict::NotJpeg;
    case LoadProblem::TooLarge: return Verdict::TooLarge;
    default: return Verdict::Damaged;
    }
}

Verdict OfBanded(StreamResult r)
{
    switch (r) {
    case StreamResult::Written: return Verdict::Fine;
    case StreamResult::NotJpeg: return Verdict::NotJpeg;
    case StreamResult::TooLarge: return Verdict::TooLarge;
    case StreamResult::NeedsWholeLoad: return Verdict::Skip; // CMYK: the window's decoder does it
    default: return Verdict::Damaged;
    }
}

const std::string &Folder()
{
    static const std::string folder = [] {
        char name[] = "/tmp/velmora-fuzz-XXXXXX";
        if (!::mkdtemp(name))
            std::abort();
        return std::string(name);
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    // The window's loader hands only what starts like a JPEG to its JPEG decoder, as the banded path
    // takes only that; anything else goes to the other formats' decoders on both.
    if (!bytes.startsWith("\xFF\xD8\xFF"))
        return 0;
    const Verdict one = OfWindow(DecodeJpeg(bytes, kLimit, 1).picture.problem);
    const Verdict two = OfWindow(DecodeJpeg(bytes, kLimit, 2).picture.problem);
    if (one != two)
        std::abort(); // two decoders judged otherwise than one

    const std::string input = Folder() + "/in.jpg", output = Folder() + "/out.jpg";
    std::FILE *file = std::fopen(input.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
        std::abort();
    const StreamRequest request{input, output, true, PictureFormat::Jpeg, 90, kLimit, 1};
    const Verdict banded = OfBanded(CorrectJpegFile(request, MakeRowTables(Gains{0.1f, 0, 0}), {}).result);
    ::unlink(output.c_str());
    // The window holds the whole picture, the banded path only bands: only their sizes may differ.
    if (banded == Verdict::Skip || one == Verdict::TooLarge || banded == Verdict::TooLarge)
        return 0;
    if (banded != one) {
        std::fprintf(stderr, "window %d, banded %d\n", int(one), int(banded));
        std::abort();
    }
    return 0;
}
