// Velmora — the top-level window and its menu bar.
#include "ui/window/app_window.h"

#include <QCloseEvent>
#include <QMenuBar>

#include "ui/window/window_texts.h"

namespace velmora {

AppWindow::AppWindow(MainForm::Services services, QWidget *parent)
    : QMainWindow(parent), m_form(new MainForm(services))
{
    setObjectName(QStringLiteral("AppWindow"));
    setWindowTitle(m_form->windowTitle());
    setWindowIcon(m_form->windowIcon());
    setCentralWidget(m_form);
    buildMenus();
    // The designed window keeps its fixed size; the bar adds its own height above it.
    setFixedSize(m_form->width(), m_form->height() + menuBar()->sizeHint().height());
    // The layout is fixed, so a maximised window would only show empty space: no maximise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setAcceptDrops(false); // the designed window takes the drops, where it knows its areas
}

void AppWindow::buildMenus()
{
    const Commands &c = m_form->commands();
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));

    QMenu *file = bar->addMenu(text::Tr(text::kFileMenu));
    file->addAction(c.importReference);
    file->addAction(c.importTarget);
    file->addMenu(c.recent);
    file->addSeparator();
    file->addAction(c.refresh);
    file->addAction(c.save);
    file->addAction(c.saveOptions);
    file->addSeparator();
    file->addAction(c.exportCorrection);
    file->addAction(c.importCorrection);
    file->addAction(c.batch);
    file->addSeparator();
    file->addAction(c.quit);

    QMenu *edit = bar->addMenu(text::Tr(text::kEditMenu));
    edit->addAction(c.undo);
    edit->addAction(c.redo);
    edit->addSeparator();
    edit->addMenu(c.sampleSize);
    edit->addMenu(c.rule);

    QMenu *view = bar->addMenu(text::Tr(text::kViewMenu));
    view->addAction(c.fitToWindow);
    view->addAction(c.actualSize);
    view->addAction(c.zoomIn);
    view->addAction(c.zoomOut);
    view->addSeparator();
    view->addAction(c.compare);
    view->addAction(c.fitLargeOnImport);

    bar->addMenu(c.swatches);

    QMenu *help = bar->addMenu(text::Tr(text::kHelpMenu));
    help->addAction(c.guide);
    help->addAction(c.manual);
    help->addAction(c.about);
    help->addSeparator();
    help->addMenu(c.language);
}

// The close box ends the program as 退出 does.
void AppWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    m_form->close();
}

} // namespace velmora
