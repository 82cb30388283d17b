// Velmora — JPEG photos decoded by libjpeg-turbo, refused when the decoder had to make data up.
#include "picture/jpeg_decoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

// jpeglib.h first: it sets the library version that decides jerror.h's message numbers.
#include <jpeglib.h>
#include <jerror.h>

#include "picture/cmyk_profile.h"
#include "core/orientation.h"
#include "io/exif_orientation.h"
#include "picture/picture_memory.h"
#include "io/row_split.h"

namespace velmora {

namespace {

constexpr int kStripRows = 32;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    bool damaged = false;
    int error = 0; // libjpeg's code for the error that stopped it
};

// Warnings libjpeg gives for real cameras' files whose pixels are all there.
bool Harmless(int code)
{
    switch (code) {
    case JWRN_EXTRANEOUS_DATA: // stray bytes before a marker
    case JWRN_JFIF_MAJOR:
    case JWRN_ADOBE_XFORM:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_ICC: // the profile is judged on its own
        return true;
    default: return false;
    }
}

[[noreturn]] void OnError(j_common_ptr cinfo)
{
    auto *err = reinterpret_cast<ErrorManager *>(cinfo->err);
    err->error = err->base.msg_code;
    std::longjmp(err->jump, 1);
}

// Any other warning means the decoder is padding or guessing: stop at once, before it writes
// made-up rows over the whole picture.
void OnMessage(j_common_ptr cinfo, int level)
{
    auto *err = reinterpret_cast<ErrorManager *>(cinfo->err);
    if (level < 0 && !Harmless(err->base.msg_code)) {
        err->damaged = true;
        std::longjmp(err->jump, 1);
    }
}

// The plain ink formula, for CMYK without a usable profile.
void CmykToBgrx(uchar *row, int width, bool inverted)
{
    for (int x = 0; x < width; ++x) {
        uchar *p = row + 4 * x;
        int c = p[0], m = p[1], y = p[2], k = p[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        p[0] = uchar((y * k + 127) / 255);
        p[1] = uchar((m * k + 127) / 255);
        p[2] = uchar((c * k + 127) / 255);
        p[3] = 0xFF;
    }
}

// Adobe's files store CMYK inverted (255 = no ink); others store ink amounts.
bool InvertedCmyk(const jpeg_decompress_struct &cinfo) { return cinfo.saw_Adobe_marker; }

// One libjpeg decompressor with its own landing place for errors and, for a turned picture, its own
// strip of rows to place.
struct Decoder {
    jpeg_decompress_struct cinfo{};
    ErrorManager err;
    std::vector<uchar> strip;

    Decoder()
    {
        cinfo.err = jpeg_std_error(&err.base);
        err.base.error_exit = OnError;
        err.base.emit_message = OnMessage;
    }
    ~Decoder() { jpeg_destroy_decompress(&cinfo); } // harmless on one never created
    Decoder(const Decoder &) = delete;
    Decoder &operator=(const Decoder &) = delete;
};

// Where decoded rows go; both decoders of a split picture write to it, each only its own rows.
struct Target {
    quint32 *pixels = nullptr;
    qsizetype stride = 0; // in pixels
    int orientation = 1, width = 0, height = 0; // as stored
    bool cmyk = false, inverted = false;
    const CmykTransform *profile = nullptr;
};

struct Session {
    Decoder top;
    qint64 memoryLimit = 0;
    long decoderMemory = 0; // what each decoder's own buffers may use
    int orientation = 1;
    QImage image;
    Target target;
    CmykTransform cmykProfile;
    DecodedJpeg result;
    // A second decoder that takes the lower rows, where the picture is worth splitting.
    Decoder bottom;
    bool bottomFailed = false; // read only after its thread is joined
    std::optional<RowSplit> split;
    std::thread bottomThread;
};

void ReadSavedMarkers(Session &s)
{
    for (jpeg_saved_marker_ptr m = s.top.cinfo.marker_list; m; m = m->next) {
        const QByteArray payload(reinterpret_cast<const char *>(m->data), m->data_length);
        if (m->marker == JPEG_APP0 + 1 && s.orientation == 1)
            s.orientation = ExifOrientation(m->data, m->data_length);
        if (m->marker == JPEG_APP0 + 2 && payload.startsWith(QByteArray("ICC_PROFILE\0", 12)))
            s.result.profileBroken = true; // until the pieces are put together below
    }
}

// Blocks the Huffman coder must spend at least one bit on: a file shorter than that cannot hold
// the picture it claims, whatever it holds.
qint64 MinimumBlocks(const jpeg_decompress_struct &cinfo)
{
    qint64 blocks = 0;
    for (int i = 0; i < cinfo.num_components; ++i)
        blocks += qint64{cinfo.comp_info[i].width_in_blocks} * cinfo.comp_info[i].height_in_blocks;
    return blocks;
}

// The coefficients of every block, which the decoder holds for a multi-scan (progressive) file.
qint64 CoefficientBytes(const jpeg_decompress_struct &cinfo)
{
    qint64 bytes = 0;
    for (int i = 0; i < cinfo.num_components; ++i) {
        const jpeg_component_info &c = cinfo.comp_info[i];
        const qint64 w = (c.width_in_blocks + c.h_samp_factor - 1) / c.h_samp_factor * c.h_samp_factor;
        const qint64 h = (c.height_in_blocks + c.v_samp_factor - 1) / c.v_samp_factor * c.v_samp_factor;
        bytes += w * h * qint64{sizeof(JBLOCK)};
    }
    return bytes;
}

// Puts the profile's pieces together; jpeg_read_icc_profile warns, never stops, on a bad piece.
void ReadIccProfile(Session &s)
{
    JOCTET *data = nullptr;
    unsigned int length = 0;
    if (!jpeg_read_icc_profile(&s.top.cinfo, &data, &length))
        return;
    s.result.iccProfile = QByteArray(reinterpret_cast<const char *>(data), qsizetype(length));
    s.result.profileBroken = false;
    std::free(data);
}

// Through the file's own CMYK profile when it has one Little CMS can use.
void PrepareCmyk(Session &s)
{
    s.cmykProfile = CmykTransform::FromProfile(s.result.iccProfile, InvertedCmyk(s.top.cinfo));
    s.result.profileApplied = bool(s.cmykProfile);
    s.result.profileUnusable = !s.result.iccProfile.isEmpty() && !s.result.profileApplied;
}

void ConvertCmykRow(const Target &t, uchar *row)
{
    if (*t.profile)
        t.profile->convertRow(row, t.width);
    else
        CmykToBgrx(row, t.width, t.inverted);
}

// Writes decoded rows to their upright places. Along a stored row the destination moves by a fixed
// step (a pixel or a whole row either way), so each row is a pointer and a step; going across the
// strip's rows at each x keeps the writes for one destination row together.
void PlaceStrip(const Target &t, const uchar *strip, int firstRow, int rows)
{
    const UprightPlacement place = Orientation(t.orientation).placement(t.width, t.height, t.stride);
    const quint32 *from[kStripRows];
    quint32 *to[kStripRows];
    for (int r = 0; r < rows; ++r) {
        from[r] = reinterpret_cast<const quint32 *>(strip) + qsizetype(r) * t.width;
        to[r] = t.pixels + place.at(0, firstRow + r);
    }
    for (int x = 0; x < t.width; ++x) {
        const qsizetype offset = x * place.xStep;
        for (int r = 0; r < rows; ++r)
            to[r][offset] = from[r][x];
    }
}

// Decodes stored rows from the decoder's place down, a strip at a time, as long as `allow` grants
// them (it returns how many of the rows asked for). False if the data ran out.
template <typename Allow>
bool ReadRows(Decoder &d, const Target &t, Allow allow)
{
    JSAMPROW rows[kStripRows];
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        const int first = int(d.cinfo.output_scanline);
        const int want = allow(first, std::min<int>(kStripRows, t.height - first));
        if (want == 0)
            return true;
        for (int r = 0; r < want; ++r)
            rows[r] = t.orientation == 1 ? reinterpret_cast<uchar *>(t.pixels + (first + r) * t.stride)
                                         : d.strip.data() + std::size_t(r) * t.width * 4;
        // The decoder hands out a row or two per call; a turned picture is placed a whole strip at a time.
        for (int filled = 0; filled < want;) {
            const int got = int(jpeg_read_scanlines(&d.cinfo, rows + filled, JDIMENSION(want - filled)));
            if (got == 0) // cannot happen with data in memory; never loop on it
                return false;
            if (t.cmyk)
                for (int r = filled; r < filled + got; ++r)
                    ConvertCmykRow(t, rows[r]);
            filled += got;
        }
        if (t.orientation != 1)
            PlaceStrip(t, d.strip.data(), first, want);
    }
    return true;
}

// Splitting pays for a second thread and a second pass over the top rows' data only on a picture
// of some size; a progressive file's rows come out of coefficients held for the whole picture, and
// a CMYK profile's transform is not to be shared between threads.
bool WorthSplitting(jpeg_decompress_struct &cinfo, int threads, bool cmyk)
{
    return threads >= 2 && !cmyk && !cinfo.arith_code && !jpeg_has_multiple_scans(&cinfo)
        && cinfo.image_height >= 128 && qint64{cinfo.image_width} * cinfo.image_height >= 512 * 512;
}

// The bottom decoder: reads its own header, skips rows (which reads their data without making
// pixels) until the split says to start, then decodes the rest. Only trivially destructible locals:
// the error manager jumps back into this frame.
bool DecodeBottom(Session &s, const QByteArray &bytes)
{
    jpeg_decompress_struct &cinfo = s.bottom.cinfo;
    RowSplit &split = *s.split;
    const int height = s.target.height;
    if (setjmp(s.bottom.err.jump))
        return false;
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char *>(bytes.constData()), bytes.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGRX;
    cinfo.mem->max_memory_to_use = s.decoderMemory;
    jpeg_start_decompress(&cinfo);
    const int step = 4 * cinfo.max_v_samp_factor * DCTSIZE; // whole rows of blocks
    int row = 0;
    while (!split.bottomMayStart(row)) {
        if (split.stopped())
            return true;
        const int skipped = int(jpeg_skip_scanlines(&cinfo, JDIMENSION(std::min(step, height - row))));
        if (skipped == 0)
            return false;
        row += skipped;
    }
    const int start = split.settle(row);
    if (start >= height)
        return true; // the top decoded everything
    s.result.secondDecoderFrom = start;
    if (start > row && int(jpeg_skip_scanlines(&cinfo, JDIMENSION(start - row))) != start - row)
        return false;
    if (!ReadRows(s.bottom, s.target, [&](int, int want) { return split.stopped() ? 0 : want; }))
        return false;
    if (!split.stopped())
        jpeg_finish_decompress(&cinfo);
    return true;
}

void RunBottom(Session &s, const QByteArray &bytes)
{
    if (!DecodeBottom(s, bytes)) {
        s.bottomFailed = true;
        s.split->stop();
    }
}

// Starts the bottom decoder where the picture is worth splitting and a thread can be had; without
// one the top decodes every row.
void StartBottom(Session &s, const QByteArray &bytes, int threads)
{
    if (!WorthSplitting(s.top.cinfo, threads, s.target.cmyk))
        return;
    s.split.emplace(s.target.height);
    if (s.orientation != 1)
        s.bottom.strip.resize(std::size_t(s.target.width) * 4 * kStripRows);
    try {
        s.bottomThread = std::thread(RunBottom, std::ref(s), std::cref(bytes));
    } catch (const std::system_error &) {
        s.split.reset();
    }
}

// Only trivially destructible locals from here on: the error manager jumps back into this frame.
bool Decode(Session &s, const QByteArray &bytes, int threads)
{
    jpeg_decompress_struct &cinfo = s.top.cinfo;
    if (setjmp(s.top.err.jump))
        return false;
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char *>(bytes.constData()), bytes.size());
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_save_markers(&cinfo, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);
    ReadSavedMarkers(s);
    if (s.result.profileBroken)
        ReadIccProfile(s);

    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    const int width = int(cinfo.image_width), height = int(cinfo.image_height);
    const bool turned = s.orientation >= 5;
    const QSize upright = turned ? QSize(height, width) : QSize(width, height);
    s.result.picture.declaredSize = upright;
    const qint64 pictureBytes = qint64{width} * height * 4;
    const qint64 stripBytes = s.orientation == 1 ? 0 : qint64{width} * 4 * kStripRows;
    const qint64 coefficients = jpeg_has_multiple_scans(&cinfo) ? CoefficientBytes(cinfo) : 0;
    if (pictureBytes + stripBytes + coefficients > s.memoryLimit) {
        s.result.picture.problem = LoadProblem::TooLarge;
        return false;
    }
    if (!cinfo.arith_code && qint64{bytes.size()} * 8 < MinimumBlocks(cinfo)) {
        s.top.err.damaged = true;
        return false;
    }
    // The decoder's own buffers may use what the picture leaves; beyond that it stops with an error.
    s.decoderMemory = long(s.memoryLimit - pictureBytes - stripBytes);
    cinfo.mem->max_memory_to_use = s.decoderMemory;

