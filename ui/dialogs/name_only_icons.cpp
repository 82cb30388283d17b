// Velmora — file types and icons for the file dialogs, judged from names alone.
#include "ui/dialogs/name_only_icons.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>

namespace velmora {

namespace {

// Called from the dialog's file-information thread as well as the window's, so it keeps no
// state of its own; QMimeDatabase may be used from several threads.
class NameOnlyIconProvider : public QFileIconProvider {
public:
    NameOnlyIconProvider() { setOptions(DontUseCustomDirectoryIcons); }

    using QFileIconProvider::icon;

    QIcon icon(const QFileInfo &info) const override
    {
        if (info.isDir()) // a stat, no read
            return icon(Folder);
        const QMimeType mime = ByName(info);
        return QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName(), icon(File)));
    }

    QString type(const QFileInfo &info) const override
    {
        if (info.isDir())
            return QFileIconProvider::type(info); // folders and drives are named without reading
        const QMimeType mime = ByName(info);
        return mime.comment().isEmpty() ? mime.name() : mime.comment();
    }

private:
    static QMimeType ByName(const QFileInfo &info)
    {
        return QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    }
};

} // namespace

QAbstractFileIconProvider *NameOnlyIcons()
{
    // Never destroyed: the dialogs' file-information threads may still hold it as they wind down.
    static auto *provider = new NameOnlyIconProvider;
    return provider;
}

} // namespace velmora
