// Velmora — what a start from the shell or a file manager asks to open.
#include "ui/desktop/launch_request.h"

#include <optional>

#include <QDir>

#include "ui/window/window_texts.h"

namespace velmora {

namespace {

QString Absolute(const QString &path, const QString &workingFolder)
{
    return QDir::cleanPath(QDir(workingFolder).absoluteFilePath(path));
}

const QByteArray kMessageHeader = QByteArrayLiteral("velmora-open-2\n");

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// A line as EncodeLaunch writes it: letters, digits, "-._~/" and %XX only; the path it names
// is empty or absolute, in UTF-8, without a NUL (which would end the name short of what was meant).
std::optional<QString> DecodePath(const QByteArray &line)
{
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'
                           || c == '.' || c == '_' || c == '~' || c == '/';
        if (c == '%' && i + 2 < line.size() && IsHex(line[i + 1]) && IsHex(line[i + 2]))
            i += 2;
        else if (!plain)
            return std::nullopt;
    }
    const QByteArray bytes = QByteArray::fromPercentEncoding(line);
    if (bytes.contains('\0') || (!bytes.isEmpty() && !bytes.startsWith('/')))
        return std::nullopt;
    const QString path = QString::fromUtf8(bytes);
    if (path.toUtf8() != bytes) // not UTF-8: not a name this program sent
        return std::nullopt;
    return path;
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
                return {{}, {}, text::Tr(text::kLaunchUsage)};
            request.reference = Absolute(arguments[++i], workingFolder);
        } else if (!optionsEnded && a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return {{}, {}, text::Tr(text::kLaunchUsage)};
        } else if (request.photo.isEmpty()) {
            request.photo = Absolute(a, workingFolder);
        } else {
            return {{}, {}, text::Tr(text::kLaunchUsage)};
        }
    }
    return request;
}

// Each path percent-encoded, so a name holding a line break, or any other byte, keeps to its line.
QByteArray EncodeLaunch(const LaunchRequest &request)
{
    return kMessageHeader + request.reference.toUtf8().toPercentEncoding("/") + '\n'
           + request.photo.toUtf8().toPercentEncoding("/") + '\n';
}

LaunchRequest DecodeLaunch(const QByteArray &message)
{
    const QList<QByteArray> lines = message.split('\n');
    if (lines.size() != 4 || lines[0] + '\n' != kMessageHeader || !lines[3].isEmpty())
        return {{}, {}, QStringLiteral("bad message")};
    QString paths[2];
    for (int i = 0; i < 2; ++i) {
        const std::optional<QString> path = DecodePath(lines[1 + i]);
        if (!path)
            return {{}, {}, QStringLiteral("bad path")};
        paths[i] = *path;
    }
    return {paths[1], paths[0], {}};
}

} // namespace velmora
