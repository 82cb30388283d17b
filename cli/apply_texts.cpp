// Velmora — the texts of `velmora apply`.
#include "cli/apply_texts.h"

#include "batch/failure_texts.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace velmora {

namespace {

std::string Format(const char *pattern, double a, double b = 0, double c = 0, double d = 0)
{
    char text[256];
    std::snprintf(text, sizeof text, pattern, a, b, c, d);
    return text;
}

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

ApplyTexts ApplyTexts::FromEnvironment()
{
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char *value = std::getenv(name);
        if (value && *value)
            return ApplyTexts(std::strncmp(value, "zh", 2) == 0);
    }
    return ApplyTexts(false);
}

std::string ApplyTexts::help() const
{
    if (m_chinese)
        return "用法：velmora apply (--gains R,G,B | --correction 文件.velmora | --reference R,G,B --target R,G,B)\n"
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
               "JPEG 输出中。每个输出文件写完并存盘后才出现。全部成功时退出状态为 0。\n";
    return "usage: velmora apply (--gains R,G,B | --correction FILE.velmora | --reference R,G,B --target R,G,B)\n"
           "                     [--rule design|exact|curve] [--out DIR] [--format jpg|png|tif|webp|bmp] [--quality N] [--jobs N]\n"
           "                     [--overwrite] PHOTOS...\n"
           "\n"
           "Corrects a set of photos with one correction; no display needed.\n"
           "\n"
           "  --gains R,G,B           the gain of each channel, applied as the window's pass does:\n"
           "                          v' = floor(gain * v) + v, kept within 0..255\n"
           "  --correction FILE       the correction, and its rule, from a .velmora file the window exported\n"
           "  --reference R,G,B       the reference colour (0..255); with --target, gives the gains by the\n"
           "                          same rule as the window's correct button\n"
           "  --target R,G,B          the photo's colour at the matching place (whole numbers 0..255)\n"
           "  --rule RULE             how the target colour is carried to the reference, default design:\n"
           "                          design  the design's gains (the rule --gains applies)\n"
           "                          exact   each channel scaled by reference/target in linear light: the\n"
           "                                  target lands on the reference, black stays black; every target\n"
           "                                  channel must be above 0\n"
           "                          curve   v' = 255 * (v/255)^gamma through the target and the reference:\n"
           "                                  black, white and the order of values kept, nothing clips; both\n"
           "                                  colours must be within 1..254 in every channel\n"
           "                          --gains goes only with design; with --rule, a correction file's\n"
           "                          colours are corrected by that rule\n"
           "  --out DIR               the output folder; default: a folder 已校正 beside each photo\n"
           "  --format FORMAT         the output format; default: the photo's own (HEIC, HEIF and AVIF give JPEG, GIF and ICO give PNG)\n"
           "  --quality N             JPEG and WebP quality, 1..100, default 95\n"
           "  --jobs N                threads at work, default: the number of cores; with fewer photos\n"
           "                          than threads, a JPEG is written by one while another decodes it\n"
           "  --overwrite             allow replacing existing outputs (a photo itself is never replaced)\n"
           "  --help                  show this help\n"
           "\n"
           "JPEG photos are decoded, corrected and written in bands of rows, in memory that does not grow\n"
           "with the photo; JPEG outputs keep the camera data and colour profile. Each output appears only\n"
           "once complete and on disk. The exit status is 0 only when every photo was corrected.\n";
}

std::string ApplyTexts::seeHelp() const
{
    return pick("请用 velmora apply --help 查看用法。", "See velmora apply --help.");
}

