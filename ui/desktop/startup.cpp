// Velmora — what happens before the window is shown.
#include "ui/desktop/startup.h"

#include <cstdio>

#include <QApplication>

#include "ui/desktop/services.h"
#include "ui/desktop/app_style.h"
#include "ui/desktop/language_setting.h"
#include "ui/desktop/typefaces.h"
#include "ui/window/window_texts.h"

namespace velmora {

void ConfigureApplication()
{
    QApplication::setApplicationName(QString::fromUtf8(text::kAppTitle));
    QApplication::setOrganizationName(QString::fromUtf8(text::kAppTitle));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    // Ties the window to its launcher and software-centre entry (Wayland's app id, the taskbar's icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.velmora.velmora"));
    QApplication::setStyle(new AppStyle); // the application takes it over
    QApplication::setFont(DefaultTypeface());
    // The menu bar stays in the window, whose fixed height counts it, even on desktops that
    // offer a global one.
    QApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    // Our texts and Qt's own dialogs and messages in the window's language.
    if (!InstallTranslations(WindowLanguage()))
        std::fprintf(stderr, "velmora: the English translation is missing; the window stays in Chinese.\n");
}

bool StartUp(SingleInstance &instance, MessageBox &messages, EventLoop &loop, const std::function<bool()> &handOver)
{
    if (!instance.previousInstance())
        return true;
    if (handOver && handOver()) {
        loop.end();
        return false;
    }
    messages.show(text::TrUtf8(text::kAlreadyRunning), text::kAppTitle);
    loop.end();
    return false;
}

} // namespace velmora
