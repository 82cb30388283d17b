// Velmora — the top-level window: the menu bar over the designed window, which keeps its size.
#pragma once

#include <QMainWindow>

#include "ui/window/main_form.h"

namespace velmora {

class AppWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit AppWindow(MainForm::Services services, QWidget *parent = nullptr);

    MainForm &form() { return *m_form; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();

    MainForm *m_form; // owned as the central widget
};

} // namespace velmora
