// Velmora tests — uncompressed TIFFs written byte by byte, so a fixture owes nothing to the decoders
// under test.
#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

namespace velmora::fakes {

// An uncompressed TIFF of 8- or 16-bit samples written byte by byte, little-endian, its directory
// before its pixels so that a cut anywhere in the pixels leaves the directory whole. The directory
// claims width × height pixels of `spp` samples; `samples` may hold fewer.
inline QByteArray UncompressedTiff(quint32 width, quint32 height, quint16 spp, const QList<quint16> &samples,
                            quint16 orientation = 1, quint16 bits = 16)
{
    struct Entry {
        quint16 tag, type;
        quint32 count, value;
    };
    constexpr quint16 kShort = 3, kLong = 4;
    const quint32 dataBytes = width * height * spp * (bits / 8);
    QList<Entry> entries{{256, kLong, 1, width},   {257, kLong, 1, height},    {258, kShort, spp, 0},
                         {259, kShort, 1, 1},      {262, kShort, 1, spp >= 3 ? 2u : 1u},
                         {273, kLong, 1, 0},       {274, kShort, 1, orientation},
                         {277, kShort, 1, spp},    {278, kLong, 1, height},    {279, kLong, 1, dataBytes}};
    if (spp == 4)
        entries.append({338, kShort, 1, 2}); // unassociated alpha
    const quint32 bitsAt = 8 + 2 + 12 * quint32(entries.size()) + 4;
    const quint32 dataAt = bitsAt + 2 * spp;
    for (Entry &e : entries) {
        if (e.tag == 258)
            e.value = spp == 1 ? bits : spp == 2 ? (bits | quint32{bits} << 16) : bitsAt;
        if (e.tag == 273)
            e.value = dataAt;
    }
    QByteArray bytes("II*\0\x08\0\0\0", 8);
    const auto put16 = [&](quint16 v) { bytes += char(v & 0xFF); bytes += char(v >> 8); };
    const auto put32 = [&](quint32 v) { put16(quint16(v & 0xFFFF)); put16(quint16(v >> 16)); };
    put16(quint16(entries.size()));
    for (const Entry &e : entries) {
        put16(e.tag);
        put16(e.type);
        put32(e.count);
        put32(e.value);
    }
    put32(0); // no further directory
    for (int i = 0; i < spp; ++i)
        put16(bits);
    for (const quint16 v : samples) {
        if (bits == 8)
            bytes += char(v);
        else
            put16(v);
    }
    return bytes;
}

} // namespace velmora::fakes
