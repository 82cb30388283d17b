// Velmora — the window's batch: the dialog beside the window, which stays usable meanwhile.
#include "ui/dialogs/batch_dialog.h"
#include "ui/window/main_form.h"
#include "ui/window/window_texts.h"

namespace velmora {

void MainForm::showBatch()
{
    auto *dialog = new BatchDialog(currentCorrection(), this);
    if (!currentCorrection() && m_photo.history().hasPasses())
        dialog->explainNoCorrection(text::Tr(text::kBatchNothingShown));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setModal(false);
    dialog->show();
}

} // namespace velmora