    s.image = AllocatePicture(upright, QImage::Format_RGB32);
    if (s.image.isNull()) {
        s.result.picture.problem = LoadProblem::TooLarge;
        return false;
    }
    if (s.orientation != 1)
        s.top.strip.resize(std::size_t(width) * 4 * kStripRows);
    if (cmyk)
        PrepareCmyk(s);
    // bits() once, here: it may copy the picture, and must not be called from two threads.
    s.target = {reinterpret_cast<quint32 *>(s.image.bits()), s.image.bytesPerLine() / 4, s.orientation, width,
                height, cmyk, InvertedCmyk(cinfo), &s.cmykProfile};

    jpeg_start_decompress(&cinfo);
    StartBottom(s, bytes, threads);
    RowSplit *split = s.split ? &*s.split : nullptr;
    if (!ReadRows(s.top, s.target, [split](int row, int want) { return split ? split->claimTop(row, want) : want; })) {
        s.top.err.damaged = true;
        return false;
    }
    // Whoever decoded the last row reads on to the end marker.
    if (int(cinfo.output_scanline) == height)
        jpeg_finish_decompress(&cinfo);
    return true;
}

LoadProblem FailureProblem(const ErrorManager &err)
{
    if (err.damaged)
        return LoadProblem::Damaged;
    switch (err.error) {
    case JERR_NO_SOI: return LoadProblem::NotAPicture;
    case JERR_OUT_OF_MEMORY:
    case JERR_NO_BACKING_STORE:
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW: return LoadProblem::TooLarge;
    default: return LoadProblem::Damaged;
    }
}

} // namespace

DecodedJpeg DecodeJpeg(const QByteArray &bytes, qint64 memoryLimitBytes, int threads)
{
    Session s;
    s.memoryLimit = memoryLimitBytes;
    bool decoded = Decode(s, bytes, threads);
    if (s.bottomThread.joinable()) {
        if (!decoded)
            s.split->stop();
        s.bottomThread.join();
        decoded = decoded && !s.bottomFailed;
    }
    if (!decoded) {
        LoadProblem problem = s.result.picture.problem;
        if (problem == LoadProblem::None)
            problem = FailureProblem(s.bottomFailed ? s.bottom.err : s.top.err);
        return {{{}, problem, s.result.picture.declaredSize}, {}, false};
    }
    s.result.picture.image = std::move(s.image);
    return std::move(s.result);
}

} // namespace velmora
