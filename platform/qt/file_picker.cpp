// Velmora — the file-name dialog on Qt.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

#include "platform/qt/name_only_icons.h"
#include "platform/qt/qt_services.h"

namespace velmora {

namespace {

// "*.BMP" becomes "*.[bB][mM][pP]": file names on Linux are case-sensitive, filters here are not.
QString CaselessPattern(const QString &pattern)
{
    QString out;
    for (const QChar c : pattern) {
        if (c.isLetter() && c.toLower() != c.toUpper())
            out += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
        else
            out += c;
    }
    return out;
}

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

std::optional<std::string> QtFilePicker::pick(const DialogSettings &settings, DialogPurpose purpose)
{
    QFileDialog dialog(QApplication::activeWindow());
    ConfigureFileDialog(dialog, settings, purpose);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

} // namespace velmora
