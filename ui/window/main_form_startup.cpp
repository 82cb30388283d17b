// Velmora — the usage guide, the manual and the two ways out.
#include "ui/dialogs/manual_dialog.h"
#include "ui/window/main_form.h"
#include "ui/window/window_texts.h"

namespace velmora {

void MainForm::showGuide() { m_services.messages.show(text::kGuide, text::kGuideTitle); }

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

void MainForm::showAbout() { m_services.messages.show(text::kAbout, text::kAboutTitle); }

void MainForm::quit()
{
    if (finishSaveInFlight())
        m_services.loop.end();
}

} // namespace velmora
