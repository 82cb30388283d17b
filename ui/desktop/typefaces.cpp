// Velmora — the window's Chinese typefaces.
#include "ui/desktop/typefaces.h"

#include <cmath>

#include <QFontDatabase>
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

} // namespace velmora
