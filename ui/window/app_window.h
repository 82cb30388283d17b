// Velmora — the top-level window: the menu bar over the designed window, which grows with it and
// scrolls when the screen is too small for it.
#pragma once

#include <QMainWindow>

#include "ui/window/main_form.h"

class QScreen;
class QScrollArea;

namespace velmora {

class AppWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit AppWindow(MainForm::Services services, QWidget *parent = nullptr);

    MainForm &form() { return *m_form; }
    QScrollArea &scroller() { return *m_scroller; }

    // The size the designed window needs, with the menu bar.
    QSize designedSize() const;
    // Opens on `screen` where the user last left the window when it still fits there, else at the
    // designed size or the largest that fits, centred; maximised again if it was left so.
    void placeOn(const QScreen &screen);
    // Keeps the window's place, size and maximised state for the next start.
    void keepPlacement() const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();

    MainForm *m_form;          // owned through the scroller
    QScrollArea *m_scroller;   // the central widget
};

} // namespace velmora
