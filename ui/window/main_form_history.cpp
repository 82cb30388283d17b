// Velmora — undo and redo of passes, and the photo as loaded shown for comparison.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>

#include "ui/widgets/picture_box.h"
#include "ui/window/main_form.h"

namespace velmora {

// Import and 刷新 start a new history from what the box now shows.
void MainForm::photoLoaded(std::string path, QByteArray fileBytes, QImage withAlpha)
{
    m_photo.load(std::move(path), std::move(fileBytes),
                 m_targetPicture->hasPicture() ? m_targetPicture->image() : QImage(), withAlpha);
    setComparing(m_commands.compare->isChecked());
    updateButtons();
}

void MainForm::undoPass()
{
    if (m_passRunning || !m_photo.history().canUndo())
        return;
    m_photo.history().undo(*m_targetPicture);
    m_targetPicture->showChanges();
    updateButtons();
}

void MainForm::redoPass()
{
    if (m_passRunning || !m_photo.history().canRedo())
        return;
    m_photo.history().redo(*m_targetPicture);
    m_targetPicture->showChanges();
    updateButtons();
}

// The photo as loaded takes the current one's place on screen only; picks and passes still see
// the current photo.
void MainForm::setComparing(bool on)
{
    const QImage &loaded = m_photo.history().loaded();
    const bool show = (on || m_compareKeyHeld) && !loaded.isNull();
    m_targetPicture->showInstead(show ? loaded : QImage());
}

// Held anywhere in the window, the backslash key shows the photo as loaded; the key's press and
// release may each reach a different control, so the window watches them on their way.
bool MainForm::watchCompareKey(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    auto *widget = qobject_cast<QWidget *>(watched);
    if (key->key() != Qt::Key_Backslash || !widget || widget->window() != window())
        return false;
    if (!key->isAutoRepeat()) {
        m_compareKeyHeld = event->type() == QEvent::KeyPress;
        setComparing(m_commands.compare->isChecked());
    }
    return true;
}

} // namespace velmora
