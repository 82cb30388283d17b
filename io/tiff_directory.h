// Velmora — reading a TIFF structure's first directory (TIFF files, and EXIF data inside JPEGs).
#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora {

// Reads in the structure's own byte order; every read is checked against the end.
class TiffReader {
public:
    // data starts at the "II*\0" or "MM\0*" header; valid() is false for anything else.
    TiffReader(const std::uint8_t *data, std::int64_t size) : m_data(data), m_size(size)
    {
        if (size >= 8 && data[0] == data[1] && (data[0] == 'I' || data[0] == 'M')) {
            m_big = data[0] == 'M';
            m_valid = u16(2) == 42;
        }
    }

    bool valid() const { return m_valid; }
    bool has(std::int64_t at, std::int64_t count) const { return at >= 0 && count >= 0 && at + count <= m_size; }
    std::uint16_t u16(std::int64_t at) const
    {
        const std::uint16_t a = m_data[at], b = m_data[at + 1];
        return m_big ? std::uint16_t(a << 8 | b) : std::uint16_t(b << 8 | a);
    }
    std::uint32_t u32(std::int64_t at) const
    {
        return m_big ? std::uint32_t(u16(at)) << 16 | u16(at + 2) : std::uint32_t(u16(at + 2)) << 16 | u16(at);
    }

    // Where the first directory's entry for a tag starts (12 bytes: tag, type, count, value), or -1.
    std::int64_t findEntry(std::uint16_t tag) const
    {
        if (!m_valid)
            return -1;
        const std::int64_t ifd = u32(4);
        if (!has(ifd, 2))
            return -1;
        const int entries = u16(ifd);
        for (int i = 0; i < entries; ++i) {
            const std::int64_t entry = ifd + 2 + std::int64_t{i} * 12;
            if (!has(entry, 12))
                return -1;
            if (u16(entry) == tag)
                return entry;
        }
        return -1;
    }

private:
    const std::uint8_t *m_data;
    std::int64_t m_size;
    bool m_big = false;
    bool m_valid = false;
};

} // namespace velmora
