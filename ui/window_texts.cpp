// Velmora — texts put together from values.
#include "ui/window_texts.h"

#include <QDir>

#include "core/number_text.h"

namespace velmora::text {

QString PointerText(float x, float y)
{
    return QString::fromStdString("鼠标 X=" + SingleText(x) + "  Y=" + SingleText(y));
}

QString OpenFailedMessage(const QString &path, const QString &reason)
{
    return QStringLiteral("无法打开图片“%1”：%2。").arg(QDir::toNativeSeparators(path), reason);
}

QString SaveFailedMessage(const QString &path, const QString &reason)
{
    return QStringLiteral("无法保存图片“%1”：%2。").arg(QDir::toNativeSeparators(path), reason);
}

} // namespace velmora::text
