// Velmora — 保存选项: JPEG quality and WebP lossless or lossy, kept across starts.
#include "ui/dialogs/save_options_dialog.h"

#include <algorithm>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/window/window_texts.h"

namespace velmora {

namespace {

// A stored value outside 1–100 (edited by hand) falls back to the default.
int Quality(const QSettings &settings, const char *key, int fallback)
{
    bool ok = false;
    const int value = settings.value(QLatin1String(key)).toInt(&ok);
    return ok && value >= 1 && value <= 100 ? value : fallback;
}

QSpinBox *QualityBox(int value, const char *name)
{
    auto *box = new QSpinBox;
    box->setRange(1, 100);
    box->setValue(std::clamp(value, 1, 100));
    box->setObjectName(QLatin1String(name));
    return box;
}

} // namespace

SaveOptions LoadSaveOptions()
{
    const QSettings settings(QStringLiteral("Velmora"), QStringLiteral("Velmora"));
    SaveOptions options;
    options.jpegQuality = Quality(settings, "save/jpegQuality", options.jpegQuality);
    options.webpLossless = settings.value(QStringLiteral("save/webpLossless"), options.webpLossless).toBool();
    options.webpQuality = Quality(settings, "save/webpQuality", options.webpQuality);
    options.photoFormat = settings.value(QStringLiteral("save/defaultFormat")).toString() == QLatin1String("photo");
    return options;
}

void StoreSaveOptions(const SaveOptions &options)
{
    QSettings settings(QStringLiteral("Velmora"), QStringLiteral("Velmora"));
    settings.setValue(QStringLiteral("save/jpegQuality"), options.jpegQuality);
    settings.setValue(QStringLiteral("save/webpLossless"), options.webpLossless);
    settings.setValue(QStringLiteral("save/webpQuality"), options.webpQuality);
    settings.setValue(QStringLiteral("save/defaultFormat"), options.photoFormat ? QStringLiteral("photo") : QStringLiteral("bmp"));
}

SaveOptionsDialog::SaveOptionsDialog(const SaveOptions &options, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(text::Tr(text::kSaveOptionsTitle));
    m_jpegQuality = QualityBox(options.jpegQuality, "jpegQuality");
    m_webpLossless = new QRadioButton(text::Tr(text::kWebpLossless));
    m_webpLossless->setObjectName(QStringLiteral("webpLossless"));
    m_webpLossy = new QRadioButton(text::Tr(text::kWebpLossy));
    m_webpLossy->setObjectName(QStringLiteral("webpLossy"));
    (options.webpLossless ? m_webpLossless : m_webpLossy)->setChecked(true);
    m_webpQuality = QualityBox(options.webpQuality, "webpQuality");
    m_webpQuality->setEnabled(!options.webpLossless);
    connect(m_webpLossy, &QRadioButton::toggled, m_webpQuality, &QWidget::setEnabled);

    m_defaultFormat = new QComboBox;
    m_defaultFormat->setObjectName(QStringLiteral("defaultFormat"));
    m_defaultFormat->addItem(text::Tr(text::kDefaultFormatBmp));
    m_defaultFormat->addItem(text::Tr(text::kDefaultFormatPhoto));
    m_defaultFormat->setCurrentIndex(options.photoFormat ? 1 : 0);

    auto *form = new QFormLayout;
    form->addRow(text::Tr(text::kDefaultFormat), m_defaultFormat);
    form->addRow(text::Tr(text::kJpegQuality), m_jpegQuality);
    form->addRow(text::Tr(text::kWebpGroup), m_webpLossless);
    form->addRow(QString(), m_webpLossy);
    form->addRow(text::Tr(text::kWebpQuality), m_webpQuality);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

SaveOptions SaveOptionsDialog::options() const
{
    SaveOptions options;
    options.jpegQuality = m_jpegQuality->value();
    options.webpLossless = m_webpLossless->isChecked();
    options.webpQuality = m_webpQuality->value();
    options.photoFormat = m_defaultFormat->currentIndex() == 1;
    return options;
}

} // namespace velmora
