// Velmora tests — PNGs written byte by byte, chunk by chunk, with the 16-bit samples they hold and the
// pictures those samples must make.
#pragma once

#include <array>
#include <cmath>

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QtEndian>

namespace velmora::fakes {

inline quint32 Crc32(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline QByteArray PngChunk(const QByteArray &type, const QByteArray &data)
{
    QByteArray chunk(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), chunk.data());
    chunk += type + data;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(Crc32(type + data), crc.data());
    return chunk + crc;
}

inline QByteArray BigEndian32(quint32 v)
{
    QByteArray b(4, '\0');
    qToBigEndian<quint32>(v, b.data());
    return b;
}

// A small picture's 16-bit samples and the PNG that holds them, written here byte by byte (zlib
// through qCompress) so that the fixture owes nothing to the decoders under test.
struct DeepPicture {
    int width = 0;
    int height = 0;
    int colourType = 2; // PNG's: 0 grey, 2 RGB, 4 grey and alpha, 6 RGBA
    QList<quint16> samples; // row by row, then channel by channel
    QList<quint16> transparent; // the tRNS colour (one value for grey, three for RGB), if any

    int channels() const { return colourType == 0 ? 1 : colourType == 2 ? 3 : colourType == 4 ? 2 : 4; }
    quint16 at(int x, int y, int c) const { return samples[(qsizetype(y) * width + x) * channels() + c]; }
    // Red, green, blue and alpha at 16 bits, as the file means them.
    std::array<quint16, 4> rgba(int x, int y) const
    {
        const bool grey = colourType == 0 || colourType == 4;
        const quint16 r = at(x, y, 0), g = grey ? r : at(x, y, 1), b = grey ? r : at(x, y, 2);
        quint16 a = 65535;
        if (colourType == 4 || colourType == 6)
            a = at(x, y, channels() - 1);
        else if (!transparent.isEmpty() && (grey ? transparent[0] == r : transparent == QList<quint16>{r, g, b}))
            a = 0;
        return {r, g, b, a};
    }
};

// Edge cases of the rounding first, then a spread of values.
inline DeepPicture MakeDeep(int width, int height, int colourType)
{
    static const quint16 edges[] = {0, 127, 128, 257 * 100 + 128, 257 * 100 + 129, 0x7FFF, 0x8080, 65407, 65535};
    DeepPicture p{width, height, colourType, {}, {}};
    quint32 state = 2024;
    for (qsizetype i = 0; i < qsizetype(width) * height * p.channels(); ++i) {
        state = state * 1664525u + 1013904223u;
        p.samples.append(i < qsizetype(std::size(edges)) ? edges[i] : quint16(state >> 16));
    }
    return p;
}

// The rows as stored: each with filter byte 0, big-endian samples; the seven passes when interlaced.
inline QByteArray StoredRows(const DeepPicture &p, bool interlaced)
{
    QByteArray raw;
    const auto row = [&](int y, int x0, int dx) {
        raw += char(0);
        for (int x = x0; x < p.width; x += dx)
            for (int c = 0; c < p.channels(); ++c) {
                raw += char(p.at(x, y, c) >> 8);
                raw += char(p.at(x, y, c) & 0xFF);
            }
    };
    if (!interlaced) {
        for (int y = 0; y < p.height; ++y)
            row(y, 0, 1);
        return raw;
    }
    const int passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    for (const auto &pass : passes)
        if (pass[0] < p.width) // a pass with no columns has no rows either
            for (int y = pass[1]; y < p.height; y += pass[3])
                row(y, pass[0], pass[2]);
    return raw;
}

inline const QByteArray kPngSignature("\x89PNG\r\n\x1A\n");

inline QByteArray Ihdr(const DeepPicture &p, bool interlaced)
{
    return PngChunk("IHDR", BigEndian32(quint32(p.width)) + BigEndian32(quint32(p.height)) + char(16)
                                + char(p.colourType) + char(0) + char(0) + char(interlaced ? 1 : 0));
}

// `extra` goes between the header and the data (colour chunks); `idat` replaces the data chunk.
inline QByteArray DeepPng(const DeepPicture &p, bool interlaced, const QByteArray &extra = {}, QByteArray idat = {})
{
    QByteArray trns;
    for (const quint16 v : p.transparent)
        trns += char(v >> 8) + QByteArray(1, char(v & 0xFF));
    if (idat.isEmpty())
        idat = PngChunk("IDAT", qCompress(StoredRows(p, interlaced)).mid(4));
    return kPngSignature + Ihdr(p, interlaced) + extra + (trns.isEmpty() ? QByteArray() : PngChunk("tRNS", trns))
           + idat + PngChunk("IEND", {});
}

// What the loader must make of it: each channel v × 255 / 65535 rounded, in 32 bits.
inline QImage DeepModel(const DeepPicture &p)
{
    const bool alpha = p.colourType == 4 || p.colourType == 6 || !p.transparent.isEmpty();
    QImage model(p.width, p.height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const auto round = [](quint16 v) { return int(std::lround(v * 255.0 / 65535.0)); };
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const auto [r, g, b, a] = p.rgba(x, y);
            model.setPixel(x, y, qRgba(round(r), round(g), round(b), round(a)));
        }
    return model;
}

// The samples as ImageMagick should read them back: red, green, blue, alpha, 16 bits big-endian.
inline QByteArray DeepRgba(const DeepPicture &p)
{
    QByteArray out;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            for (const quint16 v : p.rgba(x, y))
                out += char(v >> 8) + QByteArray(1, char(v & 0xFF));
    return out;
}

} // namespace velmora::fakes
