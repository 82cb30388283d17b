// Velmora — the window's Chinese typefaces, mapped to faces a Linux desktop has.
#pragma once

#include <QFont>

namespace velmora {

// Song (Ming) for the fields and the window, Hei for the command buttons, Kai for headings.
enum class Face { Song, Hei, Kai };

// The face at `points` as designed for a 96-dpi screen; the layout is in pixels, so the text is too.
QFont Typeface(Face face, double points, QFont::Weight weight = QFont::Normal);

// The window's default font: 9-point Song.
QFont DefaultTypeface();

// How many pixel rows of `font`'s ink hang below its line: the Song face claims a descent of one
// pixel at the window's sizes, so a box one line tall cuts off its underscores and descenders.
// Measured once per font by drawing them.
int InkBelowLine(const QFont &font);

} // namespace velmora