std::string ApplyTexts::problem(const ApplyProblem &p) const
{
    const std::string d = p.detail;
    switch (p.kind) {
    case ApplyProblemKind::UnknownOption: return pick("未知的选项：", "unknown option: ") + d;
    case ApplyProblemKind::MissingValue: return d + pick(" 后面缺少取值", " needs a value");
    case ApplyProblemKind::BadGains:
        return pick("增益必须是三个用逗号分隔的数，例如 0.12,-0.05,0.08：",
                    "the gains must be three numbers separated by commas, such as 0.12,-0.05,0.08: ") + d;
    case ApplyProblemKind::BadRule:
        return pick("未知的校正规则（可用 design、exact、curve）：", "unknown rule (use design, exact or curve): ") + d;
    case ApplyProblemKind::GainsNeedDesign:
        return pick("--gains 只用于按设计增益（design）的规则，不能与 --rule ", "--gains belongs to the design's rule and cannot go with --rule ")
               + d + pick("一起使用；请改用 --reference 与 --target，或校正量文件", "; give --reference and --target, or a correction file, instead");
    case ApplyProblemKind::BadReference:
        return pick("标准颜色必须是三个 0 到 255 之间的数，例如 200,150,120：",
                    "the reference colour must be three numbers from 0 to 255, such as 200,150,120: ") + d;
    case ApplyProblemKind::BadTarget:
        return pick("照片颜色必须是三个 0 到 255 之间的整数，例如 120,100,80：",
                    "the target colour must be three whole numbers from 0 to 255, such as 120,100,80: ") + d;
    case ApplyProblemKind::BadFormat:
        return pick("不支持的输出格式（可用 jpg、png、tif、webp、bmp）：",
                    "unsupported output format (use jpg, png, tif, webp or bmp): ") + d;
    case ApplyProblemKind::BadQuality: return pick("质量必须是 1 到 100 的整数：", "the quality must be a whole number from 1 to 100: ") + d;
    case ApplyProblemKind::BadJobs: return pick("同时处理数必须是 1 到 256 的整数：", "--jobs must be a whole number from 1 to 256: ") + d;
    case ApplyProblemKind::NoCorrection:
        return pick("请用 --gains、--correction 或 --reference 与 --target 给出校正量",
                    "give the correction with --gains, --correction, or --reference and --target");
    case ApplyProblemKind::TwoCorrections:
        return pick("--gains、--correction 和 --reference/--target 只能用其中一种",
                    "use only one of --gains, --correction and --reference/--target");
    case ApplyProblemKind::ReferenceWithoutTarget:
        return pick("--reference 和 --target 必须一起给出", "--reference and --target go together");
    case ApplyProblemKind::NoFiles: return pick("没有给出要校正的照片", "no photos given");
    }
    return {};
}

std::string ApplyTexts::refusal(Refusal r) const
{
    switch (r) {
    case Refusal::TooDark:
        return pick("校正量计算出的亮度为零或负数，无法校正", "the brightness from these colours is zero or below: no correction can be taken from it");
    case Refusal::TooLarge:
        return pick("校正量太大（任一通道的差值不能超过 100）", "the difference is too large (no channel may differ by more than 100)");
    case Refusal::OutOfRange:
        return pick("校正量超出了可计算的范围", "the correction is out of range");
    default:
        return pick("校正量不正确", "the correction is not valid");
    }
}

std::string ApplyTexts::refusal(const RuleRefusal &r) const
{
    const int c = r.detail.channel < 0 || r.detail.channel > 2 ? 0 : r.detail.channel;
    const std::string channel = m_chinese ? std::array{"红", "绿", "蓝"}[std::size_t(c)]
                                          : std::array{"red", "green", "blue"}[std::size_t(c)];
    const std::string colour = r.detail.inReference ? pick("标准颜色", "the reference") : pick("照片颜色", "the target");
    char number[32];
    std::snprintf(number, sizeof number, "%g", r.detail.value);
    switch (r.kind) {
    case Refusal::Overshoot:
        return pick("按设计增益，照片颜色的", "by the design's rule the target's ") + channel
               + pick("色会越过标准颜色很远，比校正前离它更远或相差更多：标准颜色离这块皮肤太远。请用 --rule exact，或选一个更接近的标准颜色",
                      " channel would land far past the reference: the reference is too far from this skin for the "
                      "design's gains. Use --rule exact, or a reference closer to this skin");
    case Refusal::ChannelToBlack:
        return pick("按设计增益，", "by the design's rule the ") + channel + pick("色的增益为 ", " gain would be ") + number
               + pick("（-1 或更小），整个通道会变成黑色：标准颜色比这块皮肤暗得多。请用 --rule exact，或选一个更接近的标准颜色",
                      " (-1 or below), which turns the whole channel black: the reference is much darker than this "
                      "skin. Use --rule exact, or a closer reference");
    case Refusal::TargetBlack:
        return pick("--rule exact 需要照片颜色的每个通道都大于 0，但它的", "--rule exact needs every channel of the target above 0, but its ")
               + channel + pick("色为 0。请选一个不含纯黑的照片颜色，或用 --rule design",
                                " is 0. Give a target without pure black in it, or use --rule design");
    case Refusal::ReferenceOutside:
        return colour + pick("的", "'s ") + channel + pick("色为 ", " would be ") + number
               + pick("，超出了 0 到 255。请减小差值或换一个颜色", ", outside 0..255. Use a smaller difference or another colour");
    case Refusal::ColourAtEnd:
        return pick("--rule curve 需要两种颜色的每个通道都在 0 和 255 之间（不含两端），但", "--rule curve needs both colours strictly between 0 and 255 in every channel, but ")
               + colour + pick("的", "'s ") + channel + pick("色为 ", " is ") + number
               + pick("。请换一个不是纯黑或纯白的颜色，或用 --rule exact", ". Use a colour that is not pure black or white there, or --rule exact");
    default:
        return refusal(r.kind);
    }
}

