// Velmora — what happens before the window is shown.
#include "ui/startup.h"

#include <QApplication>

#include "platform/qt/picture_files.h"
#include "platform/services.h"
#include "ui/typefaces.h"
#include "ui/window_texts.h"

namespace velmora {

void ConfigureApplication()
{
    QApplication::setApplicationName(QString::fromUtf8(text::kAppTitle));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    QApplication::setFont(DefaultTypeface());
    SetPictureMemoryLimit();
}

bool StartUp(SingleInstance &instance, MessageBox &messages, EventLoop &loop)
{
    if (!instance.previousInstance())
        return true;
    messages.show(text::kAlreadyRunning, text::kAppTitle);
    loop.end();
    return false;
}

} // namespace velmora
