// Velmora — pictures in and out: the two imports, refresh from the file, save in the chosen format.
#include <cmath>

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>

#include "ui/widgets/picture_box.h"
#include "picture/picture_loader.h"
#include "picture/picture_saver.h"
#include "ui/window/main_form.h"
#include "ui/dialogs/save_options_dialog.h"
#include "ui/window/window_texts.h"

namespace velmora {

namespace {
// A photo's file larger than this is not held in memory for its camera data.
constexpr qint64 kMaxKeptFileBytes = 512LL * 1024 * 1024;

} // namespace

// The one dialog's settings persist between uses; nothing changes when the user cancels.
std::optional<std::string> MainForm::askFileName(DialogPurpose purpose)
{
    if (purpose == DialogPurpose::Open) {
        m_dialog.filter = text::OpenFilter();
        m_dialog.flags = 16;
        m_dialog.initDir = text::kImportFolder;
        m_dialog.filterIndex = 1; // 所有图片
    } else {
        m_dialog.filter = text::SaveFilter();
        m_dialog.flags = 16;
        // BMP as designed, or the photo's own format when 保存选项 says so and Velmora writes it;
        // the photo's name with _校正, in its folder.
        PictureFormat format = PictureFormat::Bmp;
        if (LoadSaveOptions().photoFormat)
            format = WrittenFormatOfPath(m_photo.path()).value_or(PictureFormat::Bmp);
        m_dialog.filterIndex = text::SaveFilterIndex(format);
        if (!m_photo.path().empty()) {
            const QFileInfo photo(QFile::decodeName(QByteArray::fromStdString(m_photo.path())));
            m_dialog.fileName = photo.dir()
                                    .filePath(photo.completeBaseName() + text::Tr(text::kCorrectedSuffix)
                                              + QString::fromStdString(EndingOf(format)))
                                    .toStdString();
        }
    }
    m_dialog.cancelError = false;
    std::optional<std::string> chosen = m_services.files.pick(m_dialog, purpose);
    if (chosen)
        m_dialog.fileName = *chosen;
    return chosen;
}

// A picture that cannot be read is reported and leaves the box as it was. The path's bytes go to
// the system as they are, so a name in any encoding opens.
bool MainForm::loadInto(PictureBox *box, const std::string &path, QByteArray *fileBytes, QImage *withAlpha)
{
    const QByteArray name = QByteArray::fromStdString(path);
    LoadedPicture loaded = LoadPicture(name);
    if (loaded.problem != LoadProblem::None) {
        const QString reason =
            text::LoadProblemText(loaded.problem, loaded.declaredSize, PictureMemoryLimit() / (1024 * 1024));
        m_services.messages.show(text::OpenFailedMessage(QFile::decodeName(name), reason).toStdString(),
                                 text::kAppTitle);
        return false;
    }
    if (withAlpha && loaded.image.hasAlphaChannel())
        *withAlpha = loaded.image; // shared: the box lays its own copy over the grey
    box->setPicture(std::move(loaded.image));
    if (fileBytes) // the bytes the picture came from, whose camera data a save carries over
        *fileBytes = loaded.encoded.size() <= kMaxKeptFileBytes ? std::move(loaded.encoded) : QByteArray();
    if (loaded.warning == LoadWarning::ProfileIgnored)
        m_services.messages.show(text::ProfileIgnoredMessage(QFile::decodeName(name)).toStdString(), text::kAppTitle);
    return true;
}

// Every import is centred on half its area's outer size, measured in the area's client.
void MainForm::centre(PictureBox *box)
{
    const QSize area = box->parentWidget()->parentWidget()->size();
    const int left = area.width() / 2 - int(std::floor(box->drawingWidth() / 2.0));
    const int top = area.height() / 2 - int(std::floor(box->drawingHeight() / 2.0));
    box->move(left, top);
}

void MainForm::importReference()
{
    if (const auto path = askFileName(DialogPurpose::Open))
        openReference(*path);
}

void MainForm::importTarget()
{
    if (const auto path = askFileName(DialogPurpose::Open))
        openTarget(*path);
}

void MainForm::openReference(const std::string &path)
{
    if (loadInto(m_referencePicture, path))
        placeImported(m_referencePicture);
}

void MainForm::openTarget(const std::string &path, Unsaved unsaved)
{
    if (unsaved == Unsaved::Ask && !mayDropPhoto())
        return;
    QByteArray fileBytes;
    QImage withAlpha;
    if (!loadInto(m_targetPicture, path, &fileBytes, &withAlpha)) {
        forgetPhoto(path); // a recent entry that no longer opens leaves the list
        return;
    }
    m_targetPicture->setVisible(true);
    placeImported(m_targetPicture);
    photoLoaded(path, std::move(fileBytes), std::move(withAlpha));
    rememberPhoto(path);
}

// Throws away a correction: the photo comes back from its file where it stands.
void MainForm::reloadTarget()
{
    const std::string path = m_photo.path();
    QByteArray fileBytes;
    QImage withAlpha;
    if (path.empty())
        m_targetPicture->clearPicture();
    else if (!loadInto(m_targetPicture, path, &fileBytes, &withAlpha))
        return;
    photoLoaded(path, std::move(fileBytes), std::move(withAlpha));
}

// The file is written beside the window's thread; 保存 stays off until it is on disk or has failed.
void MainForm::saveTarget()
{
    if (m_save.busy())
        return;
    // What is written is the photo as it was when 保存 was pressed, whatever opens while the
    // dialog is up. Shared, not copied: a pass or import meanwhile gets its own copy.
    QImage picture = m_targetPicture->image();
    QByteArray fileBytes = m_photo.fileBytes();
    const std::uint64_t state = m_photo.state();
    // A photo with transparency is saved from its own pixels, not from the window's view of it
    // over the grey: the same passes replayed on the colours, the alpha as it was.
    QImage withAlpha = m_photo.withAlpha();
    std::optional<std::vector<Step>> passes = m_photo.history().appliedPasses();
    if (!passes)
        withAlpha = QImage();
    const auto name = askFileName(DialogPurpose::Save);
    if (!name)
        return;
    m_savePath = CompleteSaveName(QString::fromStdString(*name), m_dialog.filter, m_dialog.filterIndex);
    SaveRequest request{std::move(picture), m_savePath,
                        WrittenFormatOfPath(m_savePath.toStdString()).value_or(PictureFormat::Bmp), LoadSaveOptions(),
                        std::move(fileBytes)};
    m_savingState = state;
    m_save.start([request = std::move(request), withAlpha = std::move(withAlpha), passes = std::move(passes)]() mutable {
        if (!withAlpha.isNull() && withAlpha.size() == request.image.size()) {
            withAlpha.convertTo(QImage::Format_ARGB32);
            const RowTables tables = MakeRowTables(*passes);
            for (int y = 0; y < withAlpha.height(); ++y)
                MapRowKeepingAlpha(reinterpret_cast<std::uint32_t *>(withAlpha.scanLine(y)), withAlpha.width(), tables);
            request.image = std::move(withAlpha);
        }
        return SavePicture(request);
    });
    updateButtons();
}

void MainForm::saveFinished(SaveOutcome outcome)
{
    if (outcome.ok())
        m_photo.saved(m_savingState);
    updateButtons();
    if (!outcome.ok())
        m_services.messages.show(text::SaveFailedMessage(m_savePath, text::SaveProblemText(outcome)).toStdString(),
                                 text::kAppTitle);
    else if (outcome.cameraDataDropped)
        m_services.messages.show(text::CameraDataDroppedMessage(m_savePath).toStdString(), text::kAppTitle);
    // One notice for all the file could not keep.
    if (outcome.ok() && (outcome.transparencyFlattened || outcome.depthReduced))
        m_services.messages.show(text::SaveLossMessage(m_savePath, outcome.transparencyFlattened, outcome.depthReduced).toStdString(),
                                 text::kAppTitle);
    emit saveEnded();
}

bool MainForm::finishSaveInFlight()
{
    if (!m_save.busy())
        return true;
    const SaveOutcome outcome = m_save.wait();
    saveFinished(outcome);
    return outcome.ok();
}

void MainForm::showSaveOptions()
{
    SaveOptionsDialog dialog(LoadSaveOptions(), this);
    if (dialog.exec() == QDialog::Accepted)
        StoreSaveOptions(dialog.options());
}

} // namespace velmora
