// Velmora — the window's Chinese typefaces.
#include "ui/desktop/typefaces.h"

#include <algorithm>
#include <cmath>

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QStringList>

namespace velmora {

namespace {

QStringList Families(Face face)
{
    // The Windows names come last: they match where such fonts are installed.
    switch (face) {
    case Face::Song: return {QStringLiteral("AR PL UMing CN"), QStringLiteral("宋体"), QStringLiteral("SimSun")};
    case Face::Hei:
        return {QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("黑体"), QStringLiteral("SimHei")};
    case Face::Kai:
        return {QStringLiteral("AR PL UKai CN"), QStringLiteral("楷体_GB2312"), QStringLiteral("KaiTi")};
    }
    return {};
}

// The first of a face's families that is installed, alone: a list of families makes Qt look up
// every other face the system could fall back on for each font as it is first used (a sorted
// font list per face and script), where one family defers that to a glyph the face lacks.
QStringList InstalledFamilies(Face face)
{
    static const QStringList installed = QFontDatabase::families();
    const QStringList wanted = Families(face);
    for (const QString &family : wanted)
        if (installed.contains(family))
            return {family};
    return wanted;
}

} // namespace

QFont Typeface(Face face, double points, QFont::Weight weight)
{
    QFont font;
    font.setFamilies(InstalledFamilies(face));
    font.setPixelSize(static_cast<int>(std::lround(points * 96 / 72)));
    font.setWeight(weight);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QFont DefaultTypeface() { return Typeface(Face::Song, 9); }

int InkBelowLine(const QFont &font)
{
    static QHash<QString, int> measured;
    const QString key = font.key();
    if (const auto found = measured.constFind(key); found != measured.cend())
        return *found;
    const QFontMetrics metrics(font);
    const QString sample = QStringLiteral("_gjpqy_");
    const int baseline = metrics.ascent() + 2;
    QImage canvas(metrics.horizontalAdvance(sample) + 8, baseline + 4 * metrics.height() + 8, QImage::Format_ARGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QPoint(4, baseline), sample);
    }
    int lowestInk = -1;
    for (int y = canvas.height() - 1; y >= 0 && lowestInk < 0; --y) {
        const auto *row = reinterpret_cast<const QRgb *>(canvas.constScanLine(y));
        for (int x = 0; x < canvas.width(); ++x)
            if (qGray(row[x]) < 250) {
                lowestInk = y;
                break;
            }
    }
    const int lastLineRow = baseline + metrics.descent() - 1;
    const int below = lowestInk < 0 ? 0 : std::max(0, lowestInk - lastLineRow);
    measured.insert(key, below);
    return below;
}

} // namespace velmora
