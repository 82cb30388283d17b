// Velmora — the photo's camera data carried from its file into a saved one, with Exiv2.
#include "picture/metadata_copy.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include <exiv2/exiv2.hpp>
#include <exiv2/webpimage.hpp>

#include "picture/heif_decoder.h"
#include "io/jpeg_containers.h"

namespace velmora {

namespace {

// Tags that describe how the original file stored its pixels; they are the new file's own business.
constexpr const char *kStorageTags[] = {
    "Exif.Image.NewSubfileType", "Exif.Image.SubfileType", "Exif.Image.BitsPerSample",
    "Exif.Image.Compression", "Exif.Image.PhotometricInterpretation", "Exif.Image.FillOrder",
    "Exif.Image.StripOffsets", "Exif.Image.SamplesPerPixel", "Exif.Image.RowsPerStrip",
    "Exif.Image.StripByteCounts", "Exif.Image.PlanarConfiguration", "Exif.Image.Predictor",
    "Exif.Image.TileWidth", "Exif.Image.TileLength", "Exif.Image.TileOffsets", "Exif.Image.TileByteCounts",
    "Exif.Image.ExtraSamples", "Exif.Image.SampleFormat", "Exif.Image.JPEGInterchangeFormat",
    "Exif.Image.JPEGInterchangeFormatLength", "Exif.Image.YCbCrCoefficients", "Exif.Image.YCbCrSubSampling",
    "Exif.Image.YCbCrPositioning", "Exif.Image.InterColorProfile", "Exif.Image.ImageWidth",
    "Exif.Image.ImageLength", "Exif.Image.XMLPacket", "Exif.Image.IPTCNAA", "Exif.Image.ImageResources",
};

void InitialiseOnce()
{
    // Exiv2's XMP toolkit must be set up once before any thread uses it.
    static std::once_flag once;
    std::call_once(once, [] { Exiv2::XmpParser::initialize(); });
}

template <typename Data, typename Key>
void Erase(Data &data, const char *key)
{
    auto it = data.findKey(Key(key));
    if (it != data.end())
        data.erase(it);
}

template <typename Data, typename Key>
bool Has(Data &data, const char *key)
{
    return data.findKey(Key(key)) != data.end();
}

void CleanExif(Exiv2::ExifData &exif, QSize size, bool hadImageSize)
{
    if (exif.empty())
        return;
    Exiv2::ExifThumb(exif).erase();
    for (auto it = exif.begin(); it != exif.end();) {
        const std::string group = it->groupName();
        it = group == "Thumbnail" || group.rfind("SubImage", 0) == 0 ? exif.erase(it) : std::next(it);
    }
    for (const char *key : kStorageTags)
        Erase<Exiv2::ExifData, Exiv2::ExifKey>(exif, key);
    exif["Exif.Image.Orientation"] = static_cast<uint16_t>(1);
    exif["Exif.Photo.PixelXDimension"] = static_cast<uint32_t>(size.width());
    exif["Exif.Photo.PixelYDimension"] = static_cast<uint32_t>(size.height());
    if (hadImageSize) {
        exif["Exif.Image.ImageWidth"] = static_cast<uint32_t>(size.width());
        exif["Exif.Image.ImageLength"] = static_cast<uint32_t>(size.height());
    }
    // The pixels are sRGB now, whatever the camera recorded them in.
    if (Has<Exiv2::ExifData, Exiv2::ExifKey>(exif, "Exif.Photo.ColorSpace"))
        exif["Exif.Photo.ColorSpace"] = static_cast<uint16_t>(1);
    if (Has<Exiv2::ExifData, Exiv2::ExifKey>(exif, "Exif.Iop.InteroperabilityIndex"))
        exif["Exif.Iop.InteroperabilityIndex"] = std::string("R98");
}

void CleanXmp(Exiv2::XmpData &xmp, QSize size)
{
    for (auto it = xmp.begin(); it != xmp.end();) {
        const std::string key = it->key();
        it = key.rfind("Xmp.xmp.Thumbnails", 0) == 0 ? xmp.erase(it) : std::next(it);
    }
    Erase<Exiv2::XmpData, Exiv2::XmpKey>(xmp, "Xmp.photoshop.ICCProfile");
    if (Has<Exiv2::XmpData, Exiv2::XmpKey>(xmp, "Xmp.tiff.Orientation"))
        xmp["Xmp.tiff.Orientation"] = "1";
    if (Has<Exiv2::XmpData, Exiv2::XmpKey>(xmp, "Xmp.exif.ColorSpace"))
        xmp["Xmp.exif.ColorSpace"] = "1";
    const std::string width = std::to_string(size.width()), height = std::to_string(size.height());
    for (const auto &[key, value] : {std::pair{"Xmp.exif.PixelXDimension", width}, std::pair{"Xmp.exif.PixelYDimension", height},
                                     std::pair{"Xmp.tiff.ImageWidth", width}, std::pair{"Xmp.tiff.ImageLength", height}})
        if (Has<Exiv2::XmpData, Exiv2::XmpKey>(xmp, key))
            xmp[key] = value;
}

QByteArray Contents(Exiv2::BasicIo &io)
{
    io.open();
    io.seek(0, Exiv2::BasicIo::beg);
    const long size = io.size();
    QByteArray bytes(size, Qt::Uninitialized);
    const long read = io.read(reinterpret_cast<Exiv2::byte *>(bytes.data()), size);
    io.close();
    return read == size ? bytes : QByteArray();
}

// The length of the video a motion photo's XMP says ends `original`, when its end holds one.
std::uint64_t VideoAtEnd(const std::string &packet, const QByteArray &original)
{
    const std::optional<std::uint64_t> length = MotionVideoLength(packet);
    if (!length || *length >= static_cast<std::uint64_t>(original.size()))
        return 0;
    const auto *start = reinterpret_cast<const unsigned char *>(original.constData()) + original.size() - *length;
    return LooksLikeVideo(start, static_cast<std::size_t>(*length)) ? *length : 0;
}

} // namespace

CopiedMetadata CopyMetadata(const QByteArray &original, const QByteArray &encoded, QSize size)
{
    if (original.isEmpty())
        return {encoded, false};
    InitialiseOnce();
    Exiv2::ExifData exif;
    Exiv2::XmpData xmp;
    Exiv2::IptcData iptc;
    std::string packet;
    try {
        if (IsHeif(original)) {
            // Exiv2 0.27 reads no HEIF; libheif hands over the blocks, Exiv2 parses them.
            const HeifCameraData camera = ReadHeifCameraData(original);
            if (!camera.exif.isEmpty())
                Exiv2::ExifParser::decode(exif, reinterpret_cast<const Exiv2::byte *>(camera.exif.constData()),
                                          static_cast<uint32_t>(camera.exif.size()));
            if (!camera.xmp.isEmpty() && Exiv2::XmpParser::decode(xmp, camera.xmp.toStdString()) != 0)
                xmp.clear();
            packet = camera.xmp.toStdString();
        } else {
            auto source = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte *>(original.constData()),
                                                    static_cast<long>(original.size()));
            source->readMetadata();
            exif = source->exifData();
            xmp = source->xmpData();
            iptc = source->iptcData();
            packet = source->xmpPacket();
        }
    } catch (const Exiv2::AnyError &) {
        return {encoded, false}; // unreadable metadata counts as none
    }
    if (exif.empty() && xmp.empty() && iptc.empty())
        return {encoded, false};

