// Velmora — what a decoder makes of a file's bytes.
#pragma once
#include <QImage>
#include <QSize>
namespace velmora {
// Why a file gave no picture; the window words each one.
// NoResources: too many files open or no memory for the open itself; the file may be fine.
enum class LoadProblem { None, Missing, NotAFile, Unreadable, NoResources, NotAPicture, Damaged, TooLarge };
struct DecodedPicture {
    QImage image;                            // Format_RGB32 or ARGB32 on success, upright
    LoadProblem problem = LoadProblem::None;
    QSize declaredSize;                      // for TooLarge: the size the file claims
};
} // namespace velmora
