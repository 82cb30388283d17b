// Velmora — work is never dropped unasked: before the photo with an unsaved correction goes, the
// user chooses to save it, to drop it, or to keep everything as it was.
#include <QFile>
#include <QFileInfo>

#include "ui/window/main_form.h"
#include "ui/window/window_texts.h"

namespace velmora {

bool MainForm::mayDropPhoto()
{
    // A save already under way is what the user asked for; its failure keeps the window.
    if (!finishSaveInFlight())
        return false;
    if (!m_photo.unsaved())
        return true;
    const QString name = QFileInfo(QFile::decodeName(QByteArray::fromStdString(m_photo.path()))).fileName();
    switch (m_services.messages.askToSave(text::UnsavedQuestion(name).toStdString(), text::kAppTitle)) {
    case SaveAnswer::Discard: return true;
    case SaveAnswer::Cancel: return false;
    case SaveAnswer::Save: return saveAndWait();
    }
    return false;
}

bool MainForm::saveAndWait()
{
    // Mid-pass the photo is part corrected: written now, it would be neither the photo before the
    // pass nor after it.
    if (m_passRunning) {
        m_services.messages.show(text::Tr(text::kNoSaveDuringPass).toStdString(), text::kAppTitle);
        return false;
    }
    saveTarget();
    if (!m_save.busy()) // the dialog was cancelled
        return false;
    return finishSaveInFlight();
}

} // namespace velmora
