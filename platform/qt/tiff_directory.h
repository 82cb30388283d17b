// Velmora — reading a TIFF structure's first directory (TIFF files, and EXIF data inside JPEGs).
#pragma once

#include <QtGlobal>

namespace velmora {

// Reads in the structure's own byte order; every read is checked against the end.
class TiffReader {
public:
    // data starts at the "II*\0" or "MM\0*" header; valid() is false for anything else.
    TiffReader(const uchar *data, qsizetype size) : m_data(data), m_size(size)
    {
        if (size >= 8 && data[0] == data[1] && (data[0] == 'I' || data[0] == 'M')) {
            m_big = data[0] == 'M';
            m_valid = u16(2) == 42;
        }
    }

    bool valid() const { return m_valid; }
    bool has(qint64 at, qint64 count) const { return at >= 0 && count >= 0 && at + count <= m_size; }
    quint16 u16(qint64 at) const
    {
        const quint16 a = m_data[at], b = m_data[at + 1];
        return m_big ? quint16(a << 8 | b) : quint16(b << 8 | a);
    }
    quint32 u32(qint64 at) const
    {
        return m_big ? quint32(u16(at)) << 16 | u16(at + 2) : quint32(u16(at + 2)) << 16 | u16(at);
    }

    // Where the first directory's entry for a tag starts (12 bytes: tag, type, count, value), or -1.
    qint64 findEntry(quint16 tag) const
    {
        if (!m_valid)
            return -1;
        const qint64 ifd = u32(4);
        if (!has(ifd, 2))
            return -1;
        const int entries = u16(ifd);
        for (int i = 0; i < entries; ++i) {
            const qint64 entry = ifd + 2 + qint64{i} * 12;
            if (!has(entry, 12))
                return -1;
            if (u16(entry) == tag)
                return entry;
        }
        return -1;
    }

private:
    const uchar *m_data;
    qsizetype m_size;
    bool m_big = false;
    bool m_valid = false;
};

} // namespace velmora
