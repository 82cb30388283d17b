// Velmora tests — JPEG fixtures changed byte by byte: segments put in or taken out, a profile or an
// orientation carried, a size claimed, the scan found.
#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace velmora::fakes {

// A JPEG marker segment: FF, marker, big-endian length (which counts itself), payload.
inline QByteArray Segment(quint8 marker, const QByteArray &payload)
{
    const int length = payload.size() + 2;
    QByteArray s;
    s += char(0xFF);
    s += char(marker);
    s += char(length >> 8);
    s += char(length & 0xFF);
    return s + payload;
}

inline QByteArray AfterStart(const QByteArray &jpeg, const QByteArray &inserted) { return jpeg.left(2) + inserted + jpeg.mid(2); }

// The JPEG without the header segments of `marker` whose payload starts with `prefix`.
inline QByteArray WithoutSegments(const QByteArray &jpeg, quint8 marker, const QByteArray &prefix)
{
    QByteArray kept = jpeg.left(2);
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && quint8(jpeg[at]) == 0xFF && quint8(jpeg[at + 1]) != 0xDA) {
        const qsizetype length = (quint8(jpeg[at + 2]) << 8 | quint8(jpeg[at + 3])) + 2;
        if (quint8(jpeg[at + 1]) != marker || !jpeg.mid(at + 4, prefix.size()).startsWith(prefix))
            kept += jpeg.mid(at, length);
        at += length;
    }
    return kept + jpeg.mid(at);
}

inline const QByteArray kIccName("ICC_PROFILE\0", 12);

// A profile as numbered APP2 pieces, as large as a segment allows.
inline QByteArray IccSegments(const QByteArray &profile)
{
    constexpr int kPiece = 65533 - 14; // the name and the two numbers come first
    const int count = int((profile.size() + kPiece - 1) / kPiece);
    QByteArray segments;
    for (int i = 0; i < count; ++i)
        segments += Segment(0xE2, kIccName + char(i + 1) + char(count) + profile.mid(qsizetype(i) * kPiece, kPiece));
    return segments;
}

// The JPEG carrying `profile` (none if empty) in place of its own.
inline QByteArray WithProfile(const QByteArray &jpeg, const QByteArray &profile)
{
    const QByteArray bare = WithoutSegments(jpeg, 0xE2, kIccName);
    return profile.isEmpty() ? bare : AfterStart(bare, IccSegments(profile));
}

// An EXIF APP1 payload holding only the orientation, big-endian.
inline QByteArray ExifOrientation(int orientation)
{
    QByteArray p("Exif\0\0MM\0\x2A\0\0\0\x08\0\x01", 16);
    p += QByteArray("\x01\x12\0\x03\0\0\0\x01", 8);
    p += char(0);
    p += char(orientation);
    p += QByteArray("\0\0\0\0\0\0", 6);
    return p;
}

// Rewrites the width and height a JPEG's frame header claims.
inline QByteArray ClaimSize(QByteArray jpeg, int width, int height)
{
    for (qsizetype at = 2; at + 9 < jpeg.size(); ++at) {
        const quint8 marker = quint8(jpeg[at + 1]);
        if (quint8(jpeg[at]) == 0xFF && (marker == 0xC0 || marker == 0xC1 || marker == 0xC2)) {
            jpeg[at + 5] = char(height >> 8);
            jpeg[at + 6] = char(height & 0xFF);
            jpeg[at + 7] = char(width >> 8);
            jpeg[at + 8] = char(width & 0xFF);
            return jpeg;
        }
    }
    return {};
}

// Where the scan's data begins: after the start-of-scan segment.
inline qsizetype ScanData(const QByteArray &jpeg)
{
    const qsizetype sos = jpeg.indexOf("\xFF\xDA");
    return sos < 0 ? -1 : sos + 2 + (quint8(jpeg[sos + 2]) << 8 | quint8(jpeg[sos + 3]));
}

} // namespace velmora::fakes
