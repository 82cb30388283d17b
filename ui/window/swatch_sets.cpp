// Velmora — the swatch sets and the user's own swatches.
#include "ui/window/swatch_sets.h"

#include <QColor>
#include <QRegularExpression>

#include "core/skin_tones.h"
#include "picture/resource_bitmap.h"
#include "ui/window/window_texts.h"

namespace velmora {

namespace {

// The tone swatches' size, as make_swatches draws them.
constexpr QSize kSwatchSize(62, 75);

QString ToneName(const SkinTone &tone)
{
    switch (tone.source) {
    case ToneSource::Monk: return text::Tr(text::kMonkToneName).arg(tone.monkNumber);
    case ToneSource::CheckerLightSkin: return text::Tr(text::kChartLightSkinName);
    case ToneSource::CheckerDarkSkin: return text::Tr(text::kChartDarkSkinName);
    }
    return {};
}

SwatchContent ToneSwatch(std::size_t index)
{
    const SkinTone &tone = kSkinTones[index];
    const QImage picture = LoadResourceBitmap(QStringLiteral(":/swatches/%1.bmp").arg(QLatin1String(tone.file)));
    return {picture, text::SwatchToneTip(ToneName(tone), tone.rgb[0], tone.rgb[1], tone.rgb[2])};
}

} // namespace

std::array<SwatchContent, 4> SwatchesOf(SwatchSet set, const QList<QRgb> &mine)
{
    std::array<SwatchContent, 4> boxes;
    switch (set) {
    case SwatchSet::Designed:
        break;
    case SwatchSet::Monk1To4:
    case SwatchSet::Monk5To8:
    case SwatchSet::Monk9To10AndChart: {
        // Monk 1–4, 5–8, then 9, 10 and the chart's two: the table's order, four at a time.
        const std::size_t first = 4 * (std::size_t(set) - std::size_t(SwatchSet::Monk1To4));
        for (std::size_t i = 0; i < boxes.size(); ++i)
            boxes[i] = ToneSwatch(first + i);
        break;
    }
    case SwatchSet::Mine:
        for (int i = 0; i < int(boxes.size()) && i < mine.size(); ++i) {
            const QColor c(mine[i]);
            boxes[i] = {FlatSwatch(mine[i]),
                        text::SwatchToneTip(text::Tr(text::kMySwatchName), c.red(), c.green(), c.blue())};
        }
        break;
    }
    return boxes;
}

QImage FlatSwatch(QRgb colour)
{
    QImage picture(kSwatchSize, QImage::Format_RGB32);
    picture.fill(qRgb(qRed(colour), qGreen(colour), qBlue(colour)));
    return picture;
}

QList<QRgb> WithMySwatch(QList<QRgb> mine, QRgb colour)
{
    colour = qRgb(qRed(colour), qGreen(colour), qBlue(colour));
    mine.removeAll(colour);
    mine.prepend(colour);
    while (mine.size() > kMySwatchCount)
        mine.removeLast();
    return mine;
}

SwatchSet SwatchSetFrom(const QVariant &stored)
{
    bool ok = false;
    const int n = stored.toInt(&ok);
    return ok && n >= 0 && n < kSwatchSetCount ? SwatchSet(n) : SwatchSet::Designed;
}

QList<QRgb> MySwatchesFrom(const QVariant &stored)
{
    static const QRegularExpression kColour(QStringLiteral("^#[0-9a-fA-F]{6}$"));
    QList<QRgb> mine;
    for (const QString &name : stored.toStringList()) {
        if (!kColour.match(name).hasMatch())
            continue;
        const QRgb colour = QColor::fromString(name).rgb();
        if (!mine.contains(colour) && mine.size() < kMySwatchCount)
            mine.append(colour);
    }
    return mine;
}

QStringList MySwatchesForSettings(const QList<QRgb> &mine)
{
    QStringList names;
    for (QRgb c : mine)
        names << QColor(c).name(QColor::HexRgb);
    return names;
}

} // namespace velmora
