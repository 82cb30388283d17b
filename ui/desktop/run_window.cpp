// Velmora — the window's start: one copy per user, then the window, opening what the shell asked for.
#include "ui/desktop/run_window.h"

#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QStyle>

#include "ui/desktop/hand_over_queue.h"
#include "ui/desktop/instance_channel.h"
#include "ui/desktop/launch_request.h"
#include "ui/desktop/qt_services.h"
#include "ui/desktop/startup.h"
#include "ui/window/app_window.h"

namespace velmora {

namespace {

// The one place to ask about unsaved work before a hand-over replaces the photo; nothing asks yet.
bool MayReplacePhoto(MainForm &)
{
    return true;
}

void Open(MainForm &form, const LaunchRequest &request)
{
    if (!request.reference.isEmpty())
        form.openReference(request.reference.toStdString());
    if (!request.photo.isEmpty())
        form.openTarget(request.photo.toStdString());
}

} // namespace

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
    window.setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window.size(),
                                           app.primaryScreen()->availableGeometry()));
    HandOverQueue handOvers([&window](const LaunchRequest &handed) {
        window.showNormal();
        window.raise();
        window.activateWindow();
        if (handed.photo.isEmpty() || MayReplacePhoto(window.form()))
            Open(window.form(), handed);
    });
    InstanceChannel channel;
    QObject::connect(&channel, &InstanceChannel::received, &window, [&handOvers](const QByteArray &message) {
        const LaunchRequest handed = DecodeLaunch(message);
        if (handed.error.isEmpty() && handed.opensFiles())
            handOvers.offer(handed);
    });
    channel.listen();
    window.show();
    Open(window.form(), request);
    return app.exec();
}

} // namespace velmora