std::string ApplyTexts::correctionUnreadable(const std::string &path) const
{
    return pick("无法读取校正量文件：", "cannot read the correction file: ") + path;
}

std::string ApplyTexts::correctionFile(const std::string &path, CorrectionFileError e) const
{
    if (e == CorrectionFileError::Unreadable)
        return correctionUnreadable(path);
    if (m_chinese)
        return path + "：" + text::CorrectionFileText(e);
    switch (e) {
    case CorrectionFileError::NotACorrection:
    case CorrectionFileError::TooLong: return path + ": not a Velmora correction file";
    case CorrectionFileError::NewerVersion: return path + ": written by a newer Velmora";
    case CorrectionFileError::NoGains: return path + ": the file holds no gains";
    case CorrectionFileError::BadNumbers: return path + ": the file holds a number that is not valid";
    case CorrectionFileError::RepeatedKey: return path + ": a line's name stands twice in the file";
    case CorrectionFileError::UnknownRule: return path + ": the file names a rule this version does not know (design, exact, curve)";
    case CorrectionFileError::NoColours: return path + ": the file's rule needs both the reference and the target colour";
    case CorrectionFileError::Unreadable: break;
    }
    return path;
}

std::string ApplyTexts::fileFailure(FileFailure f) const
{
    if (m_chinese)
        return text::FileFailureText(f);
    switch (f) {
    case FileFailure::Missing: return "the file does not exist";
    case FileFailure::NotAFile: return "not a regular file (a folder, pipe or device)";
    case FileFailure::Unreadable: return "the file cannot be read (no permission, or a read error)";
    case FileFailure::NoResources: return "too many files open or out of memory; the photo itself may be fine";
    case FileFailure::NotAPicture: return "not a picture format we read";
    case FileFailure::Damaged: return "the picture data is damaged or cut off";
    case FileFailure::TooLarge: return "the picture is too large";
    case FileFailure::OutputExists: return "the output file exists (use --overwrite to replace it)";
    case FileFailure::OutputReadOnly: return "the output file is read-only; it was kept";
    case FileFailure::OutputNotWritable: return "cannot write in the output folder (no permission, or it does not exist)";
    case FileFailure::OutputWriteFailed: return "writing the output failed; the disk may be full";
    case FileFailure::WouldReplaceInput: return "the output would replace the photo itself; skipped";
    case FileFailure::SameOutputTwice: return "another photo of this run writes the same output file; skipped";
    case FileFailure::NoOutputFolder: return "cannot make the output folder";
    case FileFailure::None:
    case FileFailure::Described: break;
    }
    return {};
}

std::string ApplyTexts::failedLine(const std::string &path, const std::string &reason) const
{
    return pick("失败：", "failed: ") + path + pick("：", ": ") + reason;
}

std::string ApplyTexts::transparencyFlattenedLine(const std::string &output) const
{
    return pick("注意：", "note: ") + output + pick("：透明部分已填充为白色（该格式不支持透明）",
                                                    ": transparent parts filled with white (the format has no transparency)");
}

std::string ApplyTexts::depthReducedLine(const std::string &output) const
{
    return pick("注意：", "note: ") + output + pick("：照片每通道 16 位，已按每通道 8 位保存",
                                                    ": the photo has 16 bits per channel; saved with 8");
}

std::string ApplyTexts::summary(int done, int total, double megabytes, double seconds) const
{
    const std::string failed = total - done > 0
                                   ? Format(pick("，%.0f 张失败", ", %.0f failed"), total - done)
                                   : std::string();
    return Format(pick("已校正 %.0f/%.0f 张照片", "corrected %.0f of %.0f photos"), done, total) + failed
           + Format(pick("（%.1f MB，%.1f 秒）", " (%.1f MB in %.1f s)"), megabytes, seconds);
}

std::string ApplyTexts::progress(int done, int total, double rate, double secondsLeft) const
{
    return Format(pick("%.0f/%.0f 张  %.1f MB/秒  剩余 ", "%.0f/%.0f files  %.1f MB/s  left "), done, total, rate)
           + Clock(secondsLeft);
}

} // namespace velmora
