// Velmora — the window platform's services on Qt.
#include "ui/desktop/qt_services.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
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
    m_path = QFile::encodeName(QDir(folder).filePath(QStringLiteral("velmora.lock"))).toStdString();
}

QtSingleInstance::~QtSingleInstance()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool QtSingleInstance::previousInstance()
{
    if (m_fd >= 0)
        return false;
    const int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    // A lock we cannot even create must not keep the program from starting.
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        m_fd = fd;
        return false;
    }
    const bool held = errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

} // namespace velmora
