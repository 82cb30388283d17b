// Velmora — a JPEG corrected in bands of rows.
#include "io/banded_jpeg.h"

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include <fcntl.h>

#include <unistd.h>

// After jpeg_setup.h's jpeglib.h: it sets the library version that decides jerror.h's message numbers.
#include "io/jpeg_setup.h"
#include <jerror.h>

#include "io/band_pipe.h"
#include "io/bitmap_rows.h"
#include "io/exif_orientation.h"
#include "io/input_file.h"
#include "io/jpeg_containers.h"

namespace velmora {

namespace {

constexpr std::size_t kBandBytes = 1 << 20;         // decoded rows mapped and written at a time
constexpr std::size_t kJpegOutputBuffer = 256 << 10; // compressed bytes gathered before a write
constexpr int kBandsInFlight = 4;                    // between the decoding and the writing thread

// Compressed output straight into the atomic file, a quarter megabyte at a time.
struct FileDestination {
    jpeg_destination_mgr manager;
    AtomicOutput *file = nullptr;
    std::vector<JOCTET> buffer;
};

void StartDestination(j_compress_ptr info)
{
    auto *d = reinterpret_cast<FileDestination *>(info->dest);
    d->manager.next_output_byte = d->buffer.data();
    d->manager.free_in_buffer = d->buffer.size();
}

boolean FlushFullBuffer(j_compress_ptr info)
{
    auto *d = reinterpret_cast<FileDestination *>(info->dest);
    if (!d->file->append(d->buffer.data(), d->buffer.size()))
        ERREXIT(info, JERR_FILE_WRITE);
    StartDestination(info);
    return TRUE;
}

void FlushLastBytes(j_compress_ptr info)
{
    auto *d = reinterpret_cast<FileDestination *>(info->dest);
    const std::size_t used = d->buffer.size() - d->manager.free_in_buffer;
    if (used > 0 && !d->file->append(d->buffer.data(), used))
        ERREXIT(info, JERR_FILE_WRITE);
}

// Everything one run holds, made before the decoder can jump back, and freed in one place.
struct Session {
    JpegErrors readErrors;
    JpegErrors writeErrors;
    jpeg_decompress_struct decoder{};
    jpeg_compress_struct encoder{};
    bool encoderMade = false;
    FileDestination destination;
    std::optional<InputFile> input;
    JpegSource source;
    std::optional<AtomicOutput> output;
    std::optional<BitmapLayout> layout; // a bitmap is written; otherwise a JPEG
    std::vector<std::uint32_t> band;
    std::vector<std::uint8_t> packed;
    std::vector<JSAMPROW> readRows;
    std::vector<JSAMPROW> writeRows;
    // With a second thread writing: the bands between the two, and whether the writer gave up.
    std::optional<BandPipe> pipe;
    std::thread writer;
    bool writerFailed = false;
    // A motion photo's video at the input's end, carried to the end of a JPEG output.
    std::uint64_t videoLength = 0;
    StreamOutcome outcome;

    void stopWriter()
    {
        if (!writer.joinable())
            return;
        pipe->stop();
        writer.join();
    }

