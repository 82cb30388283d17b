// Velmora benchmark — a photo-like JPEG of any size, written row by row so even 100 megapixels
// take little memory: smooth light and shade with sensor-like noise, the same for the same seed.
//
//   make_photo OUT.jpg WIDTH HEIGHT [QUALITY=92] [SEED=1]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "io/jpeg_setup.h"

int main(int argc, char *argv[])
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: make_photo OUT.jpg WIDTH HEIGHT [QUALITY=92] [SEED=1]\n");
        return 2;
    }
    const int width = std::atoi(argv[2]), height = std::atoi(argv[3]);
    const int quality = argc > 4 ? std::atoi(argv[4]) : 92;
    const unsigned seed = argc > 5 ? static_cast<unsigned>(std::atoi(argv[5])) : 1;
    if (width <= 0 || height <= 0 || width > 65500 || height > 65500) {
        std::fprintf(stderr, "make_photo: sizes 1..65500\n");
        return 2;
    }
    std::FILE *out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    jpeg_compress_struct info;
    velmora::JpegErrors errors;
    info.err = velmora::UseJpegErrors(errors);
    errors.manager.error_exit = [](j_common_ptr) {
        std::fprintf(stderr, "make_photo: the encoder failed\n");
        std::exit(1);
    };
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);

    std::vector<double> across(width);
    for (int x = 0; x < width; ++x)
        across[x] = std::sin(x * 0.0021 + seed) * 40 + std::sin(x * 0.017 + 1.3) * 12;
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * 3);
    unsigned state = 0x2545F491u ^ (seed * 0x9E3779B9u);
    const auto noise = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return int(state & 15) + int((state >> 4) & 15) - 15;
    };
    const auto clamp = [](int v) { return static_cast<JSAMPLE>(v < 0 ? 0 : v > 255 ? 255 : v); };
    for (int y = 0; y < height; ++y) {
        const double down = std::cos(y * 0.0017 + seed) * 45 + std::sin(y * 0.023 + 0.4) * 10;
        for (int x = 0; x < width; ++x) {
            const double light = 130 + across[x] + down;
            JSAMPLE *p = &row[static_cast<std::size_t>(x) * 3];
            p[0] = clamp(int(light * 1.15) + noise());
            p[1] = clamp(int(light * 0.92 + 8) + noise());
            p[2] = clamp(int(light * 0.78 + 15) + noise());
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    if (std::fclose(out) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
