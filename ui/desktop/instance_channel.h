// Velmora — hands the files a second start was asked to open to the copy that already runs, over a
// socket in the user's runtime folder that only the user may use.
#pragma once

#include <QByteArray>
#include <QObject>

class QSocketNotifier;

namespace velmora {

class InstanceChannel : public QObject {
    Q_OBJECT

public:
    explicit InstanceChannel(QObject *parent = nullptr);
    ~InstanceChannel() override;

    // The running copy listens; false when it cannot (then second starts get the usual message).
    bool listen();

    // A second start sends its message; true once the running copy has it.
    static bool send(const QByteArray &message, int timeoutMs = 3000);

signals:
    void received(const QByteArray &message);

private:
    void accept();

    int m_listening = -1;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace velmora
