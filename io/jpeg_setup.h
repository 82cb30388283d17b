// Velmora — the one libjpeg set-up every JPEG path uses: how errors and warnings are judged, how
// the compressed bytes are handed over, what a header is checked against, and how JPEGs are written.
// The window, the batch and `velmora apply` then reach the same verdict on the same file and write
// the same bytes for the same pixels and settings.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace velmora {

// The landing place of one libjpeg object's errors. Every warning but a few harmless ones means the
// decoder is padding or guessing: it ends the decode at once, as an error does, before made-up rows
// are written anywhere.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    bool damaged = false; // a damage warning stopped it
    int code = 0;         // libjpeg's message code for the error or warning that stopped it
};

// Installs the policy; the result goes into the libjpeg object's `err`.
jpeg_error_mgr *UseJpegErrors(JpegErrors &errors);

// Warnings libjpeg gives for real cameras' and editors' files whose pixels are all there.
bool HarmlessJpegWarning(int code);

enum class JpegVerdict { Fine, NotJpeg, Damaged, TooLarge, Unreadable };

// Why libjpeg stopped, once it has jumped back.
JpegVerdict JpegFailure(const JpegErrors &errors);

// Compressed bytes handed to libjpeg in the same chunks whether they lie in memory or are read from
// a file as it goes: libjpeg-turbo picks its fast or its careful Huffman decoder by how many bytes
// are left in the chunk, and only the careful one warns of a bad code, so equal chunks give every
// path the same warnings for the same file.
struct JpegSource {
    jpeg_source_mgr manager{};
    const unsigned char *memory = nullptr; // the whole file, or null when reading `fd`
    long long size = 0;                    // the file's length in bytes
    long long offset = 0;                  // of the next chunk
    int fd = -1;
    std::vector<unsigned char> buffer;     // a file's current chunk
    bool readFailed = false;
};

// The file's bytes in memory, which must outlive the decode.
void UseMemorySource(j_decompress_ptr cinfo, JpegSource &source, const unsigned char *data, std::size_t size);
// An open file read from its start as the decoder asks; `size` is its length from fstat.
void UseFileSource(j_decompress_ptr cinfo, JpegSource &source, int fd, long long size);

// True for CMYK and YCCK files, which go to RGB by their profile or the ink formula.
bool IsCmykJpeg(const jpeg_decompress_struct &cinfo);

// The header against the file, before anything big is allocated or written. A Huffman-coded file
// spends at least a bit on every block, so one shorter than that cannot hold what it claims: TooLarge
// when the claimed picture (with a multi-scan file's coefficients) is beyond `memoryLimit` anyway,
// otherwise Damaged. Then TooLarge when
// `heldBytes` (what the caller keeps beside the decoder) and a multi-scan file's coefficients exceed it.
JpegVerdict CheckJpegHeader(const jpeg_decompress_struct &cinfo, long long fileBytes, long long memoryLimit,
                            long long heldBytes);

// The coefficients a multi-scan (progressive) file keeps for the whole picture; 0 for one scan.
long long JpegCoefficientBytes(j_decompress_ptr cinfo);

struct JpegDensity {
    UINT8 unit = 0; // 0: an aspect ratio only, 1: per inch, 2: per centimetre
    UINT16 x = 1, y = 1;
};

// The density a JPEG's JFIF heading states, once its header is read; the default without one.
JpegDensity DensityOf(const jpeg_decompress_struct &cinfo);
// The density a JPEG file's JFIF heading states; the default for anything else.
JpegDensity DensityOfFile(const unsigned char *data, std::size_t size);

// The one way JPEGs are written: baseline, `quality` 1..100, full-resolution colour (4:4:4), the
// library's standard Huffman tables (optimised ones would make the banded path hold the whole
// picture's coefficients), and the given density. Call after jpeg_create_compress and setting `dest`.
void SetUpJpegEncoder(j_compress_ptr cinfo, unsigned width, unsigned height, J_COLOR_SPACE pixels, int quality,
                      const JpegDensity &density);

} // namespace velmora
