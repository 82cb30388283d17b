// Velmora — what a start from the shell or a file manager asks to open.
#include "ui/desktop/launch_request.h"

#include <QDir>

namespace velmora {

namespace {

const char *const kUsage = "用法：velmora [--reference 标准照片] [将校正照片]";

QString Absolute(const QString &path, const QString &workingFolder)
{
    return QDir::cleanPath(QDir(workingFolder).absoluteFilePath(path));
}

} // namespace

LaunchRequest ParseLaunch(const QStringList &arguments, const QString &workingFolder)
{
    LaunchRequest request;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (!optionsEnded && a == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && a == QLatin1String("--reference")) {
            if (i + 1 >= arguments.size() || !request.reference.isEmpty())
                return {{}, {}, QString::fromUtf8(kUsage)};
            request.reference = Absolute(arguments[++i], workingFolder);
        } else if (!optionsEnded && a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return {{}, {}, QString::fromUtf8(kUsage)};
        } else if (request.photo.isEmpty()) {
            request.photo = Absolute(a, workingFolder);
        } else {
            return {{}, {}, QString::fromUtf8(kUsage)};
        }
    }
    return request;
}

QByteArray EncodeLaunch(const LaunchRequest &request)
{
    return "velmora-open-1\n" + request.reference.toUtf8() + '\n' + request.photo.toUtf8() + '\n';
}

LaunchRequest DecodeLaunch(const QByteArray &message)
{
    const QList<QByteArray> lines = message.split('\n');
    if (lines.size() != 4 || lines[0] != "velmora-open-1" || !lines[3].isEmpty())
        return {{}, {}, QStringLiteral("bad message")};
    return {QString::fromUtf8(lines[2]), QString::fromUtf8(lines[1]), {}};
}

} // namespace velmora
