// Velmora — texts put together from values.
#include "ui/window/window_texts.h"

#include <cctype>
#include <iterator>

#include <QDir>

#include "core/number_text.h"
#include "io/picture_format.h"

namespace velmora::text {

std::string RefusalText(Refusal refusal, const RefusalDetail &detail)
{
    const QString channel = Tr(kChannelNames[detail.channel >= 0 && detail.channel < 3 ? detail.channel : 0]);
    const QString colour = Tr(detail.inReference ? kReferenceColourName : kTargetColourName);
    const QString value = QString::number(detail.value, 'g', 6);
    switch (refusal) {
    case Refusal::Overshoot: return Tr(kRefusalOvershoot).arg(channel).toStdString();
    case Refusal::ChannelToBlack: return Tr(kRefusalChannelToBlack).arg(channel, value).toStdString();
    case Refusal::TargetBlack: return Tr(kRefusalTargetBlack).arg(channel).toStdString();
    case Refusal::ReferenceOutside: return Tr(kRefusalReferenceOutside).arg(channel, value).toStdString();
    case Refusal::ColourAtEnd: return Tr(kRefusalColourAtEnd).arg(channel, colour, value).toStdString();
    case Refusal::NoReference: return TrUtf8(QT_TRANSLATE_NOOP("velmora", "请首先选择皮肤样本或在标准照片中选择理想皮肤！"));
    case Refusal::ReferenceNotNumber: return TrUtf8(QT_TRANSLATE_NOOP("velmora", "标准肤色栏中须是数字！请重新选择皮肤样本或输入数字！"));
    case Refusal::NoDifference: return TrUtf8(QT_TRANSLATE_NOOP("velmora", "你还没有选择皮肤样本和需要的皮肤校正点！请重新选点！"));
    case Refusal::DifferenceNotNumber: return TrUtf8(QT_TRANSLATE_NOOP("velmora", "校正量栏中须是数字！请重新选点或输入数字！"));
    case Refusal::OutOfRange: return TrUtf8(QT_TRANSLATE_NOOP("velmora", "校正量超出范围，无法校正！请重新选点！"));
    case Refusal::TooLarge: return TrUtf8(QT_TRANSLATE_NOOP("velmora", "需校正色差过大！请重新选点！"));
    case Refusal::TooDark: return TrUtf8(QT_TRANSLATE_NOOP("velmora", "所选颜色太暗，无法计算校正量！请重新选点！"));
    }
    return {};
}

const char *RuleText(Rule rule)
{
    switch (rule) {
    case Rule::Design: return kRuleDesignName;
    case Rule::Exact: return kRuleExactName;
    case Rule::Curve: return kRuleCurveName;
    }
    return kRuleDesignName;
}

QString CorrectionSummary(const CorrectionRecord &record)
{
    const auto triple = [](double a, double b, double c) {
        return QStringLiteral("(%1, %2, %3)").arg(a, 0, 'g', 6).arg(b, 0, 'g', 6).arg(c, 0, 'g', 6);
    };
    const QString rule = Tr(RuleText(record.rule));
    if (record.rule == Rule::Design || !record.reference || !record.target)
        return Tr(kBatchSummaryGains).arg(rule, triple(record.gains.red, record.gains.green, record.gains.blue));
    const auto &r = *record.reference;
    const Channels &t = *record.target;
    return Tr(kBatchSummaryColours).arg(rule, triple(r[0], r[1], r[2]), triple(t.red, t.green, t.blue));
}

namespace {

// "*.JPG;*.JPEG": upper case as the design writes them; the dialogs match any case.
std::string Patterns(const FormatInfo &info)
{
    std::string patterns;
    for (const std::string_view ending : info.endings) {
        std::string upper(ending);
        for (char &c : upper)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        patterns.append(patterns.empty() ? "*." : ";*.").append(upper);
    }
    return patterns;
}

std::string FamilyFilter(const FormatInfo &info)
{
    const std::string patterns = Patterns(info);
    // "BMP图像(*.BMP)": the format's name within the caption.
    return Tr(QT_TRANSLATE_NOOP("velmora", "%1图像(%2)"))
               .arg(QString::fromUtf8(info.name.data(), qsizetype(info.name.size())), QString::fromStdString(patterns))
               .toStdString()
           + "|" + patterns;
}

} // namespace

std::string OpenFilter()
{
    std::string all, families;
    for (const FormatInfo &info : PictureFormats()) {
        all.append(all.empty() ? "" : ";").append(Patterns(info));
        families.append("|").append(FamilyFilter(info));
    }
    return Tr(kAllPicturesFilter).toStdString() + "|" + all + families;
}

namespace {
constexpr PictureFormat kSaveFormats[] = {PictureFormat::Bmp, PictureFormat::Png, PictureFormat::Jpeg, PictureFormat::Tiff,
                                          PictureFormat::WebP};
} // namespace

int SaveFilterIndex(PictureFormat format)
{
    for (std::size_t i = 0; i < std::size(kSaveFormats); ++i)
        if (kSaveFormats[i] == format)
            return int(i) + 1;
    return 1;
}

std::string SaveFilter()
{
    std::string filter;
    for (const PictureFormat format : kSaveFormats) {
        if (!filter.empty())
            filter += '|';
        filter += FamilyFilter(InfoOf(format));
    }
    return filter;
}

QString SwatchToneTip(const QString &name, int red, int green, int blue)
{
    return QStringLiteral("%1 (%2, %3, %4)").arg(name).arg(red).arg(green).arg(blue);
}

QString PassProgressShown(const std::string &text)
{
    static const std::string kCoreWords = "已完成_";
    if (text.size() > kCoreWords.size() + 1 && text.compare(0, kCoreWords.size(), kCoreWords) == 0 && text.back() == '%')
        return Tr(kPassProgress).arg(QString::fromStdString(text.substr(kCoreWords.size(), text.size() - kCoreWords.size() - 1)));
    return QString::fromStdString(text);
}

QString UnsavedQuestion(const QString &fileName)
{
    return fileName.isEmpty() ? Tr(kUnsavedUnnamed) : Tr(kUnsavedNamed).arg(fileName);
}

QString PointerText(float x, float y)
{
    return Tr(QT_TRANSLATE_NOOP("velmora", "鼠标 X=%1  Y=%2"))
        .arg(QString::fromStdString(SingleText(x)), QString::fromStdString(SingleText(y)));
}

QString OpenFailedMessage(const QString &path, const QString &reason)
{
    return Tr(QT_TRANSLATE_NOOP("velmora", "无法打开图片“%1”：%2。")).arg(QDir::toNativeSeparators(path), reason);
}

QString SaveFailedMessage(const QString &path, const QString &reason)
{
    return Tr(QT_TRANSLATE_NOOP("velmora", "无法保存图片“%1”：%2。")).arg(QDir::toNativeSeparators(path), reason);
}

QString SaveProblemText(const SaveOutcome &outcome)
{
    switch (outcome.problem) {
    case SaveProblem::None:
        return {};
    case SaveProblem::IsFolder:
        return Tr(QT_TRANSLATE_NOOP("velmora", "已有同名的文件夹"));
    case SaveProblem::Exists:
        return Tr(QT_TRANSLATE_NOOP("velmora", "已有同名的文件"));
    case SaveProblem::ReadOnlyFile:
        return Tr(QT_TRANSLATE_NOOP("velmora", "该文件是只读的，未被替换"));
    case SaveProblem::NoPermission:
        return Tr(QT_TRANSLATE_NOOP("velmora", "没有在该文件夹中写入文件的权限"));
    case SaveProblem::NoFolder:
        return Tr(QT_TRANSLATE_NOOP("velmora", "文件夹不存在"));
    case SaveProblem::ReadOnlyDisk:
        return Tr(QT_TRANSLATE_NOOP("velmora", "该磁盘是只读的"));
    case SaveProblem::DiskFull:
        return Tr(QT_TRANSLATE_NOOP("velmora", "磁盘已满"));
    case SaveProblem::FileSizeLimit:
        return Tr(QT_TRANSLATE_NOOP("velmora", "文件超过了系统允许本程序写入的大小"));
    case SaveProblem::NameTooLong:
        return Tr(QT_TRANSLATE_NOOP("velmora", "文件名太长"));
    case SaveProblem::TooLargeForFormat:
        return Tr(QT_TRANSLATE_NOOP("velmora", "图片太大，无法保存为这种格式"));
    case SaveProblem::EncodeFailed:
        return Tr(QT_TRANSLATE_NOOP("velmora", "无法把图片编码为这种格式"));
    case SaveProblem::OtherError:
        break;
    }
    return Tr(QT_TRANSLATE_NOOP("velmora", "写入文件时出错（系统错误 %1）")).arg(outcome.systemError);
}

QString SaveLossMessage(const QString &path, bool transparencyFlattened, bool depthReduced)
{
    QString message = Tr(kSavedAt).arg(QDir::toNativeSeparators(path));
    if (transparencyFlattened)
        message += Tr(kTransparencyFlattened);
    if (depthReduced)
        message += Tr(kDepthReduced);
    return message;
}

QString CameraDataDroppedMessage(const QString &path)
{
    return Tr(QT_TRANSLATE_NOOP("velmora", "图片已保存到“%1”，但照片的相机信息未能全部写入该文件。")).arg(QDir::toNativeSeparators(path));
}

} // namespace velmora::text

