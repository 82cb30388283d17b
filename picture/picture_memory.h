// Velmora — memory for decoded pictures.
#pragma once

#include <cstddef>

#include <QImage>
#include <QSize>

namespace velmora {

// An uninitialised picture whose pixels lie in 2 MB-aligned memory advised for transparent huge
// pages, so a decoder writing into it in place faults far fewer pages. Where that memory cannot be
// had it is an ordinary QImage. Null if there is no memory at all.
//
// The memory of the last picture dropped is kept as one spare and handed out again for a picture
// of the same byte size (a photo reloaded from its file): only memory that no QImage refers to any
// more reaches the spare, so a picture still shown is never written over.
QImage AllocatePicture(QSize size, QImage::Format format);

// A view of the memory of a picture made by AllocatePicture, as another size and format whose rows
// fit in it, that takes the memory over: when the original goes, the memory stays with the view. For
// converting to a smaller format in place. Null, changing nothing, for memory not made here or
// still shared with another QImage.
QImage TakeOverPicture(const QImage &picture, QSize size, QImage::Format format);

// Fresh memory about to be written whole (a file read into it): faulted in by one call, in huge
// pages where whole ones fit, since on a virtual machine every page fault is dear: a 6 MB file is
// read in a third of the time. Only a hint: without it the memory is faulted page by page.
void PrepareToFill(char *data, std::size_t size);

} // namespace velmora
