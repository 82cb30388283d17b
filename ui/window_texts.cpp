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

std::string FileFailureText(FileFailure failure)
{
    switch (failure) {
    case FileFailure::Unreadable: return "文件不存在或无法读取";
    case FileFailure::NotAPicture: return "不是可识别的图片格式";
    case FileFailure::Damaged: return "图片数据已损坏或不完整";
    case FileFailure::TooLarge: return "图片太大，无法处理";
    case FileFailure::OutputExists: return "输出文件已存在（用 --overwrite 允许替换）";
    case FileFailure::OutputNotWritable: return "无法在输出文件夹中写入文件（没有权限或文件夹不存在）";
    case FileFailure::OutputWriteFailed: return "写入文件失败，磁盘可能已满";
    case FileFailure::WouldReplaceInput: return "输出会替换原照片，已跳过";
    case FileFailure::SameOutputTwice: return "另一张照片的输出文件同名，已跳过";
    case FileFailure::NoOutputFolder: return "无法创建输出文件夹";
    case FileFailure::None:
    case FileFailure::Described: break;
    }
    return {};
}

std::string CorrectionFileText(CorrectionFileError error)
{
    switch (error) {
    case CorrectionFileError::NotACorrection:
    case CorrectionFileError::TooLong: return "不是 Velmora 校正量文件";
    case CorrectionFileError::NewerVersion: return "由更新版本的 Velmora 写出，本版本无法读取";
    case CorrectionFileError::NoGains: return "文件中没有增益";
    case CorrectionFileError::BadNumbers: return "文件中的数值不正确";
    }
    return {};
}

QString CorrectionFileMessage(const QString &path, CorrectionFileError error)
{
    return QStringLiteral("无法使用校正量文件“%1”：%2。")
        .arg(QDir::toNativeSeparators(path), QString::fromStdString(CorrectionFileText(error)));
}

QString CorrectionUnreadableMessage(const QString &path)
{
    return QStringLiteral("无法读取校正量文件“%1”。").arg(QDir::toNativeSeparators(path));
}

QString CorrectionSaveFailedMessage(const QString &path)
{
    return QStringLiteral("无法保存校正量文件“%1”（没有权限、文件夹不存在或磁盘已满）。").arg(QDir::toNativeSeparators(path));
}

QString BatchProgressText(int done, int total, const QString &current)
{
    return QStringLiteral("正在校正 %1/%2：%3").arg(done).arg(total).arg(current);
}

QString BatchSummary(int done, int total, bool cancelled)
{
    QString summary = QStringLiteral("已校正 %1/%2 张照片").arg(done).arg(total);
    if (cancelled)
        summary += QStringLiteral("（已取消）");
    if (done < total && !cancelled)
        summary += QStringLiteral("，%1 张失败：").arg(total - done);
    return summary;
}

QString BatchFailureLine(const QString &path, const QString &reason)
{
    return QStringLiteral("%1：%2").arg(QDir::toNativeSeparators(path), reason);
}

} // namespace velmora::text
