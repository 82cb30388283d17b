// Velmora — start-up: `velmora apply` without a window; otherwise one copy per user, then the
// window, opening what the shell asked for.
#include <cstdio>
#include <cstring>

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QStyle>

#include "app/apply_command.h"
#include "platform/qt/instance_channel.h"
#include "platform/qt/qt_services.h"
#include "ui/app_window.h"
#include "ui/launch_request.h"
#include "ui/startup.h"

namespace {

void Open(velmora::MainForm &form, const velmora::LaunchRequest &request)
{
    if (!request.reference.isEmpty())
        form.openReference(request.reference.toStdString());
    if (!request.photo.isEmpty())
        form.openTarget(request.photo.toStdString());
}

} // namespace

int main(int argc, char *argv[])
{
    // The command line runs before any window exists, so it needs no display.
    if (argc > 1 && std::strcmp(argv[1], "apply") == 0)
        return velmora::RunApplyCommand(argc - 1, argv + 1);

    QApplication app(argc, argv);
    velmora::ConfigureApplication();
    const velmora::LaunchRequest request = velmora::ParseLaunch(app.arguments().mid(1), QDir::currentPath());
    if (!request.error.isEmpty()) {
        std::fprintf(stderr, "%s\n", request.error.toLocal8Bit().constData());
        return 2;
    }

    velmora::QtMessageBox messages;
    velmora::QtBeeper beeper;
    velmora::QtEventLoop loop;
    velmora::QtFilePicker files;
    velmora::QtSingleInstance instance;
    const auto handOver = [&request] {
        return request.opensFiles() && velmora::InstanceChannel::send(velmora::EncodeLaunch(request));
    };
    if (!velmora::StartUp(instance, messages, loop, handOver))
        return 0;

    velmora::AppWindow window({messages, beeper, loop, files});
    window.setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window.size(),
                                           app.primaryScreen()->availableGeometry()));
    velmora::InstanceChannel channel;
    QObject::connect(&channel, &velmora::InstanceChannel::received, &window, [&window](const QByteArray &message) {
        const velmora::LaunchRequest handed = velmora::DecodeLaunch(message);
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
