// Velmora — the usage guide and the two ways out.
#include "ui/window/main_form.h"
#include "ui/window/window_texts.h"

namespace velmora {

void MainForm::showGuide() { m_services.messages.show(text::kGuide, text::kGuideTitle); }

void MainForm::showAbout() { m_services.messages.show(text::kAbout, text::kAboutTitle); }

void MainForm::quit()
{
    if (mayDropPhoto())
        m_services.loop.end();
}

} // namespace velmora
