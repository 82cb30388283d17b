// Velmora — texts put together from values.
#include "ui/window/window_texts.h"

#include <cctype>

#include <QDir>

#include "core/number_text.h"
#include "io/picture_format.h"

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

std::string SaveFilter()
{
    std::string filter;
    for (const PictureFormat format : {PictureFormat::Bmp, PictureFormat::Png, PictureFormat::Jpeg, PictureFormat::Tiff,
                                       PictureFormat::WebP}) {
        std::string patterns;
        for (const std::string_view ending : InfoOf(format).endings) {
            std::string upper(ending);
            for (char &c : upper)
                c = char(std::toupper(static_cast<unsigned char>(c)));
            patterns.append(patterns.empty() ? "*." : ";*.").append(upper);
        }
        if (!filter.empty())
            filter += '|';
        filter.append(InfoOf(format).name).append("图像(").append(patterns).append(")|").append(patterns);
    }
    return filter;
}

QString UnsavedQuestion(const QString &fileName)
{
    return fileName.isEmpty() ? Tr(kUnsavedUnnamed) : Tr(kUnsavedNamed).arg(fileName);
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

QString SaveProblemText(const SaveOutcome &outcome)
{
    switch (outcome.problem) {
    case SaveProblem::None:
        return {};
    case SaveProblem::IsFolder:
        return QStringLiteral("已有同名的文件夹");
    case SaveProblem::Exists:
        return QStringLiteral("已有同名的文件");
    case SaveProblem::ReadOnlyFile:
        return QStringLiteral("该文件是只读的，未被替换");
    case SaveProblem::NoPermission:
        return QStringLiteral("没有在该文件夹中写入文件的权限");
    case SaveProblem::NoFolder:
        return QStringLiteral("文件夹不存在");
    case SaveProblem::ReadOnlyDisk:
        return QStringLiteral("该磁盘是只读的");
    case SaveProblem::DiskFull:
        return QStringLiteral("磁盘已满");
    case SaveProblem::FileSizeLimit:
        return QStringLiteral("文件超过了系统允许本程序写入的大小");
    case SaveProblem::NameTooLong:
        return QStringLiteral("文件名太长");
    case SaveProblem::TooLargeForFormat:
        return QStringLiteral("图片太大，无法保存为这种格式");
    case SaveProblem::EncodeFailed:
        return QStringLiteral("无法把图片编码为这种格式");
    case SaveProblem::OtherError:
        break;
    }
    return QStringLiteral("写入文件时出错（系统错误 %1）").arg(outcome.systemError);
}

QString CameraDataDroppedMessage(const QString &path)
{
    return QStringLiteral("图片已保存到“%1”，但照片的相机信息未能全部写入该文件。").arg(QDir::toNativeSeparators(path));
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
    case LoadProblem::NoResources: return QStringLiteral("打开的文件太多或内存不足，请关闭一些文件或程序后再试");
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

QString CorrectionFileMessage(const QString &path, CorrectionFileError error)
{
    if (error == CorrectionFileError::Unreadable)
        return CorrectionUnreadableMessage(path);
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
