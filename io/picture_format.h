// Velmora — every picture format the program reads or writes, in one table: names, file endings,
// MIME types, and what each can hold.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

enum class PictureFormat { Jpeg, Png, Bmp, Gif, Ico, Tiff, WebP, Heif, Avif };

struct FormatInfo {
    PictureFormat format;
    std::string_view name;                 // as lists and dialogs show it: "JPEG"
    std::vector<std::string_view> endings; // lower case, no dot; a new file gets the first
    std::vector<std::string_view> mimeTypes;
    bool written;         // Velmora writes it (a corrected photo can be saved in it)
    bool holdsCameraData; // EXIF, XMP and IPTC go into it on saving
};

// Every format, in the order lists show them.
std::span<const FormatInfo> PictureFormats();
const FormatInfo &InfoOf(PictureFormat format);

// The format of a file ending, any case, with or without its dot ("JPG", ".jpeg"); nothing for
// endings of no format we know.
std::optional<PictureFormat> FormatOfEnding(std::string_view ending);
// The format a file's name asks for by its ending; nothing when it has none we know.
std::optional<PictureFormat> FormatOfPath(std::string_view path);
// The same, only for the formats Velmora writes.
std::optional<PictureFormat> WrittenFormatOfEnding(std::string_view ending);
std::optional<PictureFormat> WrittenFormatOfPath(std::string_view path);
// The format a corrected copy of a file keeps when none is asked for: its own where Velmora writes
// it, JPEG for HEIF and AVIF photos (a phone's lossy photo stays a lossy photo any viewer opens);
// nothing for other formats Velmora only reads, and for endings of no format we know.
std::optional<PictureFormat> KeptFormatOfPath(std::string_view path);

// The ending a new file of the format gets, with its dot: ".jpg".
std::string EndingOf(PictureFormat format);

} // namespace velmora
