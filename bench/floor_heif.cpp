// Velmora benchmark — the floor for opening a HEIC or AVIF photo: a plain libheif program that reads
// the file into memory and decodes its primary picture to interleaved 8-bit RGB, nothing around it.
//
//   floor_heif FILE      prints the decode's size and milliseconds (file read included)
#include <chrono>
#include <cstdio>
#include <vector>

#include <libheif/heif.h>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: floor_heif FILE\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    std::FILE *file = std::fopen(argv[1], "rb");
    if (!file) {
        std::perror(argv[1]);
        return 1;
    }
    std::vector<char> bytes;
    char chunk[1 << 16];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(file);

    heif_context *context = heif_context_alloc();
    heif_image_handle *handle = nullptr;
    heif_image *image = nullptr;
    if (heif_context_read_from_memory_without_copy(context, bytes.data(), bytes.size(), nullptr).code != heif_error_Ok
        || heif_context_get_primary_image_handle(context, &handle).code != heif_error_Ok
        || heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr).code
               != heif_error_Ok) {
        std::fprintf(stderr, "floor_heif: cannot decode %s\n", argv[1]);
        return 1;
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("decoded %dx%d in %.1f ms\n", heif_image_get_width(image, heif_channel_interleaved),
                heif_image_get_height(image, heif_channel_interleaved), ms);
    heif_image_release(image);
    heif_image_handle_release(handle);
    heif_context_free(context);
    return 0;
}
