// make_swatches — BMP and PNG encoders small enough to need no image library.
#include "image_files.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>

namespace swatches {

namespace {

void PutLe(std::vector<std::uint8_t> &out, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

void PutBe32(std::vector<std::uint8_t> &out, std::uint32_t v)
{
    for (int i = 3; i >= 0; --i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

void PutBmpHeaders(std::vector<std::uint8_t> &out, const Swatch &s, std::uint32_t imageSize)
{
    out.push_back('B');
    out.push_back('M');
    PutLe(out, 14 + 40 + imageSize, 4);
    PutLe(out, 0, 4);
    PutLe(out, 14 + 40, 4);
    PutLe(out, 40, 4);
    PutLe(out, static_cast<std::uint32_t>(s.width), 4);
    PutLe(out, static_cast<std::uint32_t>(s.height), 4);
    PutLe(out, 1, 2);
    PutLe(out, 24, 2);
    PutLe(out, 0, 4);  // BI_RGB
    PutLe(out, imageSize, 4);
    PutLe(out, 2834, 4);  // 72 dpi
    PutLe(out, 2834, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
}

std::uint32_t Crc32(const std::uint8_t *data, std::size_t n)
{
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
        c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    }
    return c ^ 0xFFFFFFFFu;
}

void PutChunk(std::vector<std::uint8_t> &out, const char *type, const std::vector<std::uint8_t> &data)
{
    PutBe32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBe32(out, Crc32(out.data() + start, out.size() - start));
}

// A zlib stream of "stored" deflate blocks: no compression library needed, and at 32x32 the
// size does not matter.
std::vector<std::uint8_t> StoredZlib(const std::vector<std::uint8_t> &raw)
{
    std::vector<std::uint8_t> z = {0x78, 0x01};
    for (std::size_t pos = 0; pos < raw.size() || pos == 0;) {
        const std::size_t len = std::min<std::size_t>(65535, raw.size() - pos);
        const bool last = pos + len == raw.size();
        z.push_back(last ? 1 : 0);
        PutLe(z, static_cast<std::uint32_t>(len), 2);
        PutLe(z, static_cast<std::uint32_t>(~len & 0xFFFF), 2);
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos), raw.begin() + static_cast<std::ptrdiff_t>(pos + len));
        pos += len;
        if (last) {
            break;
        }
    }
    std::uint32_t a = 1, b = 0;  // Adler-32
    for (std::uint8_t v : raw) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    PutBe32(z, (b << 16) | a);
    return z;
}

}  // namespace

// Rows go bottom-up, each padded to 4 bytes.
std::vector<std::uint8_t> EncodeBmp(const Swatch &s)
{
    const std::uint32_t stride = (static_cast<std::uint32_t>(s.width) * 3 + 3) & ~3u;
    std::vector<std::uint8_t> out;
    PutBmpHeaders(out, s, stride * static_cast<std::uint32_t>(s.height));
    for (int y = s.height - 1; y >= 0; --y) {
        for (int x = 0; x < s.width; ++x) {
            const std::size_t o = (static_cast<std::size_t>(y) * s.width + x) * 3;
            out.push_back(s.rgb[o + 2]);
            out.push_back(s.rgb[o + 1]);
            out.push_back(s.rgb[o]);
        }
        for (std::uint32_t pad = static_cast<std::uint32_t>(s.width) * 3; pad < stride; ++pad) {
            out.push_back(0);
        }
    }
    return out;
}

std::vector<std::uint8_t> EncodePng(const Swatch &s)
{
    std::vector<std::uint8_t> raw;
    for (int y = 0; y < s.height; ++y) {
        raw.push_back(0);  // filter: none
        const auto row = s.rgb.begin() + static_cast<std::ptrdiff_t>(y) * s.width * 3;
        raw.insert(raw.end(), row, row + s.width * 3);
    }
    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    PutBe32(header, static_cast<std::uint32_t>(s.width));
    PutBe32(header, static_cast<std::uint32_t>(s.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter variants, not interlaced
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IDAT", StoredZlib(raw));
    PutChunk(out, "IEND", {});
    return out;
}

bool WriteFile(const std::filesystem::path &path, const std::vector<std::uint8_t> &bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    f.close();
    if (!f) {
        std::fprintf(stderr, "make_swatches: cannot write %s\n", path.string().c_str());
        return false;
    }
    return true;
}

}  // namespace swatches
