// Velmora — the window's state, its colour fields as the core sees them, and the 校正 button.
#include "ui/main_form.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include "core/correction.h"
#include "platform/qt/picture_box.h"

namespace velmora {

MainForm::MainForm(Services services, QWidget *parent)
    : QWidget(parent)
    , m_services(services)
    , m_progressRepaints([this] { m_hScroll2->setUpdatesEnabled(true); })
    , m_progressTextRepaints([this] { field(Field::Text2)->setUpdatesEnabled(true); })
{
    buildControls();
    connectHandlers();
}

MainForm::~MainForm() = default;

void MainForm::connectHandlers()
{
    connect(m_校正, &QPushButton::clicked, this, &MainForm::correct);
    connect(m_校正点, &QPushButton::clicked, this, &MainForm::reloadTarget);
    connect(m_保存, &QPushButton::clicked, this, &MainForm::saveTarget);
    connect(m_导入主体, &QPushButton::clicked, this, &MainForm::importReference);
    connect(m_导入客体, &QPushButton::clicked, this, &MainForm::importTarget);
    connect(m_command1, &QPushButton::clicked, this, &MainForm::showGuide);
    connect(m_退出, &QPushButton::clicked, this, &MainForm::quit);
    connect(&m_save, &BackgroundSave::finished, this, &MainForm::saveFinished);
    connectPointer();
}

std::string MainForm::text(Field f) const { return field(f)->text().toStdString(); }

void MainForm::setText(Field f, const std::string &text)
{
    // The pass writes its progress after every row; an unchanged text costs no relayout.
    const QString value = QString::fromStdString(text);
    QLineEdit *edit = field(f);
    if (edit->text() == value)
        return;
    if (f == Field::Text2)
        edit->setUpdatesEnabled(m_progressTextRepaints.now());
    edit->setText(value);
}

void MainForm::setEnabled(Button button, bool enabled)
{
    if (button == Button::保存) {
        m_saveButtonWanted = enabled;
        enabled = enabled && !m_save.busy();
    }
    QPushButton *const buttons[] = {m_校正, m_保存, m_校正点, m_command1};
    buttons[size_t(button)]->setEnabled(enabled);
}

void MainForm::setProgressMaximum(int maximum) { m_hScroll2->setMaximum(maximum); }

void MainForm::setProgressValue(int value)
{
    m_hScroll2->setUpdatesEnabled(m_progressRepaints.now());
    m_hScroll2->setValue(value);
}

void MainForm::correct()
{
    CorrectionServices services{*this, *m_客体图片, m_services.messages, m_services.beeper, m_services.loop};
    RequestCorrection(services, m_targetChannels, m_gains);
}

// Enter works the button with the focus, or 校正; Esc works 退出. A disabled button does nothing.
void MainForm::keyPressEvent(QKeyEvent *event)
{
    QPushButton *target = nullptr;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        target = qobject_cast<QPushButton *>(focusWidget());
        if (!target)
            target = m_校正;
    } else if (event->key() == Qt::Key_Escape) {
        target = m_退出;
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
    if (!finishSaveInFlight()) {
        event->ignore();
        return;
    }
    event->accept();
    m_services.loop.end();
}

} // namespace velmora
