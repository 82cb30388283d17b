// Velmora — the window platform's services on Qt.
#pragma once

#include <memory>
#include <string>

#include "ui/desktop/file_dialog.h"
#include "ui/desktop/services.h"

class QFileDialog;
class QString;
class QWidget;

namespace velmora {

class QtMessageBox : public MessageBox {
public:
    void show(const std::string &text, const std::string &title) override;
    SaveAnswer askToSave(const std::string &text, const std::string &title) override;
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

// One lock per user: a lock on a file in the user's private runtime folder, which the system lets go
// of when its holder ends, however it ends, so a copy that crashed or was killed holds nothing.
class QtSingleInstance : public SingleInstance {
public:
    QtSingleInstance();
    ~QtSingleInstance() override;
    QtSingleInstance(const QtSingleInstance &) = delete;
    QtSingleInstance &operator=(const QtSingleInstance &) = delete;
    bool previousInstance() override;
    // Why there is no lock to take (the folder is not private), for the user; empty when there is.
    const std::string &folderError() const { return m_folderError; }

private:
    std::string m_path;
    std::string m_folderError;
    int m_fd = -1; // holds the lock while open
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
