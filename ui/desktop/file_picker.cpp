// Velmora — the file-name dialog on Qt.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>

#include "ui/dialogs/name_only_icons.h"
#include "ui/desktop/qt_services.h"
#include "picture/save_format.h"

namespace velmora {

namespace {

// "*.BMP" becomes "*.[bB][mM][pP]": file names on Linux are case-sensitive, filters here are not.
// Patterns are given separated by ';' and handed to Qt separated by spaces.
QString CaselessPattern(const QString &pattern)
{
    QString out;
    for (const QChar c : pattern) {
        if (c == QLatin1Char(';'))
            out += QLatin1Char(' ');
        else if (c.isLetter() && c.toLower() != c.toUpper())
            out += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
        else
            out += c;
    }
    return out;
}

// Asks before a save replaces a file, about the name that will really be written: the typed name
// completed with the chosen filter's extension. Qt's own question would ask about the typed name.
class SaveNameDialog : public QFileDialog {
public:
    SaveNameDialog(QWidget *parent, std::string filter) : QFileDialog(parent), m_filter(std::move(filter)) {}

    // 1-based. The list shows the filters without their patterns, so the selected text alone may not
    // name one; the list's own position does.
    int chosenFilter() const
    {
        if (const auto *types = findChild<QComboBox *>(QStringLiteral("fileTypeCombo")))
            return types->currentIndex() + 1;
        return int(nameFilters().indexOf(selectedNameFilter())) + 1;
    }

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (acceptMode() == AcceptSave && !files.isEmpty() && !QFileInfo(files.first()).isDir()) {
            const QFileInfo target(CompleteSaveName(files.first(), m_filter, chosenFilter()));
            if (target.exists() && !target.isDir() && !confirmReplace(target.fileName()))
                return;
        }
        QFileDialog::accept();
    }

private:
    // The same question, title and default answer as Qt's dialog asks in its own accept().
    bool confirmReplace(const QString &name)
    {
        const QString question = QFileDialog::tr("%1 already exists.\nDo you want to replace it?").arg(name);
        return QMessageBox::warning(this, windowTitle(), question, QMessageBox::Yes | QMessageBox::No,
                                    QMessageBox::No) == QMessageBox::Yes;
    }

    std::string m_filter;
};

// "desc|pattern|desc|pattern" to Qt's filters. The dialog shows the description as it stands and
// matches by the caseless pattern in the trailing brackets, which it hides.
QStringList NameFilters(const std::string &filter)
{
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + QStringLiteral(" (") + CaselessPattern(parts[i + 1]) + QLatin1Char(')');
    return filters;
}

} // namespace

// The folder that stands for drive D: the user's pictures, or home where there is none.
QString StartFolder(const std::string &initDir)
{
    if (initDir.empty())
        return {};
    if (initDir.size() == 2 && initDir[1] == ':') {
        const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        return !pictures.isEmpty() && QDir(pictures).exists() ? pictures : QDir::homePath();
    }
    return QString::fromStdString(initDir);
}

void ConfigureFileDialog(QFileDialog &dialog, const DialogSettings &settings, DialogPurpose purpose)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    // SaveNameDialog asks instead, about the completed name.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    // Listing a folder must never open what it lists: a FIFO, a device or /proc/kmsg would block.
    dialog.setOption(QFileDialog::DontResolveSymlinks);
    dialog.setIconProvider(NameOnlyIcons());
    dialog.setAcceptMode(purpose == DialogPurpose::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Any name goes: a new one to save under, or a typed path to a picture the filter hides
    // (loading reports a file that is not there).
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = NameFilters(settings.filter);
    dialog.setNameFilters(filters);
    if (settings.filterIndex >= 1 && settings.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[settings.filterIndex - 1]);
    const QString start = StartFolder(settings.initDir);
    if (!start.isEmpty())
        dialog.setDirectory(start);
    if (!settings.fileName.empty())
        dialog.selectFile(QString::fromStdString(settings.fileName));
}

std::optional<std::string> QtFilePicker::pick(DialogSettings &settings, DialogPurpose purpose)
{
    SaveNameDialog dialog(QApplication::activeWindow(), settings.filter);
    ConfigureFileDialog(dialog, settings, purpose);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    if (dialog.chosenFilter() >= 1)
        settings.filterIndex = dialog.chosenFilter();
    return dialog.selectedFiles().first().toStdString();
}

} // namespace velmora
