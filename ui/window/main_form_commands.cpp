// Velmora — the window's commands for the menu bar, the photos recently opened, and files dropped
// onto the picture areas.
#include <QAction>
#include <QActionGroup>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>

#include "ui/desktop/language_setting.h"
#include "ui/widgets/picture_box.h"
#include "ui/window/main_form.h"
#include "ui/window/window_texts.h"

namespace velmora {

namespace {

constexpr int kRecentCount = 8;
const char *const kRecentKey = "recent/photos";
const char *const kSampleSizeKey = "pick/sampleSize";
const char *const kFitLargeKey = "view/fitLargeOnImport";

// The one local file a drag carries, or nothing.
QString DroppedFile(const QMimeData *data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return {};
    return data->urls().first().toLocalFile();
}

} // namespace

QAction *MainForm::addCommand(const char *caption, void (MainForm::*handler)(), QList<QKeySequence> keys)
{
    auto *action = new QAction(text::Tr(caption), this);
    action->setShortcuts(keys);
    if (handler)
        connect(action, &QAction::triggered, this, handler);
    return action;
}

void MainForm::buildCommands()
{
    Commands &c = m_commands;
    c.importReference = addCommand(text::kImportReferenceCommand, &MainForm::importReference,
                                   {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)});
    c.importTarget = addCommand(text::kImportTargetCommand, &MainForm::importTarget, {QKeySequence(Qt::CTRL | Qt::Key_O)});
    c.recent = new QMenu(text::Tr(text::kRecentMenu), this);
    c.refresh = addCommand(text::kRefreshCommand, &MainForm::reloadTarget, {QKeySequence(Qt::Key_F5)});
    c.save = addCommand(text::kSaveCommand, &MainForm::saveTarget, {QKeySequence(Qt::CTRL | Qt::Key_S)});
    c.saveOptions = addCommand(text::kSaveOptionsCommand, &MainForm::showSaveOptions);
    c.exportCorrection = addCommand(text::kExportCorrectionCommand, &MainForm::exportCorrection);
    c.importCorrection = addCommand(text::kImportCorrectionCommand, &MainForm::importCorrection);
    c.batch = addCommand(text::kBatchCommand, &MainForm::showBatch, {QKeySequence(Qt::CTRL | Qt::Key_B)});
    c.quit = addCommand(text::kQuitCommand, &MainForm::quit, {QKeySequence(Qt::CTRL | Qt::Key_Q)});
    c.undo = addCommand(text::kUndoCommand, &MainForm::undoPass, {QKeySequence(Qt::CTRL | Qt::Key_Z)});
    c.redo = addCommand(text::kRedoCommand, &MainForm::redoPass,
                        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});

    c.sampleSize = new QMenu(text::Tr(text::kSampleSizeMenu), this);
    auto *sizes = new QActionGroup(this);
    for (int i = 0; i < 4; ++i) {
        QAction *a = c.sampleSize->addAction(text::Tr(text::kSampleSizeCommands[i]));
        a->setCheckable(true);
        a->setData(text::kSampleSizes[i]);
        sizes->addAction(a);
    }
    // The picker's square and fitting large imports are kept across starts.
    setSampleSize(QSettings().value(kSampleSizeKey, 1).toInt());
    for (QAction *a : sizes->actions())
        a->setChecked(a->data().toInt() == sampleSize());
    connect(sizes, &QActionGroup::triggered, this, [this](QAction *a) {
        setSampleSize(a->data().toInt());
        QSettings().setValue(kSampleSizeKey, sampleSize());
    });

    buildRuleMenu();

    c.fitToWindow = addCommand(text::kFitCommand, &MainForm::fitToWindow, {QKeySequence(Qt::CTRL | Qt::Key_0)});
    c.actualSize = addCommand(text::kActualSizeCommand, &MainForm::actualSize, {QKeySequence(Qt::CTRL | Qt::Key_1)});
    c.zoomIn = addCommand(text::kZoomInCommand, &MainForm::zoomIn,
                          {QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)});
    c.zoomOut = addCommand(text::kZoomOutCommand, &MainForm::zoomOut, {QKeySequence(Qt::CTRL | Qt::Key_Minus)});
    c.compare = addCommand(text::kCompareCommand, nullptr);
    c.compare->setCheckable(true);
    connect(c.compare, &QAction::toggled, this, &MainForm::setComparing);
    c.fitLargeOnImport = addCommand(text::kFitOnImportCommand, nullptr);
    c.fitLargeOnImport->setCheckable(true);
    setFitLargeOnImport(QSettings().value(kFitLargeKey, false).toBool());
    c.fitLargeOnImport->setChecked(fitLargeOnImport());
    connect(c.fitLargeOnImport, &QAction::toggled, this, [this](bool on) {
        setFitLargeOnImport(on);
        QSettings().setValue(kFitLargeKey, on);
    });

    c.guide = addCommand(text::kGuideCommand, &MainForm::showGuide, {QKeySequence(Qt::Key_F1)});
    c.manual = addCommand(text::kManualCommand, &MainForm::showManual);
    c.about = addCommand(text::kAboutCommand, &MainForm::showAbout);
    buildLanguageCommands();
    rebuildRecentMenu();
}

