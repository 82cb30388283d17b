// Velmora — HEIF photos (HEIC, AVIF) decoded by libheif.
#include "picture/heif_decoder.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>
#include <vector>


#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <QtEndian>

#include "io/heif_boxes.h"
#include "picture/colour_profile.h"
#include "picture/heif_library.h"
#include "picture/picture_memory.h"

namespace velmora {

namespace {

// Sides past this are refused by libheif itself; below it, the size is judged against the memory
// limit here, so that a refusal can say what the file claims.
constexpr int kLargestSide = 65535;

struct ContextRelease {
    void operator()(heif_context *context) const { Heif()->heif_context_free(context); }
};
struct HandleRelease {
    void operator()(heif_image_handle *handle) const { Heif()->heif_image_handle_release(handle); }
};
struct ImageRelease {
    void operator()(heif_image *image) const { Heif()->heif_image_release(image); }
};
struct OptionsRelease {
    void operator()(heif_decoding_options *options) const { Heif()->heif_decoding_options_free(options); }
};
struct NclxRelease {
    void operator()(heif_color_profile_nclx *nclx) const { Heif()->heif_nclx_color_profile_free(nclx); }
};
using Context = std::unique_ptr<heif_context, ContextRelease>;
using Handle = std::unique_ptr<heif_image_handle, HandleRelease>;
using Image = std::unique_ptr<heif_image, ImageRelease>;

LoadProblem ProblemOf(const heif_error &error)
{
    if (error.code == heif_error_Memory_allocation_error)
        return LoadProblem::TooLarge;
    if (error.subcode == heif_suberror_Security_limit_exceeded)
        return LoadProblem::TooLarge;
    // An HEIF holding a codec libheif has no decoder for (JPEG 2000, VVC, …) is a format we do not read.
    if (error.code == heif_error_Unsupported_filetype || error.subcode == heif_suberror_Unsupported_codec)
        return LoadProblem::NotAPicture;
    return LoadProblem::Damaged;
}

// The primary picture of a file read from memory (the bytes stay with the caller).
struct Opened {
    Context context;
    Handle handle;
    LoadProblem problem = LoadProblem::None;
};

Opened Open(const QByteArray &bytes, int threads)
{
    Opened opened;
    if (!Heif()) { // libheif is not installed: no HEIF can be read
        opened.problem = LoadProblem::NotAPicture;
        return opened;
    }
    opened.context.reset(Heif()->heif_context_alloc());
    if (!opened.context) {
        opened.problem = LoadProblem::NoResources;
        return opened;
    }
    Heif()->heif_context_set_maximum_image_size_limit(opened.context.get(), kLargestSide);
    Heif()->heif_context_set_max_decoding_threads(opened.context.get(), std::max(1, threads));
    heif_error error = Heif()->heif_context_read_from_memory_without_copy(opened.context.get(), bytes.constData(),
                                                                  std::size_t(bytes.size()), nullptr);
    if (error.code != heif_error_Ok) {
        opened.problem = ProblemOf(error);
        return opened;
    }
    heif_image_handle *handle = nullptr;
    error = Heif()->heif_context_get_primary_image_handle(opened.context.get(), &handle);
    opened.handle.reset(handle);
    if (error.code != heif_error_Ok || !handle)
        opened.problem = ProblemOf(error);
    return opened;
}

// The nclx description the file gives its primary picture: its 'colr' box, or else the coded stream's own.
heif_color_profile_nclx *FindNclx(const heif_image_handle *handle, const heif_image *image)
{
    heif_color_profile_nclx *nclx = nullptr;
    if (Heif()->heif_image_handle_get_nclx_color_profile(handle, &nclx).code == heif_error_Ok && nclx)
        return nclx;
    if (Heif()->heif_image_get_nclx_color_profile(image, &nclx).code == heif_error_Ok && nclx)
        return nclx;
    return nullptr;
}

// Tags the picture with the colour space the file gives its primary picture; false when it gives
// one that cannot be used.
bool TagWithFileColours(QImage &image, const heif_image_handle *handle, const heif_image *decoded)
{
    const heif_color_profile_type type = Heif()->heif_image_handle_get_color_profile_type(handle);
    if (type == heif_color_profile_type_rICC || type == heif_color_profile_type_prof) {
        QByteArray icc(qsizetype(Heif()->heif_image_handle_get_raw_color_profile_size(handle)), Qt::Uninitialized);
        if (icc.isEmpty() || Heif()->heif_image_handle_get_raw_color_profile(handle, icc.data()).code != heif_error_Ok)
            return false;
        return TagWithProfile(image, icc);
    }
    // An nclx description in a 'colr' box, or else in the coded stream itself (AVIF's sequence header).
    heif_color_profile_nclx *nclx = FindNclx(handle, decoded);
    if (!nclx)
        return true; // nothing said: sRGB
    const std::unique_ptr<heif_color_profile_nclx, NclxRelease> owned(nclx);
    const Chromaticities primaries{{nclx->color_primary_red_x, nclx->color_primary_red_y},
                                   {nclx->color_primary_green_x, nclx->color_primary_green_y},
                                   {nclx->color_primary_blue_x, nclx->color_primary_blue_y},
                                   {nclx->color_primary_white_x, nclx->color_primary_white_y}};
    return TagWithPrimaries(image, primaries, int(nclx->transfer_characteristics));
}

// libheif's RGBA bytes in place as Qt's 0xAARRGGBB words: red and blue change places.
void SwapRedAndBlue(uchar *pixels, int width, int height, int stride)
{
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<quint32 *>(pixels + qsizetype(y) * stride);
        for (int x = 0; x < width; ++x) {
            const quint32 rgba = qFromLittleEndian(row[x]); // bytes R, G, B, A
            row[x] = (rgba & 0xFF00FF00u) | ((rgba & 0xFFu) << 16) | ((rgba >> 16) & 0xFFu);
        }
    }
}

// libde265 and dav1d free their decoding buffers before libheif makes the 32-bit picture, but once
// glibc's mmap threshold has grown (it does after the first large free, or `velmora apply` sets it)
// the freed buffers stay in the heap and the picture comes on top of them: a 12-megapixel HEIC peaked
// at 154 MB instead of 112. For the decode, buffers of a megabyte and more are mapped and given back
// when freed; afterwards the threshold stands where glibc's own growth would have taken it.
class MappedLargeBuffers {
public:
    MappedLargeBuffers()
    {
#if defined(__GLIBC__)
        mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
    }
    ~MappedLargeBuffers()
    {
#if defined(__GLIBC__)
        mallopt(M_MMAP_THRESHOLD, 32 << 20);
#endif
    }
    MappedLargeBuffers(const MappedLargeBuffers &) = delete;
    MappedLargeBuffers &operator=(const MappedLargeBuffers &) = delete;
};

// The decoded planes straight into the 32-bit picture: libheif hands a picture decoded to its own
// colour space as separate R, G, B planes at 4:4:4 (or one grey plane), of up to 16 bits, alpha beside
// them, its matrix and range already applied. Its own interleaved RGBA of samples past 8 bits goes
// through 64-bit pixels and a second full-size copy. Nothing for other layouts, which are left to
// libheif; a null picture when memory runs out.
std::optional<QImage> FromPlanes(const heif_image *image)
{
    const heif_colorspace space = Heif()->heif_image_get_colorspace(image);
    const bool grey = space == heif_colorspace_monochrome;
    if (!grey && (space != heif_colorspace_RGB || Heif()->heif_image_get_chroma_format(image) != heif_chroma_444))
        return std::nullopt;
    const heif_channel channels[4] = {grey ? heif_channel_Y : heif_channel_R, grey ? heif_channel_Y : heif_channel_G,
                                      grey ? heif_channel_Y : heif_channel_B, heif_channel_Alpha};
    const bool alpha = Heif()->heif_image_has_channel(image, heif_channel_Alpha);
    const int width = Heif()->heif_image_get_width(image, channels[0]);
    const int height = Heif()->heif_image_get_height(image, channels[0]);
    if (width <= 0 || height <= 0)
        return std::nullopt;
    const uint8_t *planes[4] = {};
    int strides[4] = {}, bits[4] = {8, 8, 8, 8};
    for (int i = 0; i < (alpha ? 4 : 3); ++i) {
        planes[i] = Heif()->heif_image_get_plane_readonly(image, channels[i], &strides[i]);
        bits[i] = Heif()->heif_image_get_bits_per_pixel_range(image, channels[i]);
        if (!planes[i] || bits[i] < 8 || bits[i] > 16 || Heif()->heif_image_get_width(image, channels[i]) < width
            || Heif()->heif_image_get_height(image, channels[i]) < height)
            return std::nullopt;
    }

    QImage picture = AllocatePicture(QSize(width, height), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (picture.isNull())
        return picture;
    // One sample to 0..255: v × 255 / (2^bits − 1), rounded.
    const auto level = [](const uint8_t *row, int x, int depth) -> quint32 {
        if (depth == 8)
            return row[x];
        const quint32 v = reinterpret_cast<const uint16_t *>(row)[x];
        const quint32 maximum = (1u << depth) - 1;
        return (std::min(v, maximum) * 255 + maximum / 2) / maximum;
    };
    for (int y = 0; y < height; ++y) {
        const uint8_t *rows[4];
        for (int i = 0; i < 4; ++i)
            rows[i] = planes[i] ? planes[i] + qsizetype(y) * strides[i] : nullptr;
        auto *out = reinterpret_cast<quint32 *>(picture.scanLine(y));
        if (bits[0] == 8 && bits[1] == 8 && bits[2] == 8 && !alpha) {
            for (int x = 0; x < width; ++x)
                out[x] = 0xFF000000u | quint32(rows[0][x]) << 16 | quint32(rows[1][x]) << 8 | rows[2][x];
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const quint32 opacity = alpha ? level(rows[3], x, bits[3]) : 255u;
            out[x] = opacity << 24 | level(rows[0], x, bits[0]) << 16 | level(rows[1], x, bits[1]) << 8
                     | level(rows[2], x, bits[2]);
        }
    }
    return picture;
}

void ReleaseImage(void *image) { Heif()->heif_image_release(static_cast<heif_image *>(image)); }

} // namespace

bool IsHeif(const QByteArray &bytes)
{
    return IsHeifFile(reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size()));
}

