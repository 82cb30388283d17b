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

} // namespace velmora
