// Velmora — the window platform's services on Qt.
#include "platform/qt/qt_services.h"

#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <QMessageBox>
#include <QStandardPaths>
#include <QWidget>

namespace velmora {

void QtMessageBox::show(const std::string &text, const std::string &title)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), QString::fromStdString(text),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

void QtBeeper::beep() { QApplication::beep(); }

bool QtEventLoop::processPendingEvents()
{
    QCoreApplication::processEvents();
    return !m_ending;
}

void QtEventLoop::end()
{
    if (m_ending)
        return;
    m_ending = true;
    for (QWidget *w : QApplication::topLevelWidgets())
        w->hide();
    QCoreApplication::exit(0);
}

QtSingleInstance::QtSingleInstance()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    m_lock = std::make_unique<QLockFile>(QDir(folder).filePath(QStringLiteral("velmora.lock")));
    m_lock->setStaleLockTime(0); // stale only when its holder is gone, never by age
}

QtSingleInstance::~QtSingleInstance() = default;

bool QtSingleInstance::previousInstance()
{
    if (m_lock->isLocked() || m_lock->tryLock(0))
        return false;
    // Only a live holder counts; a lock we cannot even create must not keep the program from starting.
    return m_lock->error() == QLockFile::LockFailedError;
}

} // namespace velmora