namespace velmora::text {

QString LoadProblemText(LoadProblem problem, QSize declared, qint64 limitMB)
{
    switch (problem) {
    case LoadProblem::None: break;
    case LoadProblem::Missing: return Tr(QT_TRANSLATE_NOOP("velmora", "文件不存在或无法读取"));
    case LoadProblem::NotAFile: return Tr(QT_TRANSLATE_NOOP("velmora", "不是普通文件（可能是文件夹、管道或设备）"));
    case LoadProblem::Unreadable: return Tr(QT_TRANSLATE_NOOP("velmora", "读取文件时出错"));
    case LoadProblem::NoResources: return Tr(QT_TRANSLATE_NOOP("velmora", "打开的文件太多或内存不足，请关闭一些文件或程序后再试"));
    case LoadProblem::NotAPicture: return Tr(QT_TRANSLATE_NOOP("velmora", "不是可识别的图片格式"));
    case LoadProblem::Damaged: return Tr(QT_TRANSLATE_NOOP("velmora", "图片数据已损坏或不完整"));
    case LoadProblem::TooLarge:
        if (!declared.isValid())
            return Tr(QT_TRANSLATE_NOOP("velmora", "文件太大，超出了本机内存允许的 %1 MB")).arg(limitMB);
        return Tr(QT_TRANSLATE_NOOP("velmora", "图片太大（%1 × %2 像素），超出了本机内存允许的 %3 MB"))
            .arg(declared.width())
            .arg(declared.height())
            .arg(limitMB);
    }
    return {};
}

QString ProfileIgnoredMessage(const QString &path)
{
    return Tr(QT_TRANSLATE_NOOP("velmora", "图片“%1”内嵌的颜色配置文件无法读取或转换，已按未标记颜色空间（sRGB）的图片打开，"
                                           "颜色可能不准确。"))
        .arg(QDir::toNativeSeparators(path));
}

QString CorrectionFileMessage(const QString &path, CorrectionFileError error)
{
    if (error == CorrectionFileError::Unreadable)
        return CorrectionUnreadableMessage(path);
    return Tr(QT_TRANSLATE_NOOP("velmora", "无法使用校正量文件“%1”：%2。"))
        .arg(QDir::toNativeSeparators(path), QString::fromStdString(CorrectionFileText(error)));
}

QString CorrectionUnreadableMessage(const QString &path)
{
    return Tr(QT_TRANSLATE_NOOP("velmora", "无法读取校正量文件“%1”。")).arg(QDir::toNativeSeparators(path));
}

QString CorrectionSaveFailedMessage(const QString &path)
{
    return Tr(QT_TRANSLATE_NOOP("velmora", "无法保存校正量文件“%1”（没有权限、文件夹不存在或磁盘已满）。")).arg(QDir::toNativeSeparators(path));
}

QString BatchProgressText(int done, int total, const QString &current)
{
    return Tr(QT_TRANSLATE_NOOP("velmora", "正在校正 %1/%2：%3")).arg(done).arg(total).arg(current);
}

QString BatchSummary(int done, int total, bool cancelled)
{
    QString summary = Tr(QT_TRANSLATE_NOOP("velmora", "已校正 %1/%2 张照片")).arg(done).arg(total);
    if (cancelled)
        summary += Tr(QT_TRANSLATE_NOOP("velmora", "（已取消）"));
    if (done < total && !cancelled)
        summary += Tr(QT_TRANSLATE_NOOP("velmora", "，%1 张失败：")).arg(total - done);
    return summary;
}

QString BatchFailureLine(const QString &path, const QString &reason)
{
    return Tr(QT_TRANSLATE_NOOP("velmora", "%1：%2")).arg(QDir::toNativeSeparators(path), reason);
}

} // namespace velmora::text
