// Velmora — CMYK photos brought to sRGB through the colour profile they carry (Little CMS).
#pragma once

#include <memory>

#include <QByteArray>
#include <QtGlobal>

namespace velmora {

// The way from one CMYK profile's colours to sRGB, for rows of 4-byte pixels. Relative colorimetric:
// a press's colours lie almost wholly inside sRGB, so they are shown as printed (paper white as
// white) and skin keeps its measured tone; perceptual would also rescale the black point by how old
// the profile's format is, shifting dark tones by up to 17 levels for the same file.
class CmykTransform {
public:
    CmykTransform() = default;

    // Empty when the profile cannot be read, describes no CMYK device, or gives no way to sRGB.
    // `inverted`: the file stores 255 for no ink (Adobe's files); otherwise 255 is full ink.
    static CmykTransform FromProfile(const QByteArray &iccProfile, bool inverted);

    explicit operator bool() const { return m_transform != nullptr; }

    // Turns `width` CMYK pixels into Format_RGB32's bytes (B, G, R, 0xFF), in the same memory.
    void convertRow(uchar *row, int width) const;

private:
    struct Release {
        void operator()(void *transform) const;
    };
    std::unique_ptr<void, Release> m_transform;
};

} // namespace velmora
