// Velmora tests — the real window with fake services, and small helpers to reach its controls.
#pragma once

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "support/fake_services.h"
#include "ui/widgets/picture_box.h"
#include "ui/window/main_form.h"

namespace velmora::fakes {

// Lets the real window's events run between rows, as the program does, then calls the hook.
class LiveLoop : public Loop {
public:
    bool processPendingEvents() override
    {
        QCoreApplication::processEvents();
        return Loop::processPendingEvents();
    }
};

struct WindowRig {
    Messages messages;
    Beeps beeps;
    LiveLoop loop;
    Picker picker;
    MainForm form{{messages, beeps, loop, picker}};

    // Events after every row, so a test sees each row's state; pacing by the clock has its own test.
    WindowRig() { form.setPassEventInterval(0); }

    // Settings go to a folder of this test program's own, never the user's nor another test's
    // running beside it, whatever a test's first act is.
    static inline const bool kTestSettings = [] {
        QStandardPaths::setTestModeEnabled(true);
        static QTemporaryDir folder;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
        return true;
    }();

    template <typename W = QWidget>
    W *get(const char *name) const
    {
        W *w = form.findChild<W *>(QString::fromUtf8(name));
        Q_ASSERT_X(w, "WindowRig::get", name);
        return w;
    }
    QLineEdit *field(const char *name) const { return get<QLineEdit>(name); }
    QPushButton *button(const char *name) const { return get<QPushButton>(name); }
    PictureBox *box(const char *name) const { return get<PictureBox>(name); }
    QString text(const char *name) const { return field(name)->text(); }
};

// Drops one file at `at`, a point in the window, as a file manager's drag does; true when the
// window took the drop.
inline bool DropFile(QWidget &form, const QString &path, QPoint at)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    // Qt delivers moves and the drop only to the widget that took the drag's entry.
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &move);
    if (!move.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &drop);
    return drop.isAccepted();
}

} // namespace velmora::fakes
