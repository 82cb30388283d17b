// Velmora benchmark — the floor: plain libjpeg-turbo programs doing the program's work with nothing
// around it, to measure ours against.
//
//   floor_jpeg bmp IN.jpg OUT.bmp R,G,B [--sync]
//       decodes in bands of rows, maps them through the program's gain tables (the same MakeRowTables
//       and MapRow), writes the same 24-bit bottom-up bitmap; --sync flushes it to disk (fdatasync)
//   floor_jpeg decode-touched IN.jpg [REPEATS=5]
//       decodes the whole photo into one 32-bit buffer that was written to beforehand, so no page is
//       faulted in while decoding; prints each decode's milliseconds
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "core/correction_file.h"
#include "core/gain_table.h"
#include "io/bitmap_rows.h"
#include "io/jpeg_setup.h"

using namespace velmora;

namespace {

struct Decoder {
    jpeg_decompress_struct info;
    JpegErrors errors;
    std::FILE *file = nullptr;

    explicit Decoder(const char *path)
    {
        info.err = UseJpegErrors(errors);
        // Errors and damage end the program: fine for a benchmark.
        errors.manager.error_exit = [](j_common_ptr) {
            std::fprintf(stderr, "floor_jpeg: not a whole JPEG\n");
            std::exit(1);
        };
        jpeg_create_decompress(&info);
        file = std::fopen(path, "rb");
        if (!file) {
            std::perror(path);
            std::exit(1);
        }
        jpeg_stdio_src(&info, file);
        jpeg_read_header(&info, TRUE);
        info.out_color_space = JCS_EXT_BGRX;
        jpeg_start_decompress(&info);
    }
    ~Decoder()
    {
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        std::fclose(file);
    }
    void read(std::uint32_t *first, int rows, std::size_t stride)
    {
        std::vector<JSAMPROW> pointers(rows);
        for (int i = 0; i < rows; ++i)
            pointers[i] = reinterpret_cast<JSAMPROW>(first + i * stride);
        for (int done = 0; done < rows;)
            done += static_cast<int>(jpeg_read_scanlines(&info, pointers.data() + done, rows - done));
    }
};

void WriteAll(int fd, const void *data, std::size_t size, long long offset)
{
    const char *p = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, p, size, offset);
        if (n <= 0) {
            std::perror("write");
            std::exit(1);
        }
        p += n, size -= static_cast<std::size_t>(n), offset += n;
    }
}

int Bitmap(const char *in, const char *out, const char *gainsText, bool sync)
{
    const auto gains = ParseGains(gainsText);
    if (!gains) {
        std::fprintf(stderr, "floor_jpeg: gains as R,G,B\n");
        return 2;
    }
    const RowTables tables = MakeRowTables(*gains);
    Decoder d(in);
    const int width = static_cast<int>(d.info.output_width), height = static_cast<int>(d.info.output_height);
    const BitmapLayout layout = *LayOutBitmap(width, height);
    const int fd = ::open(out, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        std::perror(out);
        return 1;
    }
    const auto header = BitmapHeader(layout);
    WriteAll(fd, header.data(), header.size(), 0);
    const int bandRows = std::clamp((1 << 20) / (4 * width), 1, height);
    std::vector<std::uint32_t> band(static_cast<std::size_t>(bandRows) * width);
    std::vector<std::uint8_t> packed(static_cast<std::size_t>(bandRows * layout.rowBytes), 0);
    for (int top = 0; top < height; top += bandRows) {
        const int rows = std::min(bandRows, height - top);
        d.read(band.data(), rows, static_cast<std::size_t>(width));
        for (int i = 0; i < rows; ++i) {
            MapRow(band.data() + static_cast<std::size_t>(i) * width, width, tables);
            PackBitmapRow(band.data() + static_cast<std::size_t>(i) * width, width,
                          packed.data() + (rows - 1 - i) * layout.rowBytes);
        }
        WriteAll(fd, packed.data(), static_cast<std::size_t>(rows * layout.rowBytes), layout.rowOffset(top + rows - 1));
    }
    if ((sync && ::fdatasync(fd) != 0) || ::close(fd) != 0) {
        std::perror(out);
        return 1;
    }
    return 0;
}

int DecodeTouched(const char *in, int repeats)
{
    std::vector<std::uint32_t> buffer;
    for (int r = 0; r < repeats; ++r) {
        Decoder d(in);
        const std::size_t width = d.info.output_width, height = d.info.output_height;
        if (buffer.size() != width * height) {
            buffer.assign(width * height, 0);
            std::memset(buffer.data(), 1, buffer.size() * 4);
        }
        const auto start = std::chrono::steady_clock::now();
        d.read(buffer.data(), static_cast<int>(height), width);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::printf("decode_ms=%.1f\n", ms);
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc >= 5 && std::strcmp(argv[1], "bmp") == 0)
        return Bitmap(argv[2], argv[3], argv[4], argc > 5 && std::strcmp(argv[5], "--sync") == 0);
    if (argc >= 3 && std::strcmp(argv[1], "decode-touched") == 0)
        return DecodeTouched(argv[2], argc > 3 ? std::max(1, std::atoi(argv[3])) : 5);
    std::fprintf(stderr, "usage: floor_jpeg bmp IN.jpg OUT.bmp R,G,B [--sync]\n"
                         "       floor_jpeg decode-touched IN.jpg [REPEATS]\n");
    return 2;
}
