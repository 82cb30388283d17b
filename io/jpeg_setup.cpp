// Velmora — the one libjpeg set-up every JPEG path uses.
#include "io/jpeg_setup.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <unistd.h>

// After jpeglib.h: it sets the library version that decides jerror.h's message numbers.
#include <jerror.h>

namespace velmora {

namespace {

// Big enough that the careful Huffman decoder (used for the last 512 bytes per block of an MCU
// before a chunk's end) costs little; a file's chunk is the decoder's only buffer.
constexpr std::size_t kChunkBytes = 256 << 10;

const JOCTET kFakeEnd[2] = {0xFF, JPEG_EOI};

[[noreturn]] void LeaveOnError(j_common_ptr cinfo)
{
    auto *errors = reinterpret_cast<JpegErrors *>(cinfo->err);
    errors->code = errors->manager.msg_code;
    std::longjmp(errors->jump, 1);
}

void JudgeMessage(j_common_ptr cinfo, int level)
{
    auto *errors = reinterpret_cast<JpegErrors *>(cinfo->err);
    if (level >= 0 || HarmlessJpegWarning(errors->manager.msg_code))
        return; // a trace message, or a warning about pixels that are all there
    errors->damaged = true;
    errors->manager.error_exit(cinfo); // never returns
}

JpegSource &SourceOf(j_decompress_ptr cinfo) { return *reinterpret_cast<JpegSource *>(cinfo->src); }

void StartSource(j_decompress_ptr) {}

// Reads [offset, offset + length) of the file into the buffer; how much it got (less only at its end).
std::size_t ReadChunk(JpegSource &s, std::size_t length)
{
    s.buffer.resize(kChunkBytes);
    std::size_t got = 0;
    while (got < length) {
        const ssize_t n = ::pread(s.fd, s.buffer.data() + got, length - got, off_t(s.offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            s.readFailed = true;
        if (n <= 0)
            break;
        got += std::size_t(n);
    }
    return got;
}

// The next chunk from `offset`; at the end of the data an end marker after a warning, as libjpeg's
// own sources do.
boolean FillChunk(j_decompress_ptr cinfo)
{
    JpegSource &s = SourceOf(cinfo);
    // Chunks end at fixed multiples of the chunk size, so a marker skipped rather than read (one
    // path saves markers the other skips) leaves the chunks after it where they were.
    const long long boundary = (s.offset / static_cast<long long>(kChunkBytes) + 1) * static_cast<long long>(kChunkBytes);
    const std::size_t wanted = s.offset < s.size ? std::size_t(std::min(boundary, s.size) - s.offset) : 0;
    std::size_t got = 0;
    if (wanted > 0) {
        if (s.memory) {
            s.manager.next_input_byte = s.memory + s.offset;
            got = wanted;
        } else {
            got = ReadChunk(s, wanted);
            if (s.readFailed)
                ERREXIT(cinfo, JERR_FILE_READ);
            s.manager.next_input_byte = s.buffer.data();
        }
    }
    if (got == 0) {
        WARNMS(cinfo, JWRN_JPEG_EOF);
        s.manager.next_input_byte = kFakeEnd;
        s.manager.bytes_in_buffer = sizeof kFakeEnd;
        s.offset = s.size;
        return TRUE;
    }
    s.manager.bytes_in_buffer = got;
    s.offset += static_cast<long long>(got);
    return TRUE;
}

void SkipBytes(j_decompress_ptr cinfo, long count)
{
    if (count <= 0)
        return;
    JpegSource &s = SourceOf(cinfo);
    if (static_cast<std::size_t>(count) <= s.manager.bytes_in_buffer) {
        s.manager.next_input_byte += count;
        s.manager.bytes_in_buffer -= static_cast<std::size_t>(count);
        return;
    }
    // Past this chunk: the next one starts where the skip ends.
    s.offset += count - static_cast<long long>(s.manager.bytes_in_buffer);
    s.manager.bytes_in_buffer = 0;
}

void EndSource(j_decompress_ptr) {}

void Attach(j_decompress_ptr cinfo, JpegSource &source, long long size)
{
    source.size = size;
    source.offset = 0;
    source.readFailed = false;
    source.manager.init_source = StartSource;
    source.manager.fill_input_buffer = FillChunk;
    source.manager.skip_input_data = SkipBytes;
    source.manager.resync_to_restart = jpeg_resync_to_restart;
    source.manager.term_source = EndSource;
    source.manager.next_input_byte = nullptr;
    source.manager.bytes_in_buffer = 0;
    cinfo->src = &source.manager;
}

// Blocks the Huffman coder must spend at least one bit on.
long long MinimumBlocks(const jpeg_decompress_struct &cinfo)
{
    long long blocks = 0;
    for (int i = 0; i < cinfo.num_components; ++i)
        blocks += static_cast<long long>(cinfo.comp_info[i].width_in_blocks) * cinfo.comp_info[i].height_in_blocks;
    return blocks;
}

} // namespace

jpeg_error_mgr *UseJpegErrors(JpegErrors &errors)
{
    jpeg_std_error(&errors.manager);
    errors.manager.error_exit = LeaveOnError;
    errors.manager.emit_message = JudgeMessage;
    errors.damaged = false;
    errors.code = 0;
    return &errors.manager;
}

bool HarmlessJpegWarning(int code)
{
    switch (code) {
    case JWRN_EXTRANEOUS_DATA: // stray bytes before a marker
    case JWRN_JFIF_MAJOR:      // a JFIF version we do not know
    case JWRN_ADOBE_XFORM:     // an odd Adobe transform code; the colour space is known anyway
    case JWRN_BOGUS_ICC:       // the colour profile is judged on its own
    case JWRN_NOT_SEQUENTIAL:  // odd spectral bounds in a sequential scan, which the decoder ignores
        return true;
    default:
        return false;
    }
}

JpegVerdict JpegFailure(const JpegErrors &errors)
{
    if (errors.damaged)
        return JpegVerdict::Damaged;
    switch (errors.code) {
    case JERR_NO_SOI:
        return JpegVerdict::NotJpeg;
    case JERR_FILE_READ:
        return JpegVerdict::Unreadable;
    case JERR_OUT_OF_MEMORY:
    case JERR_NO_BACKING_STORE:
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW:
        return JpegVerdict::TooLarge;
    default:
        return JpegVerdict::Damaged;
    }
}

void UseMemorySource(j_decompress_ptr cinfo, JpegSource &source, const unsigned char *data, std::size_t size)
{
    source.memory = data;
    source.fd = -1;
    Attach(cinfo, source, static_cast<long long>(size));
}

void UseFileSource(j_decompress_ptr cinfo, JpegSource &source, int fd, long long size)
{
    source.memory = nullptr;
    source.fd = fd;
    Attach(cinfo, source, size);
}

bool IsCmykJpeg(const jpeg_decompress_struct &cinfo)
{
    return cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
}

long long JpegCoefficientBytes(j_decompress_ptr cinfo)
{
    if (!jpeg_has_multiple_scans(cinfo))
        return 0;
    long long bytes = 0;
    for (int i = 0; i < cinfo->num_components; ++i) {
        const jpeg_component_info &c = cinfo->comp_info[i];
        const long long w = (c.width_in_blocks + c.h_samp_factor - 1) / c.h_samp_factor * c.h_samp_factor;
        const long long h = (c.height_in_blocks + c.v_samp_factor - 1) / c.v_samp_factor * c.v_samp_factor;
        bytes += w * h * static_cast<long long>(sizeof(JBLOCK));
    }
    return bytes;
}

JpegVerdict CheckJpegHeader(const jpeg_decompress_struct &cinfo, long long fileBytes, long long memoryLimit,
                            long long heldBytes)
{
    auto *info = const_cast<j_decompress_ptr>(&cinfo); // jpeg_has_multiple_scans only reads
    const long long coefficients = JpegCoefficientBytes(info);
    if (!cinfo.arith_code && fileBytes * 8 < MinimumBlocks(cinfo)) {
        // Judged by the whole claimed picture, not by what this path would hold, so every path agrees.
        const long long claimed = static_cast<long long>(cinfo.image_width) * cinfo.image_height * 4;
        return claimed + coefficients > memoryLimit ? JpegVerdict::TooLarge : JpegVerdict::Damaged;
    }
    if (heldBytes + coefficients > memoryLimit)
        return JpegVerdict::TooLarge;
    return JpegVerdict::Fine;
}

JpegDensity DensityOf(const jpeg_decompress_struct &cinfo)
{
    if (!cinfo.saw_JFIF_marker)
        return {};
    return {cinfo.density_unit, cinfo.X_density, cinfo.Y_density};
}

namespace {

struct HeaderReader {
    jpeg_decompress_struct cinfo{};
    JpegErrors errors;
    JpegSource source;
    ~HeaderReader() { jpeg_destroy_decompress(&cinfo); }
};

// Only trivially destructible locals: the error manager jumps back into this frame.
bool ReadHeaderOnly(HeaderReader &r, const unsigned char *data, std::size_t size)
{
    r.cinfo.err = UseJpegErrors(r.errors);
    if (setjmp(r.errors.jump))
        return false;
    jpeg_create_decompress(&r.cinfo);
    UseMemorySource(&r.cinfo, r.source, data, size);
    return jpeg_read_header(&r.cinfo, TRUE) == JPEG_HEADER_OK;
}

} // namespace

JpegDensity DensityOfFile(const unsigned char *data, std::size_t size)
{
    if (size < 3 || data[0] != 0xFF || data[1] != 0xD8)
        return {};
    HeaderReader reader;
    return ReadHeaderOnly(reader, data, size) ? DensityOf(reader.cinfo) : JpegDensity{};
}

void SetUpJpegEncoder(j_compress_ptr cinfo, unsigned width, unsigned height, J_COLOR_SPACE pixels, int quality,
                      const JpegDensity &density)
{
    cinfo->image_width = width;
    cinfo->image_height = height;
    cinfo->input_components = 4;
    cinfo->in_color_space = pixels;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, std::clamp(quality, 1, 100), TRUE);
    for (int c = 0; c < cinfo->num_components; ++c)
        cinfo->comp_info[c].h_samp_factor = cinfo->comp_info[c].v_samp_factor = 1;
    cinfo->optimize_coding = FALSE;
    cinfo->density_unit = density.unit;
    cinfo->X_density = density.x;
    cinfo->Y_density = density.y;
}

} // namespace velmora
