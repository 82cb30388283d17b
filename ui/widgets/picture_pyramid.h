// Velmora — half-size copies of a picture, so a view below 1:1 never scales the full picture
// while it paints.
#pragma once

#include <vector>

#include <QImage>

namespace velmora {

// Level 0 is the picture itself and is not held here; level k + 1 is ceil(w / 2) × ceil(h / 2) of
// level k, each pixel the mean of the two-by-two block it covers (fewer at an odd right or bottom
// edge), every channel rounded half up. Levels go down to a single pixel.
class PicturePyramid {
public:
    // Makes every level from `picture` (32-bit RGB) anew.
    void build(const QImage &picture);
    // Remakes only what rows first..last of `picture` feed, after they were rewritten in place.
    void update(const QImage &picture, int first, int last);
    void clear() { m_levels.clear(); }

    // Number of levels held, not counting the picture itself.
    int depth() const { return int(m_levels.size()); }
    // Level `k` for 1 <= k <= depth().
    const QImage &level(int k) const { return m_levels[std::size_t(k - 1)]; }
    // The smallest level that still has at least one pixel for each view pixel at `zoom`; 0 at 1:1 and above.
    int levelFor(double zoom) const;

private:
    std::vector<QImage> m_levels;
};

// One level from the one above it, rows first..last of the result only.
void HalveRows(const QImage &from, QImage &to, int first, int last);

} // namespace velmora
