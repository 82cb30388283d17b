// Velmora — start-up: one copy per user, then the window.
#include <cstring>

#include <QApplication>
#include <QScreen>
#include <QStyle>

#include "app/apply_command.h"
#include "platform/qt/qt_services.h"
#include "ui/main_form.h"
#include "ui/startup.h"

int main(int argc, char *argv[])
{
    // The command line runs before any window exists, so it needs no display.
    if (argc > 1 && std::strcmp(argv[1], "apply") == 0)
        return velmora::RunApplyCommand(argc - 1, argv + 1);

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
