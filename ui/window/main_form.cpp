// Velmora — the window's state and the 校正 button: the pass runs in the core, the window words
// its outcome, beeps, and keeps its buttons in step.
#include "ui/window/main_form.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>

#include "core/correction.h"
#include "ui/widgets/picture_box.h"
#include "ui/window/pass_pacer.h"
#include "ui/window/window_texts.h"

namespace velmora {

MainForm::MainForm(Services services, QWidget *parent)
    : QWidget(parent), m_services(services)
{
    buildControls();
    nameForScreenReaders();
    buildCommands();
    buildSwatchCommands();
    connectHandlers();
    updateButtons();
    setAcceptDrops(true);
    qApp->installEventFilter(this);
}

MainForm::~MainForm() = default;

void MainForm::connectHandlers()
{
    connect(button(Button::Correct), &QPushButton::clicked, this, &MainForm::correct);
    connect(button(Button::Refresh), &QPushButton::clicked, this, &MainForm::reloadTarget);
    connect(button(Button::Save), &QPushButton::clicked, this, &MainForm::saveTarget);
    connect(button(Button::ImportReference), &QPushButton::clicked, this, &MainForm::importReference);
    connect(button(Button::ImportTarget), &QPushButton::clicked, this, &MainForm::importTarget);
    connect(button(Button::Help), &QPushButton::clicked, this, &MainForm::showGuide);
    connect(button(Button::Quit), &QPushButton::clicked, this, &MainForm::quit);
    connect(&m_save, &BackgroundSave::finished, this, &MainForm::saveFinished);
    connectPointer();
    connectView();
}

void MainForm::correct()
{
    if (const auto refusal = CheckDifferencesEntered(m_panel))
        return showRefusal(*refusal);

    m_passRunning = true;
    updateButtons();
    const int generation = m_photo.generation();
    const PictureBox &target = *m_targetPicture;
    PassPacer pacer([this] { return yieldDuringPass(); }, m_passEventIntervalMs, target.drawingWidth(),
                    target.drawingHeight() - 1);
    // The rule in force now goes with this pass into the history, whatever is chosen later.
    const PassOutcome outcome = CorrectTarget(m_panel, *m_targetPicture, m_photo.targetChannels(),
                                              [&pacer](std::int32_t row) { return pacer.afterRow(row); }, m_rule);
    if (outcome.ended)
        return; // the program is ending: no further row, no beep
    m_passRunning = false;
    if (outcome.refusal) {
        showRefusal(*outcome.refusal, outcome.detail);
        m_awaitingCompletedPass = *outcome.refusal == Refusal::TooLarge;
        updateButtons();
        return;
    }
    m_awaitingCompletedPass = false;
    m_photo.passCompleted(generation, passRecord(outcome.step));
    updateButtons();
    m_services.beeper.beep();
}

// Between rows: the rows written so far, the bar and the events that came meanwhile.
bool MainForm::yieldDuringPass()
{
    m_panel.flush();
    m_targetPicture->showChanges();
    return m_services.loop.processPendingEvents();
}

void MainForm::showRefusal(Refusal refusal, const RefusalDetail &detail)
{
    m_services.messages.show(text::RefusalText(refusal, detail), text::TrUtf8(text::kNoticeTitle));
}

// A pass turns off what could interfere with it; imports and 退出 stay live.
void MainForm::updateButtons()
{
    const bool others = !m_passRunning && !m_awaitingCompletedPass;
    button(Button::Correct)->setEnabled(!m_passRunning);
    for (Button b : {Button::Refresh, Button::Help})
        button(b)->setEnabled(others);
    // A save in flight keeps 保存 off until its file is on disk.
    button(Button::Save)->setEnabled(others && !m_save.busy());
    m_commands.save->setEnabled(others && !m_save.busy());
    m_commands.refresh->setEnabled(others);
    m_commands.guide->setEnabled(others);
    m_commands.undo->setEnabled(!m_passRunning && m_photo.history().canUndo());
    m_commands.redo->setEnabled(!m_passRunning && m_photo.history().canRedo());
}

// Enter works the button with the focus, or 校正; Esc works 退出. A disabled button does nothing.
// A key held down works once: its repeats would run pass after pass, or end a copy that was only
// just handed the keyboard while the key was still down.
void MainForm::keyPressEvent(QKeyEvent *event)
{
    const bool command = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter
                         || event->key() == Qt::Key_Escape;
    if (command && event->isAutoRepeat())
        return;
    QPushButton *target = nullptr;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        target = qobject_cast<QPushButton *>(focusWidget());
        if (!target)
            target = button(Button::Correct);
    } else if (event->key() == Qt::Key_Escape) {
        target = button(Button::Quit);
    }
    if (!target) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (target->isEnabled())
        target->click();
}

void MainForm::closeEvent(QCloseEvent *event)
{
    if (!mayDropPhoto()) {
        event->ignore();
        return;
    }
    event->accept();
    m_services.loop.end();
}

} // namespace velmora