// The texts are built once, so a new language takes effect at the next start; the user is told.
void MainForm::buildLanguageCommands()
{
    Commands &c = m_commands;
    c.language = new QMenu(text::Tr(text::kLanguageMenu), this);
    auto *group = new QActionGroup(c.language);
    const LanguageChoice saved = SavedLanguageChoice();
    const auto add = [&](const char *caption, const char *name, LanguageChoice choice) {
        QAction *a = c.language->addAction(text::Tr(caption));
        a->setObjectName(QString::fromLatin1(name));
        a->setCheckable(true);
        a->setChecked(choice == saved);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, choice] {
            if (choice == SavedLanguageChoice())
                return;
            SaveLanguageChoice(choice);
            m_services.messages.show(text::TrUtf8(text::kLanguageNextStart), text::TrUtf8(text::kNoticeTitle));
        });
        return a;
    };
    c.languageChinese = add(text::kChineseCommand, "languageChinese", LanguageChoice::Chinese);
    c.languageEnglish = add(text::kEnglishCommand, "languageEnglish", LanguageChoice::English);
    c.languageSystem = add(text::kFollowSystemCommand, "languageSystem", LanguageChoice::System);
}

QStringList MainForm::recentPhotos() const { return QSettings().value(kRecentKey).toStringList(); }

void MainForm::rememberPhoto(const std::string &path)
{
    const QString file = QFileInfo(QString::fromStdString(path)).absoluteFilePath();
    QStringList list = recentPhotos();
    list.removeAll(file);
    list.prepend(file);
    while (list.size() > kRecentCount)
        list.removeLast();
    QSettings().setValue(kRecentKey, list);
    rebuildRecentMenu();
}

void MainForm::forgetPhoto(const std::string &path)
{
    QStringList list = recentPhotos();
    list.removeAll(QFileInfo(QString::fromStdString(path)).absoluteFilePath());
    QSettings().setValue(kRecentKey, list);
    rebuildRecentMenu();
}

void MainForm::rebuildRecentMenu()
{
    QMenu *menu = m_commands.recent;
    // An entry may be rebuilding the list from its own trigger: let it finish before it goes.
    for (QAction *old : menu->actions()) {
        menu->removeAction(old);
        old->deleteLater();
    }
    const QStringList list = recentPhotos();
    for (int i = 0; i < list.size(); ++i) {
        // "&1 name" gives each entry a key; the full path shows as the tip.
        QAction *a = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(list[i]).fileName()));
        a->setToolTip(list[i]);
        const std::string path = list[i].toStdString();
        connect(a, &QAction::triggered, this, [this, path] { openTarget(path); });
    }
    menu->setEnabled(!list.isEmpty());
}

bool MainForm::acceptsDropAt(const QMimeData *data, QPoint at) const
{
    return !DroppedFile(data).isEmpty()
           && (m_referenceArea->geometry().contains(at) || m_targetArea->geometry().contains(at));
}

void MainForm::dragEnterEvent(QDragEnterEvent *event)
{
    // Entering over a swatch or a button still starts the drag; moves decide where it may land.
    if (!DroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainForm::dragMoveEvent(QDragMoveEvent *event)
{
    if (acceptsDropAt(event->mimeData(), event->position().toPoint()))
        event->acceptProposedAction();
    else
        event->ignore();
}

// A file dropped on the reference area becomes the reference; on the photo area, the photo.
void MainForm::dropEvent(QDropEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (!acceptsDropAt(event->mimeData(), at))
        return;
    const std::string path = DroppedFile(event->mimeData()).toStdString();
    event->acceptProposedAction();
    if (m_referenceArea->geometry().contains(at))
        openReference(path);
    else if (m_photo.unsaved()) // the question waits until the drag has ended
        QMetaObject::invokeMethod(this, [this, path] { openTarget(path); }, Qt::QueuedConnection);
    else
        openTarget(path);
}

} // namespace velmora
