// Velmora — the window's batch: the dialog beside the window, which stays usable meanwhile.
#include "ui/dialogs/batch_dialog.h"
#include "ui/window/main_form.h"

namespace velmora {

void MainForm::showBatch()
{
    auto *dialog = new BatchDialog(lastGains(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setModal(false);
    dialog->show();
}

} // namespace velmora
