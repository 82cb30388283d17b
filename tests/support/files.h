// Velmora tests — a file's bytes read or written whole, for fixtures made in the tests.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace velmora::fakes {

// Empty when the file cannot be read.
inline QByteArray Read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool Write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace velmora::fakes