DecodedHeif DecodeHeif(const QByteArray &bytes, qint64 limit, int threads)
{
    DecodedHeif out;
    out.picture.problem = LoadProblem::Damaged;
    Opened opened = Open(bytes, threads);
    if (opened.problem != LoadProblem::None) {
        out.picture.problem = opened.problem;
        return out;
    }
    const heif_image_handle *handle = opened.handle.get();
    const QSize upright(Heif()->heif_image_handle_get_width(handle), Heif()->heif_image_handle_get_height(handle));
    // The coded size (before a turn or a crop) is what the decoder allocates.
    const qint64 codedWidth = std::max(Heif()->heif_image_handle_get_ispe_width(handle), upright.width());
    const qint64 codedHeight = std::max(Heif()->heif_image_handle_get_ispe_height(handle), upright.height());
    if (upright.isEmpty() || codedWidth <= 0 || codedHeight <= 0)
        return out;
    // The decoded planes (up to 16 bits a sample, alpha beside them) and the 32-bit picture made of
    // them are held together while libheif converts one into the other.
    const int bits = std::max(8, Heif()->heif_image_handle_get_luma_bits_per_pixel(handle));
    const qint64 planes = codedWidth * codedHeight * (bits > 8 ? 2 : 1) * (Heif()->heif_image_handle_has_alpha_channel(handle) ? 4 : 3);
    if (planes + codedWidth * codedHeight * 4 > limit) {
        out.picture = {{}, LoadProblem::TooLarge, upright};
        return out;
    }

    const std::unique_ptr<heif_decoding_options, OptionsRelease> options(Heif()->heif_decoding_options_alloc());
    if (!options) {
        out.picture.problem = LoadProblem::NoResources;
        return out;
    }
    options->ignore_transformations = 0; // the file's own turn and mirror, applied once by libheif
    options->convert_hdr_to_8bit = 0; // deeper samples are brought to 8 bits here
    const MappedLargeBuffers mapped;
    heif_image *planar = nullptr;
    heif_error error = Heif()->heif_decode_image(handle, &planar, heif_colorspace_undefined, heif_chroma_undefined, options.get());
    Image native(planar);
    if (error.code != heif_error_Ok || !native) {
        out.picture.problem = ProblemOf(error);
        return out;
    }
    if (std::optional<QImage> converted = FromPlanes(planar)) {
        if (converted->isNull()) {
            out.picture.problem = LoadProblem::TooLarge;
            out.picture.declaredSize = upright;
            return out;
        }
        out.profileIgnored = !TagWithFileColours(*converted, handle, planar);
        out.picture = {std::move(*converted), LoadProblem::None, {}};
        return out;
    }
    native.reset(); // its memory back before libheif decodes the picture again, to RGBA
    options->convert_hdr_to_8bit = 1;

    heif_image *decoded = nullptr;
    error = Heif()->heif_decode_image(handle, &decoded, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, options.get());
    Image image(decoded);
    if (error.code != heif_error_Ok || !image) {
        out.picture.problem = ProblemOf(error);
        return out;
    }
    const int width = Heif()->heif_image_get_width(decoded, heif_channel_interleaved);
    const int height = Heif()->heif_image_get_height(decoded, heif_channel_interleaved);
    int stride = 0;
    uint8_t *pixels = Heif()->heif_image_get_plane(decoded, heif_channel_interleaved, &stride);
    if (!pixels || width <= 0 || height <= 0 || stride < width * 4 || stride % 4 != 0
        || Heif()->heif_image_get_bits_per_pixel_range(decoded, heif_channel_interleaved) != 8)
        return out;
    SwapRedAndBlue(pixels, width, height, stride);
    // The picture keeps libheif's memory: no second full-size copy.
    const QImage::Format format = Heif()->heif_image_handle_has_alpha_channel(handle) ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    QImage picture(pixels, width, height, stride, format, ReleaseImage, image.release());
    if (picture.isNull()) {
        ReleaseImage(decoded);
        return out;
    }
    out.profileIgnored = !TagWithFileColours(picture, handle, decoded);
    out.picture = {std::move(picture), LoadProblem::None, {}};
    return out;
}

