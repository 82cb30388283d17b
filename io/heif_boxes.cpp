// Velmora — what an HEIF file says in its boxes before anything is decoded.
#include "io/heif_boxes.h"

#include <array>
#include <cstring>
#include <vector>

namespace velmora {

namespace {

std::uint32_t Big32(const std::uint8_t *p) { return std::uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }
std::uint16_t Big16(const std::uint8_t *p) { return std::uint16_t(p[0] << 8 | p[1]); }

// One box of a sequence: where its body lies.
struct Box {
    char type[4];
    const std::uint8_t *body;
    std::size_t size;
};

// The boxes in [data, data + size) one after another; false at a header that runs past the end.
// A box claiming more than is there is cut to what is there: a head of the file may end in one.
template <typename Visit>
bool EachBox(const std::uint8_t *data, std::size_t size, Visit visit)
{
    std::size_t at = 0;
    while (size - at >= 8) {
        std::uint64_t length = Big32(data + at);
        std::size_t header = 8;
        if (length == 1) {
            if (size - at < 16)
                return false;
            length = std::uint64_t(Big32(data + at + 8)) << 32 | Big32(data + at + 12);
            header = 16;
        } else if (length == 0) {
            length = size - at;
        }
        if (length < header)
            return false;
        Box box;
        std::memcpy(box.type, data + at + 4, 4);
        box.body = data + at + header;
        box.size = std::size_t(std::min<std::uint64_t>(length, size - at) - header);
        if (!visit(box))
            return true;
        if (length >= size - at)
            return true;
        at += std::size_t(length);
    }
    return true;
}

bool Is(const Box &box, const char *type) { return std::memcmp(box.type, type, 4) == 0; }

bool IsPictureBrand(const std::uint8_t *brand)
{
    static constexpr std::array<const char *, 10> kBrands{"heic", "heix", "heim", "heis", "hevc",
                                                          "hevx", "mif1", "msf1", "avif", "avis"};
    for (const char *b : kBrands)
        if (std::memcmp(brand, b, 4) == 0)
            return true;
    return false;
}

} // namespace

bool IsHeifFile(const std::uint8_t *data, std::size_t size)
{
    if (size < 16 || std::memcmp(data + 4, "ftyp", 4) != 0)
        return false;
    const std::size_t length = std::min<std::size_t>(Big32(data), size);
    if (length < 16)
        return false;
    if (IsPictureBrand(data + 8))
        return true;
    for (std::size_t at = 16; at + 4 <= length; at += 4)
        if (IsPictureBrand(data + at))
            return true;
    return false;
}

std::optional<HeifClaim> ReadHeifClaim(const std::uint8_t *data, std::size_t size)
{
    if (!IsHeifFile(data, size))
        return std::nullopt;
    std::optional<Box> meta;
    EachBox(data, size, [&](const Box &box) {
        if (Is(box, "meta"))
            meta = box;
        return !meta;
    });
    if (!meta || meta->size < 4)
        return std::nullopt;

    std::optional<std::uint32_t> primary;
    std::vector<Box> properties; // 'ipco' in order: the 'ipma' indices count from 1
    std::optional<Box> ipma;
    EachBox(meta->body + 4, meta->size - 4, [&](const Box &box) {
        if (Is(box, "pitm") && box.size >= 6)
            primary = box.body[0] == 0 ? Big16(box.body + 4) : (box.size >= 8 ? Big32(box.body + 4) : 0);
        if (Is(box, "iprp"))
            EachBox(box.body, box.size, [&](const Box &inner) {
                if (Is(inner, "ipco"))
                    EachBox(inner.body, inner.size, [&](const Box &property) {
                        properties.push_back(property);
                        return true;
                    });
                if (Is(inner, "ipma"))
                    ipma = inner;
                return true;
            });
        return true;
    });
    if (!primary || !ipma || ipma->size < 8)
        return std::nullopt;

    const std::uint8_t *p = ipma->body;
    const std::uint8_t *end = ipma->body + ipma->size;
    const bool wideIds = p[0] >= 1;
    const bool wideIndices = (p[3] & 1) != 0;
    std::uint32_t entries = Big32(p + 4);
    p += 8;
    while (entries-- > 0) {
        const std::size_t idBytes = wideIds ? 4 : 2;
        if (end - p < std::ptrdiff_t(idBytes + 1))
            return std::nullopt;
        const std::uint32_t item = wideIds ? Big32(p) : Big16(p);
        p += idBytes;
        const int count = *p++;
        const std::size_t indexBytes = wideIndices ? 2 : 1;
        if (end - p < std::ptrdiff_t(count * indexBytes))
            return std::nullopt;
        for (int i = 0; i < count; ++i, p += indexBytes) {
            if (item != *primary)
                continue;
            const std::size_t index = wideIndices ? (Big16(p) & 0x7FFF) : (*p & 0x7F);
            if (index == 0 || index > properties.size())
                continue;
            const Box &property = properties[index - 1];
            if (Is(property, "ispe") && property.size >= 12)
                return HeifClaim{Big32(property.body + 4), Big32(property.body + 8)};
        }
    }
    return std::nullopt;
}

} // namespace velmora
