// Velmora — the top-level window and its menu bar.
#include "ui/window/app_window.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QStyle>

#include "ui/window/window_placement.h"
#include "ui/window/window_texts.h"

namespace velmora {

AppWindow::AppWindow(MainForm::Services services, QWidget *parent)
    : QMainWindow(parent), m_form(new MainForm(services)), m_scroller(new QScrollArea)
{
    setObjectName(QStringLiteral("AppWindow"));
    setWindowTitle(m_form->windowTitle());
    setWindowIcon(m_form->windowIcon());
    // The designed window fills the room and grows with it; a screen too small for its designed
    // size scrolls it, so every control stays reachable.
    m_scroller->setObjectName(QStringLiteral("scroller"));
    m_scroller->setFrameShape(QFrame::NoFrame);
    m_scroller->setFocusPolicy(Qt::NoFocus);
    m_scroller->setWidgetResizable(true);
    m_scroller->setWidget(m_form);
    m_scroller->horizontalScrollBar()->setAccessibleName(text::Tr(text::kSpeakWindowAcross));
    m_scroller->verticalScrollBar()->setAccessibleName(text::Tr(text::kSpeakWindowDown));
    setCentralWidget(m_scroller);
    buildMenus();
    setMinimumSize(320, 240);
    resize(designedSize());
    setAcceptDrops(false); // the designed window takes the drops, where it knows its areas
}

QSize AppWindow::designedSize() const
{
    return MainForm::kDesignedSize + QSize(0, menuBar()->sizeHint().height());
}

namespace {
const char *const kGeometryKey = "window/geometry";
const char *const kMaximisedKey = "window/maximised";
} // namespace

void AppWindow::placeOn(const QScreen &screen)
{
    const QSettings settings;
    std::optional<QRect> kept;
    if (settings.contains(kGeometryKey))
        kept = settings.value(kGeometryKey).toRect();
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroller);
    setGeometry(OpeningGeometry(designedSize(), screen.availableGeometry(), kept, scrollBar));
    if (kept && settings.value(kMaximisedKey, false).toBool())
        setWindowState(windowState() | Qt::WindowMaximized);
}

void AppWindow::keepPlacement() const
{
    QSettings settings;
    settings.setValue(kGeometryKey, normalGeometry());
    settings.setValue(kMaximisedKey, isMaximized());
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

// The close box ends the program as 退出 does, or leaves the window as it was when the user keeps it.
void AppWindow::closeEvent(QCloseEvent *event)
{
    if (m_form->close())
        event->accept();
    else
        event->ignore();
}

} // namespace velmora
