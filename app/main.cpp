// Velmora — start-up: one copy per user, then the window.
#include <QApplication>
#include <QScreen>
#include <QStyle>

#include "platform/qt/qt_services.h"
#include "ui/main_form.h"
#include "ui/startup.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    velmora::ConfigureApplication();

    velmora::QtMessageBox messages;
    velmora::QtBeeper beeper;
    velmora::QtEventLoop loop;
    velmora::QtFilePicker files;
    velmora::QtSingleInstance instance;
    if (!velmora::StartUp(instance, messages, loop))
        return 0;

    velmora::MainForm form({messages, beeper, loop, files});
    form.setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, form.size(),
                                         app.primaryScreen()->availableGeometry()));
    form.show();
    return app.exec();
}