    const bool hadImageSize = Has<Exiv2::ExifData, Exiv2::ExifKey>(exif, "Exif.Image.ImageWidth");
    try {
        auto target = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte *>(encoded.constData()),
                                                static_cast<long>(encoded.size()));
        target->readMetadata();
        const bool tiff = target->imageType() == Exiv2::ImageType::tiff;
        // Exiv2 0.27 writes EXIF and XMP into WebP but declares no support for any metadata there.
        const bool webp = target->imageType() == Exiv2::ImageType::webp;
        // Only a JPEG carries a motion photo's video on; any other output loses the claims on it.
        const bool jpeg = target->imageType() == Exiv2::ImageType::jpeg;
        const std::uint64_t video = jpeg ? VideoAtEnd(packet, original) : 0;
        bool lost = false;
        if (!packet.empty()) {
            const std::string kept = WithoutStaleClaims(packet, video > 0);
            if (kept != packet) {
                xmp.clear();
                if (Exiv2::XmpParser::decode(xmp, kept) != 0) {
                    xmp.clear();
                    lost = true;
                }
            }
        }
        const auto supports = [&](Exiv2::MetadataId id) {
            return webp ? id != Exiv2::mdIptc : target->supportsMetadata(id);
        };
        CleanExif(exif, size, hadImageSize && !tiff);
        CleanXmp(xmp, size);
        const auto carry = [&](Exiv2::MetadataId id, bool present, auto set) {
            if (!present)
                return;
            if (supports(id))
                set();
            else
                lost = true;
        };
        carry(Exiv2::mdExif, !exif.empty(), [&] { target->setExifData(exif); });
        carry(Exiv2::mdXmp, !xmp.empty(), [&] { target->setXmpData(xmp); });
        carry(Exiv2::mdIptc, !iptc.empty(), [&] { target->setIptcData(iptc); });
        target->writeMetadata();
        QByteArray bytes = Contents(target->io());
        if (bytes.isEmpty())
            return {encoded, true};
        if (video > 0)
            bytes.append(original.right(static_cast<qsizetype>(video)));
        return {bytes, lost};
    } catch (const Exiv2::AnyError &) {
        return {encoded, true};
    }
}

} // namespace velmora
