// Velmora — one memory budget for the whole process, shared by the photos corrected at once.
#include "picture/memory_budget.h"

#include <algorithm>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include "io/heif_boxes.h"
#include "picture/picture_loader.h"

namespace velmora {

MemoryBudget::Reservation::Reservation(Reservation &&other) noexcept
    : m_budget(std::exchange(other.m_budget, nullptr)), m_bytes(std::exchange(other.m_bytes, 0))
{
}

MemoryBudget::Reservation &MemoryBudget::Reservation::operator=(Reservation &&other) noexcept
{
    if (this != &other) {
        release();
        m_budget = std::exchange(other.m_budget, nullptr);
        m_bytes = std::exchange(other.m_bytes, 0);
    }
    return *this;
}

void MemoryBudget::Reservation::release()
{
    if (m_budget)
        m_budget->giveBack(m_bytes);
    m_budget = nullptr;
    m_bytes = 0;
}

qint64 MemoryBudget::total() const { return m_total > 0 ? m_total : PictureMemoryLimit(); }

qint64 MemoryBudget::held() const
{
    std::lock_guard lock(m_lock);
    return m_held;
}

MemoryBudget::Reservation MemoryBudget::reserve(qint64 bytes)
{
    if (bytes <= 0)
        return {};
    std::unique_lock lock(m_lock);
    const qint64 wanted = std::min(bytes, total());
    m_freed.wait(lock, [&] { return m_held + wanted <= total() || m_held == 0; });
    m_held += wanted;
    return {this, wanted};
}

void MemoryBudget::giveBack(qint64 bytes)
{
    {
        std::lock_guard lock(m_lock);
        m_held -= bytes;
    }
    m_freed.notify_all();
}

MemoryBudget &PictureMemoryBudget()
{
    static MemoryBudget budget;
    return budget;
}

namespace {

// What the header of a regular file claims.
struct Claim {
    qint64 fileBytes = 0;
    qint64 width = 0, height = 0;
    bool progressive = false;  // JPEG only
    double samplesPerPixel = 3; // JPEG only: the components' samples, by their subsampling
};

qint64 Read16(const uchar *p) { return (qint64{p[0]} << 8) | p[1]; }

// A JPEG's frame header, from the markers before its first scan.
bool ReadJpegFrame(const QByteArray &head, Claim &claim)
{
    const auto *b = reinterpret_cast<const uchar *>(head.constData());
    const qint64 n = head.size();
    qint64 at = 2;
    while (at + 4 <= n) {
        if (b[at] != 0xFF)
            return false;
        const uchar marker = b[at + 1];
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            at += 2;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9)
            return false; // a scan or the end before any frame
        const qint64 length = Read16(b + at + 2);
        if (length < 2)
            return false;
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (at + 2 + 8 > n)
                return false;
            const uchar *f = b + at + 4;
            claim.height = Read16(f + 1);
            claim.width = Read16(f + 3);
            const int components = f[5];
            claim.progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
            int hMax = 1, vMax = 1;
            if (components < 1 || at + 2 + 8 + 3 * components > n)
                return claim.width > 0 && claim.height > 0;
            for (int c = 0; c < components; ++c) {
                hMax = std::max(hMax, f[6 + 3 * c + 1] >> 4);
                vMax = std::max(vMax, f[6 + 3 * c + 1] & 15);
            }
            double samples = 0;
            for (int c = 0; c < components; ++c)
                samples += double(std::max(1, f[6 + 3 * c + 1] >> 4) * std::max(1, f[6 + 3 * c + 1] & 15))
                           / double(hMax * vMax);
            claim.samplesPerPixel = samples;
            return claim.width > 0 && claim.height > 0;
        }
        at += 2 + length;
    }
    return false;
}

// Opened without blocking and only when it is a regular file; the header read, nothing decoded.
bool ReadClaim(const QByteArray &localName, Claim &claim)
{
    const int fd = ::open(localName.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat st {};
    bool known = false;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        claim.fileBytes = st.st_size;
        // Markers before a JPEG's frame hold camera data and profiles: 64 KB each at most.
        QByteArray head(qsizetype(std::min<qint64>(st.st_size, 1 << 20)), Qt::Uninitialized);
        const ssize_t got = ::pread(fd, head.data(), std::size_t(head.size()), 0);
        head.resize(got > 0 ? qsizetype(got) : 0);
        const auto *headBytes = reinterpret_cast<const std::uint8_t *>(head.constData());
        if (head.startsWith("\xFF\xD8\xFF")) {
            known = ReadJpegFrame(head, claim);
        } else if (IsHeifFile(headBytes, std::size_t(head.size()))) {
            // Its 'meta' box comes first in every phone's file; the pixels follow.
            if (const auto heif = ReadHeifClaim(headBytes, std::size_t(head.size()))) {
                claim.width = heif->width;
                claim.height = heif->height;
                known = claim.width > 0 && claim.height > 0;
            }
        } else {
            // TIFF keeps its directory anywhere in the file: the reader may seek in it.
            QFile file;
            if (file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
                QImageReader reader(&file);
                const QSize size = reader.size();
                known = size.isValid() && !size.isEmpty();
                claim.width = size.width();
                claim.height = size.height();
            }
        }
    }
    ::close(fd);
    return known;
}

} // namespace

qint64 WholePictureNeeds(const QByteArray &localName)
{
    Claim claim;
    if (!ReadClaim(localName, claim))
        return claim.fileBytes;
    const qint64 pixels = claim.width * claim.height;
    // A progressive JPEG's coefficients are held until its last scan, beside the picture.
    const qint64 coefficients = claim.progressive ? qint64(double(pixels) * claim.samplesPerPixel * 2) : 0;
    return claim.fileBytes + 2 * pixels * 4 + coefficients;
}

qint64 BandedJpegNeeds(const QByteArray &localName)
{
    Claim claim;
    if (!ReadClaim(localName, claim))
        return 0;
    // Each coefficient is two bytes; a baseline JPEG is held a few bands of rows at a time.
    if (claim.progressive)
        return qint64(double(claim.width * claim.height) * claim.samplesPerPixel * 2);
    constexpr qint64 kBandRows = 256;
    return claim.width * kBandRows * 4;
}

} // namespace velmora
