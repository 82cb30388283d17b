// Velmora — a skin swatch in words.
#include "ui/window/swatch_tone.h"

#include "ui/window/window_texts.h"

namespace velmora {

QString SwatchToneText(const QImage &sample)
{
    if (sample.isNull())
        return text::Tr(text::kSpeakMediumTone);
    const QImage rgb = sample.convertToFormat(QImage::Format_RGB32);
    double luma = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            luma += 0.299 * qRed(row[x]) + 0.587 * qGreen(row[x]) + 0.114 * qBlue(row[x]);
    }
    luma /= double(rgb.width()) * rgb.height();
    // Rec. 601 brightness: pale skin sits well above the middle, dark skin well below it.
    if (luma >= 170)
        return text::Tr(text::kSpeakLightTone);
    if (luma >= 100)
        return text::Tr(text::kSpeakMediumTone);
    return text::Tr(text::kSpeakDarkTone);
}

QString SwatchAccessibleName(int index, const QImage &sample)
{
    return text::Tr(text::kSpeakSwatch).arg(index + 1).arg(SwatchToneText(sample));
}

} // namespace velmora
