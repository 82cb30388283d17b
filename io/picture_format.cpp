// Velmora — the format table.
#include "io/picture_format.h"

#include <algorithm>
#include <cctype>

namespace velmora {

namespace {

const std::vector<FormatInfo> &Table()
{
    static const std::vector<FormatInfo> table{
        {PictureFormat::Jpeg, "JPEG", {"jpg", "jpeg"}, {"image/jpeg"}, true, true},
        {PictureFormat::Png, "PNG", {"png"}, {"image/png"}, true, true},
        {PictureFormat::Bmp, "BMP", {"bmp"}, {"image/bmp", "image/x-bmp"}, true, false},
        {PictureFormat::Gif, "GIF", {"gif"}, {"image/gif"}, false, false},
        {PictureFormat::Ico, "ICO", {"ico"}, {"image/x-icon", "image/vnd.microsoft.icon"}, false, false},
        {PictureFormat::Tiff, "TIFF", {"tif", "tiff"}, {"image/tiff"}, true, true},
        {PictureFormat::WebP, "WebP", {"webp"}, {"image/webp"}, true, true},
        // ".hif" is what some cameras name their HEIF photos.
        {PictureFormat::Heif, "HEIF", {"heic", "heif", "hif"}, {"image/heic", "image/heif"}, false, false},
        {PictureFormat::Avif, "AVIF", {"avif"}, {"image/avif"}, false, false},
    };
    return table;
}

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

std::string_view EndingOfPath(std::string_view path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    // ".jpg" alone is a hidden file's whole name, not an ending.
    if (dot == std::string_view::npos || dot == 0)
        return {};
    return name.substr(dot + 1);
}

} // namespace

std::span<const FormatInfo> PictureFormats() { return Table(); }

const FormatInfo &InfoOf(PictureFormat format)
{
    return *std::find_if(Table().begin(), Table().end(), [format](const FormatInfo &f) { return f.format == format; });
}

std::optional<PictureFormat> FormatOfEnding(std::string_view ending)
{
    if (!ending.empty() && ending.front() == '.')
        ending.remove_prefix(1);
    for (const FormatInfo &f : Table())
        for (std::string_view e : f.endings)
            if (SameIgnoringCase(e, ending))
                return f.format;
    return std::nullopt;
}

std::optional<PictureFormat> FormatOfPath(std::string_view path) { return FormatOfEnding(EndingOfPath(path)); }

std::optional<PictureFormat> WrittenFormatOfEnding(std::string_view ending)
{
    const auto format = FormatOfEnding(ending);
    return format && InfoOf(*format).written ? format : std::nullopt;
}

std::optional<PictureFormat> WrittenFormatOfPath(std::string_view path)
{
    return WrittenFormatOfEnding(EndingOfPath(path));
}

std::optional<PictureFormat> KeptFormatOfPath(std::string_view path)
{
    const auto format = FormatOfPath(path);
    if (format == PictureFormat::Heif || format == PictureFormat::Avif)
        return PictureFormat::Jpeg;
    return format && InfoOf(*format).written ? format : std::nullopt;
}

std::string EndingOf(PictureFormat format)
{
    std::string ending(1, '.');
    return ending.append(InfoOf(format).endings.front());
}

} // namespace velmora
