// Velmora — what a screen reader says of the window's controls. Without these, a field would be
// read by the frame it stands in ("校正工具" three times) and a picture as an unnamed filler.
#include <QLineEdit>
#include <QScrollBar>

#include "ui/widgets/picture_box.h"
#include "ui/window/main_form.h"
#include "ui/window/swatch_tone.h"
#include "ui/window/window_texts.h"

namespace velmora {

namespace {

// The tip the control shows under the pointer, when it has one, also explains it to the ear.
void Name(QWidget *w, const char *name, const char *help = nullptr)
{
    w->setAccessibleName(text::Tr(name));
    if (help)
        w->setAccessibleDescription(text::Tr(help));
    else if (!w->toolTip().isEmpty())
        w->setAccessibleDescription(w->toolTip());
}

} // namespace

void MainForm::nameForScreenReaders()
{
    Name(m_referenceArea, text::kSpeakReferenceArea);
    Name(m_targetArea, text::kSpeakTargetArea);
    Name(m_referencePicture, text::kSpeakReferencePicture);
    Name(m_targetPicture, text::kSpeakTargetPicture);
    Name(m_swatchArea, text::kSpeakSwatchArea);
    for (int i = 0; i < int(m_swatches.size()); ++i) {
        PictureBox *swatch = m_swatches[size_t(i)];
        swatch->setAccessibleName(SwatchAccessibleName(i, swatch->image()));
        swatch->setAccessibleDescription(swatch->toolTip());
    }
    Name(m_progressBar, text::kSpeakProgress, text::kSpeakProgressHelp);
    for (int f = 0; f < kFieldCount; ++f) {
        const char *help = f <= int(Field::ReferenceBlue)  ? text::kSpeakReferenceColourHelp
                           : f <= int(Field::TargetBlue)   ? text::kSpeakTargetColourHelp
                           : f <= int(Field::DifferenceBlue) ? text::kSpeakDifferenceHelp
                                                             : nullptr;
        Name(field(Field(f)), text::kSpeakFields[f], help);
    }
}

} // namespace velmora
