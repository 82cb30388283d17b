// Velmora — the usage guide, the manual and the two ways out.
#include "ui/dialogs/manual_dialog.h"
#include "ui/window/main_form.h"
#include "ui/window/window_texts.h"

namespace velmora {

void MainForm::showGuide() { m_services.messages.show(text::TrUtf8(text::kGuide), text::TrUtf8(text::kGuideTitle)); }

void MainForm::showManual()
{
    if (!m_manual) {
        auto *dialog = new ManualDialog(this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        m_manual = dialog;
    }
    m_manual->show();
    m_manual->raise();
    m_manual->activateWindow();
}

// The about text carries the tone swatches' attribution, as the Monk scale's licence asks.
void MainForm::showAbout()
{
    m_services.messages.show((text::Tr(text::kAbout) + QStringLiteral("\n\n") + text::Tr(text::kSwatchCredit)).toStdString(),
                             text::TrUtf8(text::kAboutTitle));
}

void MainForm::quit()
{
    if (mayDropPhoto())
        m_services.loop.end();
}

} // namespace velmora
