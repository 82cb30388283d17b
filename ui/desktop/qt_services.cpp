// Velmora — the window platform's services on Qt.
#include "ui/desktop/qt_services.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

#include "ui/desktop/runtime_folder.h"

namespace velmora {

void QtMessageBox::show(const std::string &text, const std::string &title)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), QString::fromStdString(text),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

// Qt's standard buttons, so their captions come from Qt's own translation in the window's language.
SaveAnswer QtMessageBox::askToSave(const std::string &text, const std::string &title)
{
    QMessageBox box(QMessageBox::Warning, QString::fromStdString(title), QString::fromStdString(text),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save: return SaveAnswer::Save;
    case QMessageBox::Discard: return SaveAnswer::Discard;
    default: return SaveAnswer::Cancel;
    }
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
    const RuntimeFolder folder = UserRuntimeFolder();
    m_folderError = folder.error;
    if (!folder.path.empty())
        m_path = folder.path + "/velmora.lock";
}

QtSingleInstance::~QtSingleInstance()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool QtSingleInstance::previousInstance()
{
    // Without a private folder there is no lock another user could not hold: this copy runs alone.
    if (m_fd >= 0 || m_path.empty())
        return false;
    const int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
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
