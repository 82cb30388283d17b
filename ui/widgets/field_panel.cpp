// Velmora — the window's text fields and progress bar.
#include "ui/widgets/field_panel.h"

#include <QLineEdit>
#include <QScrollBar>

#include "ui/window/window_texts.h"

namespace velmora {

std::string FieldPanel::text(Field field) const { return edit(field)->text().toStdString(); }

void FieldPanel::setText(Field field, const std::string &text)
{
    // The pass writes its progress in the words of core, which knows no translations.
    const QString value = field == Field::TargetStatus ? text::PassProgressShown(text) : QString::fromStdString(text);
    if (edit(field)->text() != value) // an unchanged text costs no relayout
        edit(field)->setText(value);
}

void FieldPanel::setProgressMaximum(int maximum) { m_progressBar->setMaximum(maximum); }

void FieldPanel::setProgressValue(int value) { m_progressValue = value; }

void FieldPanel::flush()
{
    if (m_progressValue >= 0)
        m_progressBar->setValue(m_progressValue);
    m_progressValue = -1;
}

} // namespace velmora