    ~Session()
    {
        stopWriter();
        if (encoderMade)
            jpeg_destroy_compress(&encoder);
        jpeg_destroy_decompress(&decoder);
    }
};

bool IsTurned(j_decompress_ptr decoder)
{
    for (jpeg_saved_marker_ptr m = decoder->marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 1 && ExifOrientation(m->data, m->data_length) != 1)
            return true;
    return false;
}

bool ReadAt(int fd, unsigned char *out, std::size_t size, long long offset)
{
    while (size > 0) {
        const ssize_t got = ::pread(fd, out, size, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        out += got;
        size -= static_cast<std::size_t>(got);
        offset += got;
    }
    return true;
}

std::string_view XmpPacketOf(jpeg_saved_marker_ptr m)
{
    return {reinterpret_cast<const char *>(m->data) + XmpPrefixLength(), m->data_length - XmpPrefixLength()};
}

bool IsXmp(jpeg_saved_marker_ptr m) { return m->marker == JPEG_APP0 + 1 && IsXmpMarker(m->data, m->data_length); }

// The length of the video the XMP says trails the input, when the input's end holds one.
std::uint64_t VideoAtEnd(Session &s)
{
    for (jpeg_saved_marker_ptr m = s.decoder.marker_list; m; m = m->next) {
        if (!IsXmp(m))
            continue;
        const std::optional<std::uint64_t> length = MotionVideoLength(XmpPacketOf(m));
        const long long size = s.input->size();
        unsigned char start[kVideoProbeBytes];
        if (length && *length < static_cast<std::uint64_t>(size)
            && ReadAt(s.input->fd(), start, sizeof start, size - static_cast<long long>(*length))
            && LooksLikeVideo(start, sizeof start))
            return *length;
        return 0;
    }
    return 0;
}

void CopyMarkers(Session &s)
{
    for (jpeg_saved_marker_ptr m = s.decoder.marker_list; m; m = m->next) {
        // The encoder writes its own JFIF heading; an Adobe marker describes the old colour transform;
        // an MPF index points at pictures the output does not hold.
        const bool jfif = m->marker == JPEG_APP0 && m->data_length >= 5 && std::equal(m->data, m->data + 5, "JFIF");
        const bool adobe = m->marker == JPEG_APP0 + 14;
        const bool mpf = m->marker == JPEG_APP0 + 2 && IsMpfIndex(m->data, m->data_length);
        if (jfif || adobe || mpf)
            continue;
        if (IsXmp(m)) {
            std::string marker(reinterpret_cast<const char *>(m->data), XmpPrefixLength());
            marker += WithoutStaleClaims(XmpPacketOf(m), s.videoLength > 0);
            jpeg_write_marker(&s.encoder, m->marker, reinterpret_cast<const JOCTET *>(marker.data()),
                              static_cast<unsigned>(marker.size()));
            continue;
        }
        jpeg_write_marker(&s.encoder, m->marker, m->data, m->data_length);
    }
}

// The input's video, unchanged, after the new picture: its offset from the end stays right.
// False with the outcome set when it could not be read or written.
bool CopyVideo(Session &s)
{
    std::vector<unsigned char> chunk(kJpegOutputBuffer);
    long long from = s.input->size() - static_cast<long long>(s.videoLength);
    for (std::uint64_t left = s.videoLength; left > 0;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
        if (!ReadAt(s.input->fd(), chunk.data(), n, from)) {
            s.outcome = {StreamResult::Unreadable, OutputError::None, InputProblem::Unreadable};
            return false;
        }
        if (!s.output->append(chunk.data(), n)) {
            const OutputError e = s.output->error();
            s.outcome = {StreamResult::OutputFailed, e == OutputError::None ? OutputError::WriteFailed : e};
            return false;
        }
        from += static_cast<long long>(n);
        left -= n;
    }
    return true;
}

void StartEncoder(Session &s, int quality)
{
    s.encoder.err = UseJpegErrors(s.writeErrors);
    jpeg_create_compress(&s.encoder);
    s.encoderMade = true;
    s.destination.file = &*s.output;
    s.destination.buffer.resize(kJpegOutputBuffer);
    s.destination.manager.init_destination = StartDestination;
    s.destination.manager.empty_output_buffer = FlushFullBuffer;
    s.destination.manager.term_destination = FlushLastBytes;
    s.encoder.dest = &s.destination.manager;
    SetUpJpegEncoder(&s.encoder, s.decoder.output_width, s.decoder.output_height, JCS_EXT_BGRX, quality,
                     DensityOf(s.decoder));
    jpeg_start_compress(&s.encoder, TRUE);
    CopyMarkers(s);
}

// Decodes the next `rows` rows into `pixels` and maps them through the tables.
void DecodeBand(Session &s, std::uint32_t *pixels, int rows, const RowTables &tables)
{
    const int width = static_cast<int>(s.decoder.output_width);
    for (int i = 0; i < rows; ++i)
        s.readRows[i] = reinterpret_cast<JSAMPROW>(pixels + static_cast<std::size_t>(i) * width);
    int done = 0;
    while (done < rows)
        done += static_cast<int>(jpeg_read_scanlines(&s.decoder, s.readRows.data() + done, rows - done));
    for (int i = 0; i < rows; ++i)
        MapRow(pixels + static_cast<std::size_t>(i) * width, width, tables);
}

bool WriteBitmapBand(Session &s, const Band &band)
{
    const BitmapLayout &layout = *s.layout;
    // Bottom-up: the band's last row is the first one in the file.
    for (int i = 0; i < band.rows; ++i)
        PackBitmapRow(band.pixels + static_cast<std::size_t>(i) * layout.width, layout.width,
                      s.packed.data() + (band.rows - 1 - i) * layout.rowBytes);
    return s.output->writeAt(s.packed.data(), static_cast<std::size_t>(band.rows * layout.rowBytes),
                             layout.rowOffset(band.top + band.rows - 1));
}

// False when the output could not take it. A JPEG encoder's error jumps to writeErrors.
bool WriteBand(Session &s, const Band &band)
{
    if (s.layout)
        return WriteBitmapBand(s, band);
    const int width = static_cast<int>(s.decoder.output_width);
    for (int i = 0; i < band.rows; ++i)
        s.writeRows[i] = reinterpret_cast<JSAMPROW>(band.pixels + static_cast<std::size_t>(i) * width);
    jpeg_write_scanlines(&s.encoder, s.writeRows.data(), static_cast<JDIMENSION>(band.rows));
    return true;
}

void WriteBandsInTurn(Session &s)
{
    while (const std::optional<Band> band = s.pipe->take()) {
        if (!WriteBand(s, *band)) {
            s.writerFailed = true;
            s.pipe->stop();
            return;
        }
        s.pipe->release(*band);
    }
    if (!s.pipe->stopped() && s.encoderMade)
        jpeg_finish_compress(&s.encoder);
}

// The writing thread's own landing place for the encoder's errors.
void WriterThread(Session &s)
{
    if (setjmp(s.writeErrors.jump)) {
        s.writerFailed = true;
        s.pipe->stop();
        return;
    }
    WriteBandsInTurn(s);
}

// One thread: decode a band, write it, and again.
bool DecodeAndWrite(Session &s, const RowTables &tables, int bandRows, const BandProgress &progress)
{
    const int height = static_cast<int>(s.decoder.output_height);
    for (int top = 0; top < height; top += bandRows) {
        const Band band{s.band.data(), top, std::min(bandRows, height - top), 0};
        DecodeBand(s, band.pixels, band.rows, tables);
        if (!WriteBand(s, band))
            return false;
        if (progress)
            progress(static_cast<double>(top + band.rows) / height);
    }
    if (s.encoderMade)
        jpeg_finish_compress(&s.encoder);
    return true;
}

// The writing thread and the bands it takes; false when no second thread could be had.
bool StartWriter(Session &s, int bandRows)
{
    s.pipe.emplace(kBandsInFlight, static_cast<std::size_t>(bandRows) * s.decoder.output_width);
    try {
        s.writer = std::thread(WriterThread, std::ref(s));
    } catch (const std::system_error &) {
        return false;
    }
    return true;
}

// Two threads: this one decodes while the writer packs or encodes and writes what came before.
bool DecodeWhileWriting(Session &s, const RowTables &tables, int bandRows, const BandProgress &progress)
{
    const int height = static_cast<int>(s.decoder.output_height);
    for (int top = 0; top < height; top += bandRows) {
        std::optional<Band> band = s.pipe->acquire();
        if (!band)
            break; // the writer gave up
        band->top = top;
        band->rows = std::min(bandRows, height - top);
        DecodeBand(s, band->pixels, band->rows, tables);
        s.pipe->publish(*band);
        if (progress)
            progress(static_cast<double>(top + band->rows) / height);
    }
    s.pipe->finish();
    s.writer.join();
    return !s.writerFailed;
}

StreamResult FailureOfDecoder(JpegVerdict verdict)
{
    switch (verdict) {
    case JpegVerdict::TooLarge: return StreamResult::TooLarge;
    case JpegVerdict::NotJpeg: return StreamResult::NotJpeg;
    case JpegVerdict::Unreadable: return StreamResult::Unreadable;
    default: return StreamResult::Damaged;
    }
}

// Everything from here to the end may jump back to the setjmp on a decoder or encoder error.
void Run(Session &s, const StreamRequest &request, const RowTables &tables, const BandProgress &progress)
{
    if (setjmp(s.readErrors.jump)) {
        s.outcome.result = FailureOfDecoder(JpegFailure(s.readErrors));
        if (s.outcome.result == StreamResult::Unreadable)
            s.outcome.input = InputProblem::Unreadable;
        return;
    }
    if (setjmp(s.writeErrors.jump)) {
        s.outcome.result = StreamResult::OutputFailed;
        s.outcome.output = s.output ? s.output->error() : OutputError::WriteFailed;
        if (s.outcome.output == OutputError::None)
            s.outcome.output = OutputError::WriteFailed;
        return;
    }
    UseFileSource(&s.decoder, s.source, s.input->fd(), s.input->size());
    for (int m = 0; m < 16; ++m)
        jpeg_save_markers(&s.decoder, JPEG_APP0 + m, 0xFFFF);
    jpeg_save_markers(&s.decoder, JPEG_COM, 0xFFFF);
    jpeg_read_header(&s.decoder, TRUE);

    if (IsCmykJpeg(s.decoder) || (request.format == PictureFormat::Bmp && IsTurned(&s.decoder))) {
        s.outcome.result = StreamResult::NeedsWholeLoad;
        return;
    }
    // The bands between the decoding and the writing thread, and the one being decoded.
    const long long bandsHeld = static_cast<long long>(kBandBytes) * (kBandsInFlight + 1);
    if (const JpegVerdict header = CheckJpegHeader(s.decoder, s.input->size(), request.memoryLimit, bandsHeld);
        header != JpegVerdict::Fine) {
        s.outcome.result = FailureOfDecoder(header);
        return;
    }
    s.decoder.out_color_space = JCS_EXT_BGRX;
    s.decoder.mem->max_memory_to_use = request.memoryLimit;
    jpeg_start_decompress(&s.decoder);

    const int width = static_cast<int>(s.decoder.output_width);
    const int height = static_cast<int>(s.decoder.output_height);
    if (request.format == PictureFormat::Bmp && !(s.layout = LayOutBitmap(width, height))) {
        s.outcome.result = StreamResult::TooLarge;
        return;
    }
    const int bandRows =
        static_cast<int>(std::clamp<std::size_t>(kBandBytes / (std::size_t{4} * width), 1, std::size_t(height)));
    s.readRows.resize(bandRows);
    s.writeRows.resize(bandRows);

    s.output.emplace(request.output, OutputPolicy::BatchOutput(request.replace));
    if (s.output->error() != OutputError::None) {
        s.outcome = {StreamResult::OutputFailed, s.output->error()};
        return;
    }
    if (s.layout) {
        const JpegDensity d = DensityOf(s.decoder);
        // Per inch or per centimetre to per metre; an aspect ratio alone leaves the usual 96 a inch.
        const double perMetre = d.unit == 1 ? 1 / 0.0254 : d.unit == 2 ? 100 : 0;
        const auto header = perMetre > 0 ? BitmapHeader(*s.layout, std::uint32_t(d.x * perMetre + 0.5),
                                                        std::uint32_t(d.y * perMetre + 0.5))
                                         : BitmapHeader(*s.layout);
        s.packed.assign(static_cast<std::size_t>(bandRows * s.layout->rowBytes), 0);
        // Claims the whole file's space at once, so a full disk shows before any decoding.
        // (Where the file system cannot do that, the writes find a full disk themselves.)
        const bool full = ::fallocate(s.output->fd(), 0, 0, s.layout->fileBytes()) != 0 && errno == ENOSPC;
        if (full || !s.output->writeAt(header.data(), header.size(), 0)) {
            s.output->abandon();
            s.outcome = {StreamResult::OutputFailed, OutputError::WriteFailed};
            return;
        }
    } else {
        s.videoLength = VideoAtEnd(s);
        StartEncoder(s, request.quality);
    }

    s.output->flushAsItGoes();
    bool written;
    if (request.threads >= 2 && height > bandRows && StartWriter(s, bandRows)) {
        written = DecodeWhileWriting(s, tables, bandRows, progress);
    } else {
        s.band.resize(static_cast<std::size_t>(bandRows) * width);
        written = DecodeAndWrite(s, tables, bandRows, progress);
    }
    if (!written) {
        s.output->abandon();
        s.outcome = {StreamResult::OutputFailed, s.output->error()};
        return;
    }
    jpeg_finish_decompress(&s.decoder);
    if (s.videoLength > 0 && !CopyVideo(s)) {
        s.output->abandon();
        return;
    }
    if (const OutputError e = s.output->commit(); e != OutputError::None)
        s.outcome = {StreamResult::OutputFailed, e};
}

} // namespace

// True when the file starts like a JPEG; read where the decoder will read, not through the name again.
bool LooksLikeJpeg(const InputFile &file)
{
    unsigned char start[3] = {};
    ssize_t got;
    do
        got = ::pread(file.fd(), start, sizeof start, 0);
    while (got < 0 && errno == EINTR);
    return got == 3 && start[0] == 0xFF && start[1] == 0xD8 && start[2] == 0xFF;
}

StreamOutcome CorrectJpegFile(const StreamRequest &request, const RowTables &tables, const BandProgress &progress)
{
    Session s;
    s.input.emplace(request.input);
    if (s.input->problem() != InputProblem::None)
        return {StreamResult::Unreadable, OutputError::None, s.input->problem()};
    if (!LooksLikeJpeg(*s.input))
        return {StreamResult::NotJpeg};
    s.decoder.err = UseJpegErrors(s.readErrors);
    jpeg_create_decompress(&s.decoder);
    Run(s, request, tables, progress);
    s.stopWriter();
    if (s.outcome.result != StreamResult::Written && s.output)
        s.output->abandon();
    return s.outcome;
}

} // namespace velmora
