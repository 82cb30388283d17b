// Velmora — hands the files a second start was asked to open to the copy that already runs.
#include "platform/qt/instance_channel.h"

#include <unistd.h>

#include <QDir>
#include <QLocalServer>
#include <QStandardPaths>
#include <QLocalSocket>
#include <QVariant>

namespace velmora {

namespace {

// One per user, beside the instance lock in the user's runtime folder; a message is a few hundred
// bytes at most.
QString ServerName()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        return QStringLiteral("velmora-%1").arg(getuid()); // in the temporary folder
    return QDir(folder).filePath(QStringLiteral("velmora.socket"));
}
constexpr qint64 kMaxMessage = 64 * 1024;
constexpr char kTerminator[] = "\n.\n";

} // namespace

InstanceChannel::InstanceChannel(QObject *parent) : QObject(parent), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &InstanceChannel::accept);
}

bool InstanceChannel::listen()
{
    // A copy that was killed leaves its socket behind; we hold the instance lock, so it is stale.
    QLocalServer::removeServer(ServerName());
    return m_server->listen(ServerName());
}

void InstanceChannel::accept()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            // A message is complete at its terminator; anything longer than a message is not one.
            QByteArray message = socket->property("message").toByteArray() + socket->readAll();
            if (message.size() > kMaxMessage) {
                socket->abort();
                return;
            }
            socket->setProperty("message", message);
            if (!message.endsWith(kTerminator))
                return;
            message.chop(qsizetype(sizeof kTerminator - 1));
            socket->write("ok");
            socket->flush();
            emit received(message);
        });
    }
}

bool InstanceChannel::send(const QByteArray &message, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(ServerName());
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(message + kTerminator);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // Done only when the running copy says it has the whole message.
    while (socket.bytesAvailable() < 2)
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    return socket.read(2) == "ok";
}

} // namespace velmora
