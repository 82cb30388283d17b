// Velmora — what a JPEG holds besides its primary picture: an MPF index of further pictures (camera
// previews, HDR gain maps) and a motion photo's video after the end, with the XMP that points at them.
// A corrected output holds a new primary picture only, so everything that describes the old one's
// companions goes; a video is carried along when the output is a JPEG, as the clip stays valid.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// An APP2 marker's data that is an MPF index ("MPF\0" then a TIFF directory).
bool IsMpfIndex(const unsigned char *data, std::size_t length);

// An APP1 marker's data that is the standard XMP packet; the packet starts `XmpPrefixLength()` in.
bool IsXmpMarker(const unsigned char *data, std::size_t length);
std::size_t XmpPrefixLength();

// How many bytes at the file's end the XMP says are a motion photo's video: a Container directory
// item of semantic MotionPhoto (its Item:Length), else GCamera:MicroVideoOffset. Nothing when it
// claims none, or a length that is not a positive whole number.
std::optional<std::uint64_t> MotionVideoLength(std::string_view xmp);

// Whether `start` (the first bytes of a claimed trailer) looks like the MP4 / QuickTime video motion
// photos carry: a box whose type is "ftyp". Anything else is not carried, and its claims go.
bool LooksLikeVideo(const unsigned char *start, std::size_t length);
constexpr std::size_t kVideoProbeBytes = 8;

// The packet without claims on data the output will not hold: every hdrgm: property (a gain map
// describes the uncorrected photo), every Container directory item but the primary one (and the
// motion photo's, when `keepVideo`), the directory itself when nothing else is left, and without
// `keepVideo` the GCamera motion photo properties. The rest of the packet is left byte for byte.
std::string WithoutStaleClaims(std::string_view xmp, bool keepVideo);

} // namespace velmora
