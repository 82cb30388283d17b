// Velmora — pictures in and out: the two imports, refresh from the file, save as a bitmap.
#include <cmath>

#include <QFile>

#include "platform/qt/picture_box.h"
#include "platform/qt/picture_loader.h"
#include "platform/qt/picture_saver.h"
#include "ui/main_form.h"
#include "ui/window_texts.h"

namespace velmora {

namespace {
// Half the picture area's outer size: every import is centred on this point.
constexpr int kCentreX = 205;
constexpr int kCentreY = 255;
} // namespace

// The one dialog's settings persist between uses; nothing changes when the user cancels.
std::optional<std::string> MainForm::askFileName(DialogPurpose purpose)
{
    if (purpose == DialogPurpose::Open) {
        m_dialog.filter = text::kOpenFilter;
        m_dialog.flags = 16;
        m_dialog.initDir = text::kImportFolder;
        m_dialog.filterIndex = 2;
    } else {
        m_dialog.filter = text::kSaveFilter;
        m_dialog.flags = 16;
        m_dialog.filterIndex = 1;
    }
    m_dialog.cancelError = false;
    std::optional<std::string> chosen = m_services.files.pick(m_dialog, purpose);
    if (chosen)
        m_dialog.fileName = *chosen;
    return chosen;
}

// A picture that cannot be read is reported and leaves the box as it was. The path's bytes go to
// the system as they are, so a name in any encoding opens.
bool MainForm::loadInto(PictureBox *box, const std::string &path)
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
    box->setPicture(std::move(loaded.image));
    if (loaded.warning == LoadWarning::ProfileIgnored)
        m_services.messages.show(text::ProfileIgnoredMessage(QFile::decodeName(name)).toStdString(), text::kAppTitle);
    return true;
}

void MainForm::centre(PictureBox *box)
{
    const int left = kCentreX - int(std::floor(box->scaleWidth() / 2.0));
    const int top = kCentreY - int(std::floor(box->scaleHeight() / 2.0));
    box->move(left, top);
}

void MainForm::importReference()
{
    const auto path = askFileName(DialogPurpose::Open);
    if (path && loadInto(m_取样图片, *path))
        centre(m_取样图片);
}

void MainForm::importTarget()
{
    const auto path = askFileName(DialogPurpose::Open);
    if (!path || !loadInto(m_客体图片, *path))
        return;
    m_targetPath = *path;
    m_客体图片->setVisible(true);
    centre(m_客体图片);
}

// Throws away a correction: the photo comes back from its file where it stands.
void MainForm::reloadTarget()
{
    if (m_targetPath.empty())
        m_客体图片->clearPicture();
    else
        loadInto(m_客体图片, m_targetPath);
}

void MainForm::saveTarget()
{
    const auto name = askFileName(DialogPurpose::Save);
    if (!name)
        return;
    const QString path = QString::fromStdString(*name + text::kSaveExtension);
    const QString failure = SavePicture(m_客体图片->image(), path);
    if (!failure.isEmpty())
        m_services.messages.show(text::SaveFailedMessage(path, failure).toStdString(), text::kAppTitle);
}

} // namespace velmora