HeifCameraData ReadHeifCameraData(const QByteArray &bytes)
{
    HeifCameraData data;
    const Opened opened = Open(bytes, 1);
    if (opened.problem != LoadProblem::None)
        return data;
    const heif_image_handle *handle = opened.handle.get();
    const int count = Heif()->heif_image_handle_get_number_of_metadata_blocks(handle, nullptr);
    std::vector<heif_item_id> ids(std::size_t(std::max(0, count)));
    Heif()->heif_image_handle_get_list_of_metadata_block_IDs(handle, nullptr, ids.data(), count);
    for (const heif_item_id id : ids) {
        const std::string type = Heif()->heif_image_handle_get_metadata_type(handle, id);
        const std::string contentType = Heif()->heif_image_handle_get_metadata_content_type(handle, id);
        QByteArray block(qsizetype(Heif()->heif_image_handle_get_metadata_size(handle, id)), Qt::Uninitialized);
        if (block.isEmpty() || Heif()->heif_image_handle_get_metadata(handle, id, block.data()).code != heif_error_Ok)
            continue;
        if (type == "Exif" && data.exif.isEmpty() && block.size() > 4) {
            // Four bytes tell how far past them the TIFF header lies (past an "Exif\0\0" most often).
            const quint32 skip = qFromBigEndian<quint32>(block.constData());
            if (skip < quint32(block.size() - 4))
                data.exif = block.mid(4 + qsizetype(skip));
        } else if (type == "mime" && contentType == "application/rdf+xml" && data.xmp.isEmpty()) {
            data.xmp = block;
        }
    }
    return data;
}

} // namespace velmora
