// Velmora — what the picker takes under the pointer, and the marks left where picks were made.
#include "core/sample_area.h"
#include "ui/widgets/picture_box.h"
#include "ui/window/main_form.h"

namespace velmora {

void MainForm::setSampleSize(int size)
{
    m_sampleSize = (size == 3 || size == 5 || size == 11) ? size : 1;
}

// Remembers the source and pixel too, so a pick can be marked where its colour came from.
ColourWord MainForm::sample(PictureBox *source, QPoint position)
{
    m_hoverSource = source;
    m_hoverPixel = position;
    return SampleMean(*source, position.x(), position.y(), m_sampleSize);
}

namespace {
std::optional<PickMark> MarkAt(PictureBox *box, QPoint pixel, int size)
{
    if (box->colourAt(pixel.x(), pixel.y()) == -1)
        return std::nullopt; // picked outside the picture: nothing there to mark
    return PickMark{pixel, size};
}
} // namespace

// One reference at a time, so one reference mark: on the reference picture or on a swatch.
void MainForm::markReferencePick(PictureBox *source)
{
    if (m_referenceMarked && m_referenceMarked != source)
        m_referenceMarked->setMark(std::nullopt);
    m_referenceMarked = source;
    source->setMark(m_hoverSource == source ? MarkAt(source, m_hoverPixel, m_sampleSize) : std::nullopt);
}

void MainForm::markTargetPick()
{
    PictureBox *target = m_targetPicture;
    target->setMark(m_hoverSource == target ? MarkAt(target, m_hoverPixel, m_sampleSize) : std::nullopt);
}

void MainForm::forgetMarks(PictureBox *picture)
{
    picture->setMark(std::nullopt);
    if (m_referenceMarked == picture)
        m_referenceMarked = nullptr;
}

} // namespace velmora
