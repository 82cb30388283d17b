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

namespace velmora::text {

QString LoadProblemText(LoadProblem problem, QSize declared, qint64 limitMB)
{
    switch (problem) {
    case LoadProblem::None: break;
    case LoadProblem::Missing: return QStringLiteral("文件不存在或无法读取");
    case LoadProblem::NotAFile: return QStringLiteral("不是普通文件（可能是文件夹、管道或设备）");
    case LoadProblem::Unreadable: return QStringLiteral("读取文件时出错");
    case LoadProblem::NotAPicture: return QStringLiteral("不是可识别的图片格式");
    case LoadProblem::Damaged: return QStringLiteral("图片数据已损坏或不完整");
    case LoadProblem::TooLarge:
        if (!declared.isValid())
            return QStringLiteral("文件太大，超出了本机内存允许的 %1 MB").arg(limitMB);
        return QStringLiteral("图片太大（%1 × %2 像素），超出了本机内存允许的 %3 MB")
            .arg(declared.width())
            .arg(declared.height())
            .arg(limitMB);
    }
    return {};
}

QString ProfileIgnoredMessage(const QString &path)
{
    return QStringLiteral("图片“%1”内嵌的颜色配置文件无法读取或转换，已按未标记颜色空间（sRGB）的图片打开，"
                          "颜色可能不准确。")
        .arg(QDir::toNativeSeparators(path));
}

} // namespace velmora::text
