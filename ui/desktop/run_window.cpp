// Velmora — the window's start: one copy per user, then the window, opening what the shell asked for.
#include "ui/desktop/run_window.h"

#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QStyle>

#include "ui/desktop/instance_channel.h"
#include "ui/desktop/launch_request.h"
#include "ui/desktop/qt_services.h"
#include "ui/desktop/startup.h"
#include "ui/window/app_window.h"

namespace velmora {

namespace {

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
    const auto handOver = [&request] {
        return request.opensFiles() && InstanceChannel::send(EncodeLaunch(request));
    };
    if (!StartUp(instance, messages, loop, handOver))
        return 0;

    AppWindow window({messages, beeper, loop, files});
    window.setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window.size(),
                                           app.primaryScreen()->availableGeometry()));
    InstanceChannel channel;
    QObject::connect(&channel, &InstanceChannel::received, &window, [&window](const QByteArray &message) {
        const LaunchRequest handed = DecodeLaunch(message);
        if (!handed.error.isEmpty())
            return;
        window.showNormal();
        window.raise();
        window.activateWindow();
        Open(window.form(), handed);
    });
    channel.listen();
    window.show();
    Open(window.form(), request);
    return app.exec();
}

} // namespace velmora
