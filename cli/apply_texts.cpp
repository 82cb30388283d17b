// Velmora — the texts of `velmora apply`.
#include "cli/apply_texts.h"

#include "batch/failure_texts.h"

#include <cstdio>

#include <QCoreApplication>
#include <QString>

namespace velmora {

namespace {

// In the language installed for this run (batch/language.h).
QString Tr(const char *source) { return QCoreApplication::translate("velmora", source); }
std::string Utf8(const QString &text) { return text.toStdString(); }
QString Q(const std::string &text) { return QString::fromStdString(text); }
// One decimal, whatever the locale: "12.5".
QString Decimal(double value) { return QString::number(value, 'f', 1); }

std::string Clock(double seconds)
{
    if (!(seconds >= 0) || seconds > 359999)
        return "--:--";
    const long s = static_cast<long>(seconds + 0.5);
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%02ld:%02ld", s / 60, s % 60);
    return text;
}

} // namespace

Language ApplyTexts::language()
{
    // Scripts and logs read the command line's English wherever no language is asked for.
    return LanguageFromEnvironment(Language::English);
}

std::string ApplyTexts::help() const
{
    return Utf8(Tr(QT_TRANSLATE_NOOP("velmora",
        "用法：velmora apply (--gains R,G,B | --correction 文件.velmora | --reference R,G,B --target R,G,B)\n"
        "                    [--rule design|exact|curve] [--out 文件夹] [--format jpg|png|tif|webp|bmp] [--quality N] [--jobs N]\n"
        "                    [--overwrite] 照片...\n"
        "\n"
        "用同一个校正量校正一组照片，不需要显示器。\n"
        "\n"
        "  --gains R,G,B           各通道的增益，按校正时的规则：v' = floor(增益 × v) + v，限于 0..255\n"
        "  --correction 文件       从“导出校正量”保存的 .velmora 文件读取校正量及其规则\n"
        "  --reference R,G,B       标准颜色（0..255），与 --target 一起按“校正”的规则算出增益\n"
        "  --target R,G,B          照片上对应位置的颜色（0..255 的整数）\n"
        "  --rule 规则             用标准颜色和照片颜色校正的规则，默认 design：\n"
        "                          design  按设计增益（与 --gains 相同的算法）\n"
        "                          exact   精确匹配：在线性光中按 标准/照片 缩放各通道，照片颜色正好变成\n"
        "                                  标准颜色，黑色不变；照片颜色各通道须大于 0\n"
        "                          curve   保留黑白：v' = 255 × (v/255)^γ，照片颜色变成标准颜色，黑白和\n"
        "                                  明暗顺序不变，不会溢出；两种颜色各通道须在 1..254 之间\n"
        "                          --gains 只能用 design；给出 --rule 时，校正量文件按文件中的颜色使用该规则\n"
        "  --out 文件夹            输出文件夹；默认在每张照片旁边的“已校正”文件夹\n"
        "  --format 格式           输出格式；默认与原照片相同（HEIC、HEIF、AVIF 输出为 JPEG，GIF、ICO 输出为 PNG）\n"
        "  --quality N             JPEG 与 WebP 的质量，1..100，默认 95\n"
        "  --jobs N                同时工作的线程数，默认为处理器核心数；照片少于线程数时，\n"
        "                          一张 JPEG 一边解码一边由另一线程写出\n"
        "  --overwrite             允许替换已存在的输出文件（原照片永远不会被替换）\n"
        "  --help                  显示本说明\n"
        "\n"
        "JPEG 照片按行分段解码、校正和写出，内存占用与照片大小无关；相机数据和颜色配置文件保留在\n"
        "JPEG 输出中。每个输出文件写完并存盘后才出现。全部成功时退出状态为 0。\n")));
}

std::string ApplyTexts::seeHelp() const
{
    return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "请用 velmora apply --help 查看用法。")));
}

std::string ApplyTexts::problem(const ApplyProblem &p) const
{
    const QString d = Q(p.detail);
    switch (p.kind) {
    case ApplyProblemKind::UnknownOption: return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "未知的选项：%1")).arg(d));
    case ApplyProblemKind::MissingValue: return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "%1 后面缺少取值")).arg(d));
    case ApplyProblemKind::BadGains:
        return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "增益必须是三个用逗号分隔的数，例如 0.12,-0.05,0.08：%1")).arg(d));
    case ApplyProblemKind::BadRule:
        return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "未知的校正规则（可用 design、exact、curve）：%1")).arg(d));
    case ApplyProblemKind::GainsNeedDesign:
        return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "--gains 只用于按设计增益（design）的规则，不能与 --rule %1 一起使用；请改用 --reference 与 --target，或校正量文件")).arg(d));
    case ApplyProblemKind::BadReference:
        return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "标准颜色必须是三个 0 到 255 之间的数，例如 200,150,120：%1")).arg(d));
    case ApplyProblemKind::BadTarget:
        return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "照片颜色必须是三个 0 到 255 之间的整数，例如 120,100,80：%1")).arg(d));
    case ApplyProblemKind::BadFormat:
        return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "不支持的输出格式（可用 jpg、png、tif、webp、bmp）：%1")).arg(d));
    case ApplyProblemKind::BadQuality: return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "质量必须是 1 到 100 的整数：%1")).arg(d));
    case ApplyProblemKind::BadJobs: return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "同时处理数必须是 1 到 256 的整数：%1")).arg(d));
    case ApplyProblemKind::NoCorrection:
        return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "请用 --gains、--correction 或 --reference 与 --target 给出校正量")));
    case ApplyProblemKind::TwoCorrections:
        return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "--gains、--correction 和 --reference/--target 只能用其中一种")));
    case ApplyProblemKind::ReferenceWithoutTarget:
        return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "--reference 和 --target 必须一起给出")));
    case ApplyProblemKind::NoFiles: return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "没有给出要校正的照片")));
    }
    return {};
}

