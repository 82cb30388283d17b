// Velmora — texts put together from values.
#include "ui/window_texts.h"

#include <QDir>

#include "core/number_text.h"

namespace velmora::text {

std::string RefusalText(Refusal refusal)
{
    switch (refusal) {
    case Refusal::NoReference: return "请首先选择皮肤样本或在标准照片中选择理想皮肤！";
    case Refusal::ReferenceNotNumber: return "标准肤色栏中须是数字！请重新选择皮肤样本或输入数字！";
    case Refusal::NoDifference: return "你还没有选择皮肤样本和需要的皮肤校正点！请重新选点！";
    case Refusal::DifferenceNotNumber: return "校正量栏中须是数字！请重新选点或输入数字！";
    case Refusal::OutOfRange: return "校正量超出范围，无法校正！请重新选点！";
    case Refusal::TooLarge: return "需校正色差过大！请重新选点！";
    case Refusal::TooDark: return "所选颜色太暗，无法计算校正量！请重新选点！";
    }
    return {};
}

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
