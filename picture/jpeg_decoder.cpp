// Velmora — JPEG photos decoded by libjpeg-turbo, refused when the decoder had to make data up.
#include "picture/jpeg_decoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "io/jpeg_setup.h"
#include "picture/cmyk_profile.h"
#include "core/orientation.h"
#include "io/exif_orientation.h"
#include "picture/picture_memory.h"
#include "io/row_split.h"

namespace velmora {

namespace {

constexpr int kStripRows = 32;

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
    JpegErrors err;
    JpegSource source;
    std::vector<uchar> strip;

    Decoder() { cinfo.err = UseJpegErrors(err); }
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
    UseMemorySource(&cinfo, s.bottom.source, reinterpret_cast<const unsigned char *>(bytes.constData()),
                    std::size_t(bytes.size()));
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
    UseMemorySource(&cinfo, s.top.source, reinterpret_cast<const unsigned char *>(bytes.constData()),
                    std::size_t(bytes.size()));
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_save_markers(&cinfo, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);
    ReadSavedMarkers(s);
    if (s.result.profileBroken)
        ReadIccProfile(s);

    const bool cmyk = IsCmykJpeg(cinfo);
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    const int width = int(cinfo.image_width), height = int(cinfo.image_height);
    const bool turned = s.orientation >= 5;
    const QSize upright = turned ? QSize(height, width) : QSize(width, height);
    s.result.picture.declaredSize = upright;
    const qint64 pictureBytes = qint64{width} * height * 4;
    const qint64 stripBytes = s.orientation == 1 ? 0 : qint64{width} * 4 * kStripRows;
    switch (CheckJpegHeader(cinfo, bytes.size(), s.memoryLimit, pictureBytes + stripBytes)) {
    case JpegVerdict::Fine: break;
    case JpegVerdict::TooLarge: s.result.picture.problem = LoadProblem::TooLarge; return false;
    default: s.top.err.damaged = true; return false;
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

LoadProblem FailureProblem(const JpegErrors &err)
{
    switch (JpegFailure(err)) {
    case JpegVerdict::NotJpeg: return LoadProblem::NotAPicture;
    case JpegVerdict::TooLarge: return LoadProblem::TooLarge;
    case JpegVerdict::Unreadable: return LoadProblem::Unreadable;
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