std::string ApplyTexts::refusal(Refusal r) const
{
    switch (r) {
    case Refusal::TooDark: return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "校正量计算出的亮度为零或负数，无法校正")));
    case Refusal::TooLarge: return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "校正量太大（任一通道的差值不能超过 100）")));
    case Refusal::OutOfRange: return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "校正量超出了可计算的范围")));
    default: return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "校正量不正确")));
    }
}

std::string ApplyTexts::refusal(const RuleRefusal &r) const
{
    // Channel and colour words of the command line's own, apart from the window's captions.
    const int c = r.detail.channel < 0 || r.detail.channel > 2 ? 0 : r.detail.channel;
    const QString channel = c == 0   ? QCoreApplication::translate("velmora", "红", "command line")
                            : c == 1 ? QCoreApplication::translate("velmora", "绿", "command line")
                                     : QCoreApplication::translate("velmora", "蓝", "command line");
    const QString colour = r.detail.inReference ? QCoreApplication::translate("velmora", "标准颜色", "command line")
                                                : QCoreApplication::translate("velmora", "照片颜色", "command line");
    const QString number = QString::number(r.detail.value, 'g', 6);
    switch (r.kind) {
    case Refusal::Overshoot:
        return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "按设计增益，照片颜色的%1色会越过标准颜色很远，比校正前离它更远或相差更多：标准颜色离这块皮肤太远。请用 --rule exact，或选一个更接近的标准颜色")).arg(channel));
    case Refusal::ChannelToBlack:
        return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "按设计增益，%1色的增益为 %2（-1 或更小），整个通道会变成黑色：标准颜色比这块皮肤暗得多。请用 --rule exact，或选一个更接近的标准颜色")).arg(channel, number));
    case Refusal::TargetBlack:
        return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "--rule exact 需要照片颜色的每个通道都大于 0，但它的%1色为 0。请选一个不含纯黑的照片颜色，或用 --rule design")).arg(channel));
    case Refusal::ReferenceOutside:
        return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "%1的%2色为 %3，超出了 0 到 255。请减小差值或换一个颜色")).arg(colour, channel, number));
    case Refusal::ColourAtEnd:
        return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "--rule curve 需要两种颜色的每个通道都在 0 和 255 之间（不含两端），但%1的%2色为 %3。请换一个不是纯黑或纯白的颜色，或用 --rule exact")).arg(colour, channel, number));
    default:
        return refusal(r.kind);
    }
}

std::string ApplyTexts::correctionUnreadable(const std::string &path) const
{
    return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "无法读取校正量文件：%1")).arg(Q(path)));
}

std::string ApplyTexts::correctionFile(const std::string &path, CorrectionFileError e) const
{
    if (e == CorrectionFileError::Unreadable)
        return correctionUnreadable(path);
    // "photo.velmora：不是 Velmora 校正量文件".
    return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "%1：%2")).arg(Q(path), Q(text::CorrectionFileText(e))));
}

std::string ApplyTexts::fileFailure(FileFailure f) const { return text::FileFailureText(f); }

std::string ApplyTexts::failedLine(const std::string &path, const std::string &reason) const
{
    return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "失败：%1：%2")).arg(Q(path), Q(reason)));
}

std::string ApplyTexts::transparencyFlattenedLine(const std::string &output) const
{
    return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "注意：%1：透明部分已填充为白色（该格式不支持透明）")).arg(Q(output)));
}

std::string ApplyTexts::depthReducedLine(const std::string &output) const
{
    return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "注意：%1：照片每通道 16 位，已按每通道 8 位保存")).arg(Q(output)));
}

std::string ApplyTexts::summary(int done, int total, double megabytes, double seconds) const
{
    QString line = Tr(QT_TRANSLATE_NOOP("velmora", "已校正 %1/%2 张照片")).arg(done).arg(total);
    if (total - done > 0)
        line += Tr(QT_TRANSLATE_NOOP("velmora", "，%1 张失败")).arg(total - done);
    return Utf8(line + Tr(QT_TRANSLATE_NOOP("velmora", "（%1 MB，%2 秒）")).arg(Decimal(megabytes), Decimal(seconds)));
}

std::string ApplyTexts::progress(int done, int total, double rate, double secondsLeft) const
{
    return Utf8(Tr(QT_TRANSLATE_NOOP("velmora", "%1/%2 张  %3 MB/秒  剩余 %4"))
                    .arg(done)
                    .arg(total)
                    .arg(Decimal(rate), QString::fromStdString(Clock(secondsLeft))));
}

} // namespace velmora
