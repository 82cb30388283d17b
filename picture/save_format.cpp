// Velmora — which kind of file a save writes, chosen from its name.
#include "picture/save_format.h"

#include <QFileInfo>
#include <QStringList>

namespace velmora {

namespace {

// The extensions of one filter's patterns ("*.JPG;*.JPEG" gives "jpg", "jpeg"), in order.
QStringList PatternExtensions(const QString &patterns)
{
    QStringList extensions;
    for (const QString &pattern : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString trimmed = pattern.trimmed();
        if (trimmed.startsWith(QLatin1String("*.")) && trimmed.size() > 2)
            extensions << trimmed.mid(2).toLower();
    }
    return extensions;
}

} // namespace

QString CompleteSaveName(const QString &typed, const std::string &filter, int filterIndex)
{
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QList<QStringList> filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << PatternExtensions(parts[i + 1]);

    const QString lower = QFileInfo(typed).fileName().toLower();
    for (const QStringList &extensions : filters)
        for (const QString &extension : extensions)
            if (lower.endsWith(QLatin1Char('.') + extension) && lower.size() > extension.size() + 1)
                return typed;
    if (filterIndex < 1 || filterIndex > filters.size() || filters[filterIndex - 1].isEmpty())
        return typed;
    return typed + QLatin1Char('.') + filters[filterIndex - 1].first();
}

} // namespace velmora
