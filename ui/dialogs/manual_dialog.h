// Velmora — 帮助 > 使用手册: the illustrated manual shipped inside the program, beside the window.
#pragma once

#include <QDialog>
#include <QUrl>

class QTextBrowser;

namespace velmora {

// The manual's first page in the window's language (a resource path, qrc:/manual/<language>/index.html).
QUrl ManualHome();

class ManualDialog : public QDialog {
    Q_OBJECT

public:
    explicit ManualDialog(QWidget *parent = nullptr);
    QTextBrowser *browser() const { return m_browser; }

private:
    QTextBrowser *m_browser = nullptr;
};

} // namespace velmora
