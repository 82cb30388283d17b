// Velmora — undo and redo of passes, and the photo as loaded shown for comparison.
#include <QAction>
#include <QKeyEvent>

#include "platform/qt/picture_box.h"
#include "ui/main_form.h"

namespace velmora {

// Import and 刷新 start a new history from what the box now shows.
void MainForm::photoLoaded()
{
    ++m_photoGeneration;
    m_history.reset(m_targetPicture->hasPicture() ? m_targetPicture->image() : QImage());
    setComparing(m_commands.compare->isChecked());
    updateButtons();
}

void MainForm::undoPass()
{
    if (m_passRunning || !m_history.canUndo())
        return;
    m_history.undo(*m_targetPicture);
    m_targetPicture->showChanges();
    updateButtons();
}

void MainForm::redoPass()
{
    if (m_passRunning || !m_history.canRedo())
        return;
    m_history.redo(*m_targetPicture);
    m_targetPicture->showChanges();
    updateButtons();
}

// The photo as loaded takes the current one's place on screen only; picks and passes still see
// the current photo.
void MainForm::setComparing(bool on)
{
    m_comparing = on;
    const bool show = (on || m_compareKeyHeld) && !m_history.loaded().isNull();
    m_targetPicture->showInstead(show ? m_history.loaded() : QImage());
}

void MainForm::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Backslash && !event->isAutoRepeat()) {
        m_compareKeyHeld = false;
        setComparing(m_commands.compare->isChecked());
        return;
    }
    QWidget::keyReleaseEvent(event);
}

} // namespace velmora
