// Velmora — 帮助 > 使用手册: a plain browser over the manual's pages in the resources.
#include "ui/dialogs/manual_dialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/window/window_texts.h"

namespace velmora {

QUrl ManualHome() { return QUrl(text::Tr(text::kManualResource)); }

ManualDialog::ManualDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ManualDialog"));
    setWindowTitle(text::Tr(text::kManualTitle));
    // Beside the window, never over it: the user reads while working.
    setModal(false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("manualBrowser"));
    // Pages and pictures come from the resources; a link out of them goes to the desktop's browser.
    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(true);
    m_browser->setSource(ManualHome());

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *home = buttons->addButton(text::Tr(text::kManualHome), QDialogButtonBox::ActionRole);
    home->setObjectName(QStringLiteral("manualHome"));
    QPushButton *close = buttons->addButton(text::Tr(text::kManualClose), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("manualClose"));
    connect(home, &QPushButton::clicked, m_browser, &QTextBrowser::home);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_browser);
    layout->addWidget(buttons);
    resize(720, 640);
}

} // namespace velmora
