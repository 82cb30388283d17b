// Velmora — memory for decoded pictures.
#include "picture/picture_memory.h"

#include <cstdint>
#include <limits>
#include <mutex>
#include <unordered_map>

#include <sys/mman.h>

namespace velmora {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

struct Block {
    void *start = nullptr;
    std::size_t length = 0; // a whole number of huge pages
};

// The last picture's memory, kept for the next one of its size. Pictures can be dropped on any
// thread, so the slot is guarded.
std::mutex g_spareLock;
Block g_spare;
// The block behind each live picture, by its first byte, so a picture's memory can change hands.
std::unordered_map<const void *, Block *> g_live;

void Unmap(Block block)
{
    if (block.start)
        ::munmap(block.start, block.length);
}

Block TakeSpare(std::size_t length)
{
    std::lock_guard lock(g_spareLock);
    Block spare{};
    std::swap(spare, g_spare);
    if (spare.length == length)
        return spare;
    // A different size: holding it would only raise the peak of the load to come.
    Unmap(spare);
    return {};
}

// Maps length + one huge page and trims both ends so the block starts on a huge-page boundary.
Block MapAligned(std::size_t length)
{
    const std::size_t mapped = length + kHugePage;
    void *raw = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return {};
    const auto address = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (address + kHugePage - 1) & ~(std::uintptr_t{kHugePage} - 1);
    const std::size_t head = aligned - address;
    if (head)
        ::munmap(raw, head);
    if (mapped - head > length)
        ::munmap(reinterpret_cast<void *>(aligned + length), mapped - head - length);
    void *start = reinterpret_cast<void *>(aligned);
    ::madvise(start, length, MADV_HUGEPAGE); // only a hint; ordinary pages serve as well
    return {start, length};
}

// A block handed over to another picture has no start left and is only forgotten.
void ReturnToSpare(void *info)
{
    auto *block = static_cast<Block *>(info);
    Block old{};
    if (block->start) {
        // The system may take the spare's pages back if it runs short; untouched, they are
        // written again without a fault.
        ::madvise(block->start, block->length, MADV_FREE);
        std::lock_guard lock(g_spareLock);
        g_live.erase(block->start);
        old = g_spare;
        g_spare = *block;
    }
    Unmap(old);
    delete block;
}

qint64 BytesPerLine(QSize size, QImage::Format format)
{
    return ((qint64{size.width()} * QImage::toPixelFormat(format).bitsPerPixel() + 31) / 32) * 4;
}

QImage Wrap(Block *owned, QSize size, QImage::Format format)
{
    return QImage(static_cast<uchar *>(owned->start), size.width(), size.height(),
                  qsizetype(BytesPerLine(size, format)), format, ReturnToSpare, owned);
}

} // namespace

QImage AllocatePicture(QSize size, QImage::Format format)
{
    if (size.isEmpty() || format == QImage::Format_Invalid)
        return {};
    const qint64 bytesPerLine = BytesPerLine(size, format);
    const qint64 bytes = bytesPerLine * size.height();
    if (bytesPerLine > std::numeric_limits<qsizetype>::max() / 2 || bytes / bytesPerLine != size.height())
        return {};
    const std::size_t length = (std::size_t(bytes) + kHugePage - 1) & ~(kHugePage - 1);
    Block block = TakeSpare(length);
    if (!block.start)
        block = MapAligned(length);
    if (!block.start)
        return QImage(size, format);
    auto *owned = new Block(block);
    {
        std::lock_guard lock(g_spareLock);
        g_live[block.start] = owned;
    }
    QImage image = Wrap(owned, size, format);
    if (image.isNull()) // cleanup is not called for an image that was never made
        ReturnToSpare(owned);
    return image;
}

void PrepareToFill(char *data, std::size_t size)
{
    constexpr std::size_t kPage = 4096;
    if (size < std::size_t{1} << 20) // a few faults: not worth two calls
        return;
    const auto from = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t to = from + size;
    const std::uintptr_t hugeFrom = (from + kHugePage - 1) & ~(std::uintptr_t{kHugePage} - 1);
    const std::uintptr_t hugeTo = to & ~(std::uintptr_t{kHugePage} - 1);
    if (hugeTo > hugeFrom)
        ::madvise(reinterpret_cast<void *>(hugeFrom), hugeTo - hugeFrom, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
    const std::uintptr_t pageFrom = (from + kPage - 1) & ~(std::uintptr_t{kPage} - 1);
    const std::uintptr_t pageTo = to & ~(std::uintptr_t{kPage} - 1);
    if (pageTo > pageFrom)
        ::madvise(reinterpret_cast<void *>(pageFrom), pageTo - pageFrom, MADV_POPULATE_WRITE);
#endif
}

QImage TakeOverPicture(const QImage &picture, QSize size, QImage::Format format)
{
    if (!picture.isDetached() || size.isEmpty())
        return {};
    std::lock_guard lock(g_spareLock);
    const auto found = g_live.find(picture.constBits());
    if (found == g_live.end() || BytesPerLine(size, format) * size.height() > qint64(found->second->length))
        return {};
    auto *taken = new Block(*found->second);
    found->second->start = nullptr;
    found->second = taken;
    return Wrap(taken, size, format);
}

} // namespace velmora
