// Velmora — the window's start: one copy per user, then the window, opening what the shell asked for.
#include "ui/desktop/run_window.h"

#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QScreen>

#include "ui/desktop/hand_over_queue.h"
#include "ui/desktop/instance_channel.h"
#include "ui/desktop/launch_request.h"
#include "ui/desktop/qt_services.h"
#include "ui/desktop/startup.h"
#include "ui/window/app_window.h"

namespace velmora {

void OpenRequested(MainForm &form, const LaunchRequest &request)
{
    if (!request.photo.isEmpty() && !form.mayDropPhoto())
        return;
    if (!request.reference.isEmpty())
        form.openReference(request.reference.toStdString());
    if (!request.photo.isEmpty())
        form.openTarget(request.photo.toStdString(), MainForm::Unsaved::AlreadyAsked);
}

int RunWindow(int argc, char *argv[])
{
    QApplication app(argc, argv);
    ConfigureApplication();
    const LaunchRequest request = ParseLaunch(app.arguments().mid(1), QDir::currentPath());
    if (!request.error.isEmpty()) {
        std::fprintf(stderr, "%s\n", request.error.toLocal8Bit().constData());
        return 2;
    }

    QtMessageBox messages;
    QtBeeper beeper;
    QtEventLoop loop;
    QtFilePicker files;
    QtSingleInstance instance;
    if (!instance.folderError().empty())
        std::fprintf(stderr, "velmora: %s\n", instance.folderError().c_str());
    const auto handOver = [&request] {
        return request.opensFiles() && InstanceChannel::send(EncodeLaunch(request));
    };
    if (!StartUp(instance, messages, loop, handOver))
        return 0;

    AppWindow window({messages, beeper, loop, files});
    window.placeOn(*app.primaryScreen());
    HandOverQueue handOvers([&window](const LaunchRequest &handed) {
        // Back from the task bar, as large as the user left it.
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.show();
        window.raise();
        window.activateWindow();
        OpenRequested(window.form(), handed);
    });
    InstanceChannel channel;
    QObject::connect(&channel, &InstanceChannel::received, &window, [&handOvers](const QByteArray &message) {
        const LaunchRequest handed = DecodeLaunch(message);
        if (handed.error.isEmpty() && handed.opensFiles())
            handOvers.offer(handed);
    });
    channel.listen();
    window.show();
    OpenRequested(window.form(), request);
    const int status = app.exec();
    window.keepPlacement();
    return status;
}

} // namespace velmora
