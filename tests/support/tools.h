// Velmora tests — other programs run from a test: any program with a time limit, the real velmora
// binary, and the independent tools the tests compare against (ImageMagick, exiftool, Python).
#pragma once

#include <QByteArray>
#include <QDebug>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "support/files.h"

namespace velmora::fakes {

// Debian's own Python with PIL; a pyenv shim may stand first in PATH.
inline const QString kPython = QStringLiteral("/usr/bin/python3");

// How a run ended. `exit` is -1 when the program did not start, crashed or ran out of time.
struct Ran {
    int exit = -1;
    bool timedOut = false;
    QByteArray out;
    QByteArray err;
    bool ok() const { return exit == 0; }
};

// Changes to the inherited environment: the names removed first, then the NAME=value settings.
struct Environment {
    QStringList removed;
    QStringList settings;
};

// Runs `program` to its end or for `timeoutMs` at most (then it is killed). A non-null `input` is
// written to its standard input, which is then closed; otherwise standard input stays open.
inline Ran RunProgram(const QString &program, const QStringList &arguments, const QByteArray &input = QByteArray(),
                      int timeoutMs = 60000, const Environment &environment = {})
{
    QProcess process;
    if (!environment.removed.isEmpty() || !environment.settings.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString &name : environment.removed)
            env.remove(name);
        for (const QString &setting : environment.settings)
            env.insert(setting.section('=', 0, 0), setting.section('=', 1));
        process.setProcessEnvironment(env);
    }
    process.start(program, arguments);
    if (!input.isNull()) {
        process.write(input);
        process.closeWriteChannel();
    }
    Ran ran;
    if (!process.waitForFinished(timeoutMs)) {
        ran.timedOut = process.state() != QProcess::NotRunning;
        process.kill();
        process.waitForFinished();
        ran.err = process.readAllStandardError();
        if (!ran.timedOut) // it never started: say so, so that no caller takes the silence for success
            ran.err += process.errorString().toUtf8();
        return ran;
    }
    ran.exit = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    ran.out = process.readAllStandardOutput();
    ran.err = process.readAllStandardError();
    return ran;
}

#ifdef VELMORA_BINARY
// The real program as built, with `arguments` after its name (e.g. "apply", ...).
inline Ran RunVelmora(const QStringList &arguments, const Environment &environment, int timeoutMs = 120000)
{
    return RunProgram(QStringLiteral(VELMORA_BINARY), arguments, QByteArray(), timeoutMs, environment);
}
#endif

// Python 3 running `script` with `arguments` as sys.argv[1:].
inline Ran RunPython(const QString &script, const QStringList &arguments = {}, int timeoutMs = 60000)
{
    return RunProgram(kPython, QStringList{QStringLiteral("-c"), script} + arguments, QByteArray(), timeoutMs);
}

// ImageMagick's `convert` with `input` on its standard input; its standard output, empty on failure.
inline QByteArray ImageMagick(const QStringList &arguments, const QByteArray &input = QByteArray(),
                              int timeoutMs = 30000)
{
    const Ran ran = RunProgram(QStringLiteral("convert"), arguments, input, timeoutMs);
    return ran.ok() ? ran.out : QByteArray();
}

// ImageMagick's decoding of a file, `convert <file> <options> -depth 8 ppm:-`: opaque RGB32, null on
// failure. `options` may turn it (-auto-orient) or convert its colours (-profile, -colorspace).
inline QImage DecodedByImageMagick(const QString &path, const QStringList &options = {})
{
    const QByteArray ppm =
        ImageMagick(QStringList{path} + options + QStringList{QStringLiteral("-depth"), QStringLiteral("8"), QStringLiteral("ppm:-")});
    if (ppm.isEmpty())
        return {};
    return QImage::fromData(ppm, "PPM").convertToFormat(QImage::Format_RGB32);
}

// The same with its alpha, `convert <file> -depth 8 rgba:-`, for a picture the caller knows to be
// `size`: ARGB32, null on failure or another size.
inline QImage DecodedByImageMagickWithAlpha(const QString &path, QSize size)
{
    const QByteArray rgba = ImageMagick({path, QStringLiteral("-depth"), QStringLiteral("8"), QStringLiteral("rgba:-")});
    if (rgba.isEmpty() || rgba.size() != qsizetype(size.width()) * size.height() * 4)
        return {};
    return QImage(reinterpret_cast<const uchar *>(rgba.constData()), size.width(), size.height(), QImage::Format_RGBA8888)
        .convertToFormat(QImage::Format_ARGB32);
}

// The same for bytes, through a file named `name` (ImageMagick goes by the name's ending too).
inline QImage DecodedByImageMagickWithAlpha(const QByteArray &bytes, QSize size, const QString &name)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    if (!dir.isValid() || !Write(path, bytes))
        return {};
    return DecodedByImageMagickWithAlpha(path, size);
}

// `identify <options> -format <format> <file>`, trimmed; empty when identify fails.
inline QString Identify(const QString &path, const QString &format, const QStringList &options = {})
{
    const Ran ran = RunProgram(QStringLiteral("identify"), options + QStringList{QStringLiteral("-format"), format, path});
    return ran.ok() ? QString::fromLatin1(ran.out).trimmed() : QString();
}

// The picture's size as identify reads it; invalid when it cannot.
inline QSize IdentifiedSize(const QString &path)
{
    const QStringList wh = Identify(path, QStringLiteral("%w %h")).split(QLatin1Char(' '));
    return wh.size() == 2 ? QSize(wh[0].toInt(), wh[1].toInt()) : QSize();
}

// The first object of a program's JSON output; empty (and the program's complaint logged) on failure.
inline QJsonObject JsonOf(const QString &program, const QStringList &arguments)
{
    const Ran ran = RunProgram(program, arguments);
    if (!ran.ok()) {
        qWarning() << program << arguments << ran.err;
        return {};
    }
    const QJsonDocument doc = QJsonDocument::fromJson(ran.out);
    return doc.isArray() ? doc.array().first().toObject() : doc.object();
}

// Every tag exiftool finds in a file, numeric values, keyed "Group:Tag".
inline QJsonObject ExifToolJson(const QString &path)
{
    return JsonOf(QStringLiteral("exiftool"),
                  {QStringLiteral("-j"), QStringLiteral("-n"), QStringLiteral("-G1"), QStringLiteral("-a"), path});
}

} // namespace velmora::fakes
