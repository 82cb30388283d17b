// Velmora — the window platform's services on Qt.
#pragma once

#include <memory>

#include "platform/file_dialog.h"
#include "platform/services.h"

class QFileDialog;
class QLockFile;
class QString;
class QWidget;

namespace velmora {

class QtMessageBox : public MessageBox {
public:
    void show(const std::string &text, const std::string &title) override;
};

class QtBeeper : public Beeper {
public:
    void beep() override;
};

class QtEventLoop : public EventLoop {
public:
    bool processPendingEvents() override;
    void end() override;
    bool ending() const override { return m_ending; }

private:
    bool m_ending = false;
};

// One lock per user, released by the kernel's view of the holder: a copy that crashed or was
// killed leaves a stale lock that the next start takes over.
class QtSingleInstance : public SingleInstance {
public:
    QtSingleInstance();
    ~QtSingleInstance() override;
    bool previousInstance() override;

private:
    std::unique_ptr<QLockFile> m_lock;
};

class QtFilePicker : public FilePicker {
public:
    std::optional<std::string> pick(DialogSettings &settings, DialogPurpose purpose) override;
};

// Qt's dialog set up from the settings: filters whatever the case, the start folder, the name.
void ConfigureFileDialog(QFileDialog &dialog, const DialogSettings &settings, DialogPurpose purpose);
// The folder a dialog starts in; "d:" stands for the user's Pictures folder, or home.
QString StartFolder(const std::string &initDir);

} // namespace velmora
