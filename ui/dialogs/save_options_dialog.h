// Velmora — 保存选项: the format the save dialog proposes, JPEG quality and WebP lossless or lossy,
// kept across starts.
#pragma once

#include <QDialog>

#include "picture/save_format.h"

class QComboBox;
class QRadioButton;
class QSpinBox;

namespace velmora {

// The options as last accepted, or the defaults (JPEG 95, WebP lossless).
SaveOptions LoadSaveOptions();
void StoreSaveOptions(const SaveOptions &options);

class SaveOptionsDialog : public QDialog {
    Q_OBJECT

public:
    explicit SaveOptionsDialog(const SaveOptions &options, QWidget *parent = nullptr);
    SaveOptions options() const;

private:
    QSpinBox *m_jpegQuality = nullptr;
    QRadioButton *m_webpLossless = nullptr;
    QRadioButton *m_webpLossy = nullptr;
    QSpinBox *m_webpQuality = nullptr;
    QComboBox *m_defaultFormat = nullptr;
};

} // namespace velmora
