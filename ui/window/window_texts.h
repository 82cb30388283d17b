// Velmora — the window's own texts (UTF-8), and the few that are put together from values.
#pragma once

#include <QCoreApplication>
#include <QSize>
#include <QString>

#include <string>

#include "core/correction_file.h"
#include "core/refusal.h"
#include "picture/save_outcome.h"
#include "picture/decoded_picture.h"
#include "batch/batch_files.h"
#include "batch/failure_texts.h"

namespace velmora::text {

// Every text the user sees goes through here, so the window can speak the user's language: the
// Chinese source, or its translation when one is installed (batch/language.h).
inline QString Tr(const char *source) { return QCoreApplication::translate("velmora", source); }
// The same, for the services that take UTF-8.
inline std::string TrUtf8(const char *source) { return Tr(source).toStdString(); }
// A source text that stands elsewhere with another meaning, told apart by a note for translators.
struct NotedText {
    const char *source;
    const char *note;
};
inline QString Tr(NotedText text) { return QCoreApplication::translate("velmora", text.source, text.note); }

inline constexpr const char *kAppTitle = "Velmora";
inline constexpr const char *kNoticeTitle = QT_TRANSLATE_NOOP("velmora", "提示");
inline constexpr const char *kAlreadyRunning = QT_TRANSLATE_NOOP("velmora", "你已经运行这个应用程序了");
inline constexpr const char *kGuideTitle = QT_TRANSLATE_NOOP("velmora", "使用指南");
inline constexpr const char *kGuide =
    QT_TRANSLATE_NOOP("velmora", "本软件可快速把MM光线不好或偏色的照片进行校正,方法是分别导入一理想的图片(也可直接在皮肤样本中选择)"
    "和希望调整的MM照片,然后用鼠标选择理想照片(或皮肤样本)中最美的肤色和要调整到该肤色的照片中的相应位置,"
    "点击校正即可,不满意可刷新后再试,直到满意后点击保存即可把该照片保存为BMP格式图片！");

inline constexpr const char *kReferenceTip = QT_TRANSLATE_NOOP("velmora", "将鼠标移动到理想皮肤颜色处点击选取皮肤样品！");
inline constexpr const char *kTargetTip = QT_TRANSLATE_NOOP("velmora", "将鼠标移动到需校正到皮肤样品一样的地方点击选取校正点！");
inline constexpr const char *kMoveTip = QT_TRANSLATE_NOOP("velmora", "按下鼠标移动后放开可移动照片");
inline constexpr const char *kSwatchTip = QT_TRANSLATE_NOOP("velmora", "将鼠标移到理想皮肤处点击可选取标准肤色！");

// The open dialog's filters: every picture Velmora reads, then one filter a format of the table,
// "所有图片|*.JPG;*.JPEG;…|JPEG图像(*.JPG;*.JPEG)|*.JPG;*.JPEG|…".
inline constexpr const char *kAllPicturesFilter = QT_TRANSLATE_NOOP("velmora", "所有图片");
std::string OpenFilter();
// The save dialog's filters, one a format written: "BMP图像(*.BMP)|*.BMP|…|WebP图像(*.WEBP)|*.WEBP",
// the design's bitmap first.
std::string SaveFilter();
// The 1-based place of a written format's filter in SaveFilter().
int SaveFilterIndex(PictureFormat format);
inline constexpr const char *kImportFolder = "d:";

// The designed window's captions: its buttons, headings and frames.
inline constexpr const char *kRefreshButton = QT_TRANSLATE_NOOP("velmora", "刷新");
inline constexpr const char *kCorrectButton = QT_TRANSLATE_NOOP("velmora", "校正");
inline constexpr const char *kSaveButton = QT_TRANSLATE_NOOP("velmora", "保存");
inline constexpr const char *kHelpButton = QT_TRANSLATE_NOOP("velmora", "帮助");
inline constexpr const char *kQuitButton = QT_TRANSLATE_NOOP("velmora", "退出");
inline constexpr const char *kImportReferenceButton = QT_TRANSLATE_NOOP("velmora", "导入标准照片");
inline constexpr const char *kImportTargetButton = QT_TRANSLATE_NOOP("velmora", "导入将校正照片");
inline constexpr const char *kSwatchHeading = QT_TRANSLATE_NOOP("velmora", "皮肤样本");
inline constexpr const char *kTargetHeading = QT_TRANSLATE_NOOP("velmora", "将校正照片");
inline constexpr const char *kReferenceHeading = QT_TRANSLATE_NOOP("velmora", "标准照片");
inline constexpr const char *kToolFrame = QT_TRANSLATE_NOOP("velmora", "校正工具");
inline constexpr const char *kTargetBar = QT_TRANSLATE_NOOP("velmora", "校正工具栏");
inline constexpr const char *kReferenceBar = QT_TRANSLATE_NOOP("velmora", "标准照片栏");
// Read one character a line, in a label one character wide.
inline constexpr NotedText kDifferenceHeading =
    QT_TRANSLATE_NOOP3("velmora", "校正量", "the heading of the difference fields, one character a line");
// The target bar's field while a pass runs: "已完成_37%".
inline constexpr const char *kPassProgress = QT_TRANSLATE_NOOP("velmora", "已完成_%1%");

// A field text as shown: the pass's "已完成_37%" in the window's language, anything else as it is.
QString PassProgressShown(const std::string &text);

// The menu bar: menus, then each command's caption with its mnemonic.
inline constexpr const char *kFileMenu = QT_TRANSLATE_NOOP("velmora", "文件(&F)");
inline constexpr const char *kEditMenu = QT_TRANSLATE_NOOP("velmora", "编辑(&E)");
inline constexpr const char *kViewMenu = QT_TRANSLATE_NOOP("velmora", "视图(&V)");
inline constexpr const char *kHelpMenu = QT_TRANSLATE_NOOP("velmora", "帮助(&H)");
inline constexpr const char *kImportReferenceCommand = QT_TRANSLATE_NOOP("velmora", "导入标准照片(&R)…");
inline constexpr const char *kImportTargetCommand = QT_TRANSLATE_NOOP("velmora", "导入将校正照片(&O)…");
inline constexpr const char *kRecentMenu = QT_TRANSLATE_NOOP("velmora", "最近打开(&J)");
inline constexpr const char *kRefreshCommand = QT_TRANSLATE_NOOP("velmora", "刷新(&L)");
inline constexpr const char *kSaveCommand = QT_TRANSLATE_NOOP("velmora", "保存(&S)…");
inline constexpr const char *kSaveOptionsCommand = QT_TRANSLATE_NOOP("velmora", "保存选项(&P)…");
inline constexpr const char *kExportCorrectionCommand = QT_TRANSLATE_NOOP("velmora", "导出校正量(&E)…");
inline constexpr const char *kImportCorrectionCommand = QT_TRANSLATE_NOOP("velmora", "导入校正量(&I)…");
inline constexpr const char *kBatchCommand = QT_TRANSLATE_NOOP("velmora", "批量校正(&B)…");
inline constexpr const char *kQuitCommand = QT_TRANSLATE_NOOP("velmora", "退出(&X)");
inline constexpr const char *kUndoCommand = QT_TRANSLATE_NOOP("velmora", "撤销校正(&U)");
inline constexpr const char *kRedoCommand = QT_TRANSLATE_NOOP("velmora", "重做校正(&D)");
inline constexpr const char *kSampleSizeMenu = QT_TRANSLATE_NOOP("velmora", "取样范围(&S)");
inline constexpr const char *kSampleSizeCommands[] = {
    QT_TRANSLATE_NOOP("velmora", "单点(&1)"), QT_TRANSLATE_NOOP("velmora", "3 × 3 平均(&3)"),
    QT_TRANSLATE_NOOP("velmora", "5 × 5 平均(&5)"), QT_TRANSLATE_NOOP("velmora", "11 × 11 平均(&9)")};
inline constexpr int kSampleSizes[] = {1, 3, 5, 11};
// 编辑 > 校正规则: how 校正 carries the target colour to the reference.
inline constexpr const char *kRuleMenu = QT_TRANSLATE_NOOP("velmora", "校正规则(&R)");
inline constexpr const char *kRuleDesignCommand = QT_TRANSLATE_NOOP("velmora", "按设计增益(&D)");
inline constexpr const char *kRuleExactCommand = QT_TRANSLATE_NOOP("velmora", "精确匹配(&E)");
inline constexpr const char *kRuleCurveCommand = QT_TRANSLATE_NOOP("velmora", "保留黑白(&K)");
inline constexpr const char *kRuleDesignName = QT_TRANSLATE_NOOP("velmora", "按设计增益");
inline constexpr const char *kRuleExactName = QT_TRANSLATE_NOOP("velmora", "精确匹配");
inline constexpr const char *kRuleCurveName = QT_TRANSLATE_NOOP("velmora", "保留黑白");
inline constexpr const char *kFitCommand = QT_TRANSLATE_NOOP("velmora", "适合窗口(&F)");
inline constexpr const char *kActualSizeCommand = QT_TRANSLATE_NOOP("velmora", "实际大小(&A)");
inline constexpr const char *kZoomInCommand = QT_TRANSLATE_NOOP("velmora", "放大(&I)");
inline constexpr const char *kZoomOutCommand = QT_TRANSLATE_NOOP("velmora", "缩小(&O)");
inline constexpr const char *kCompareCommand = QT_TRANSLATE_NOOP("velmora", "对比原图(&C)");
inline constexpr const char *kFitOnImportCommand = QT_TRANSLATE_NOOP("velmora", "大图导入时适合窗口(&W)");
inline constexpr const char *kGuideCommand = QT_TRANSLATE_NOOP("velmora", "使用指南(&G)");
inline constexpr const char *kManualCommand = QT_TRANSLATE_NOOP("velmora", "使用手册(&M)");
inline constexpr const char *kAboutCommand = QT_TRANSLATE_NOOP("velmora", "关于 Velmora(&A)");
inline constexpr const char *kLanguageMenu = QT_TRANSLATE_NOOP("velmora", "语言 / Language(&L)");
// A language's own name stays in its own writing in every language.
inline constexpr const char *kChineseCommand = "中文";
inline constexpr const char *kEnglishCommand = "English";
inline constexpr const char *kFollowSystemCommand = QT_TRANSLATE_NOOP("velmora", "跟随系统 / Follow the system");
inline constexpr const char *kLanguageNextStart =
    QT_TRANSLATE_NOOP("velmora", "下次启动 Velmora 时将使用所选的语言。\nThe chosen language is used from the next start of Velmora.");
inline constexpr const char *kAboutTitle = QT_TRANSLATE_NOOP("velmora", "关于 Velmora");
inline constexpr const char *kAbout = QT_TRANSLATE_NOOP("velmora", "Velmora 1.00\n校正照片的肤色与偏色：选一处理想的肤色和照片中的相应位置，即可按三色增益校正整张照片。");

// Before the window: the command line it was started with, and its private folder.
inline constexpr const char *kLaunchUsage = QT_TRANSLATE_NOOP("velmora", "用法：velmora [--reference 标准照片] [将校正照片]");
// "文件夹 /run/user/1000/velmora 属于另一个用户，不能用作…": the folder, then why.
inline constexpr const char *kRuntimeFolderRefused = QT_TRANSLATE_NOOP(
    "velmora", "文件夹 %1 %2，不能用作本程序的私有文件夹（只允许运行一个副本的锁与转交文件的通道已关闭）。");
inline constexpr const char *kFolderNotAbsolute = QT_TRANSLATE_NOOP("velmora", "不是绝对路径");
inline constexpr const char *kFolderNotMade = QT_TRANSLATE_NOOP("velmora", "无法创建：%1");
inline constexpr const char *kFolderNotRead = QT_TRANSLATE_NOOP("velmora", "无法读取：%1");
inline constexpr const char *kFolderIsLink = QT_TRANSLATE_NOOP("velmora", "是一个链接");
inline constexpr const char *kFolderNotFolder = QT_TRANSLATE_NOOP("velmora", "不是文件夹");
inline constexpr const char *kFolderOtherOwner = QT_TRANSLATE_NOOP("velmora", "属于另一个用户");
inline constexpr const char *kFolderOpen = QT_TRANSLATE_NOOP("velmora", "其他用户也可以访问（权限应为 0700）");

// 样本 menu: what the four swatch boxes show, and the user's own swatches.
inline constexpr const char *kSwatchMenu = QT_TRANSLATE_NOOP("velmora", "样本(&W)");
inline constexpr const char *kSwatchSetCommands[] = {
    QT_TRANSLATE_NOOP("velmora", "设计样本(&0)"), QT_TRANSLATE_NOOP("velmora", "蒙克肤色 1–4(&1)"),
    QT_TRANSLATE_NOOP("velmora", "蒙克肤色 5–8(&2)"), QT_TRANSLATE_NOOP("velmora", "蒙克肤色 9–10 与色卡(&3)"),
    QT_TRANSLATE_NOOP("velmora", "我的样本(&4)")};
inline constexpr const char *kAddMySwatchCommand = QT_TRANSLATE_NOOP("velmora", "加入我的样本(&A)");
inline constexpr const char *kClearMySwatchesCommand = QT_TRANSLATE_NOOP("velmora", "清空我的样本(&C)");
inline constexpr const char *kNothingToAddToMySwatches =
    QT_TRANSLATE_NOOP("velmora", "还没有选取标准肤色！请先在标准照片或皮肤样本中点击选取，再加入我的样本。");
// A swatch's name in its tip; %1 is the tone's number on the Monk scale.
inline constexpr const char *kMonkToneName = QT_TRANSLATE_NOOP("velmora", "蒙克肤色 %1");
inline constexpr const char *kChartLightSkinName = QT_TRANSLATE_NOOP("velmora", "色卡浅肤色");
inline constexpr const char *kChartDarkSkinName = QT_TRANSLATE_NOOP("velmora", "色卡深肤色");
inline constexpr const char *kMySwatchName = QT_TRANSLATE_NOOP("velmora", "我的样本");
// "蒙克肤色 6 (160, 126, 86)": a swatch's name and the values a pick at its centre gives.
QString SwatchToneTip(const QString &name, int red, int green, int blue);
// The Monk Skin Tone Scale's attribution, as its licence asks; shown under the about text.
inline constexpr const char *kSwatchCredit = QT_TRANSLATE_NOOP(
    "velmora", "蒙克肤色样本据 Ellis Monk 博士的“蒙克肤色量表”（Monk Skin Tone Scale，https://skintone.google）"
               "的色值绘制；该量表按 CC BY 4.0 许可发布：https://creativecommons.org/licenses/by/4.0/");

// 帮助 > 使用手册. The manual's first page is a text of its own, so each language opens its own pages.
inline constexpr const char *kManualTitle = QT_TRANSLATE_NOOP("velmora", "Velmora 使用手册");
inline constexpr const char *kManualHome = QT_TRANSLATE_NOOP("velmora", "目录(&H)");
inline constexpr const char *kManualClose = QT_TRANSLATE_NOOP("velmora", "关闭(&C)");
inline constexpr const char *kManualResource = QT_TRANSLATE_NOOP("velmora", "qrc:/manual/zh/index.html");

// Asked before a photo with an unsaved correction goes; answered with Qt's standard Save, Discard
// and Cancel. %1 is the photo's file name.
inline constexpr const char *kUnsavedNamed = QT_TRANSLATE_NOOP("velmora", "照片“%1”的校正尚未保存。是否先保存？");
inline constexpr const char *kUnsavedUnnamed = QT_TRANSLATE_NOOP("velmora", "将校正照片的校正尚未保存。是否先保存？");
QString UnsavedQuestion(const QString &fileName);
// 保存 answered while a pass is still running over the photo.
inline constexpr const char *kNoSaveDuringPass =
    QT_TRANSLATE_NOOP("velmora", "正在校正，照片尚未校正完，现在无法保存。请等校正完成后再保存。");

// What a screen reader says of each control: a name, and where the name is not enough a description.
inline constexpr const char *kSpeakReferenceArea = QT_TRANSLATE_NOOP("velmora", "标准照片区域");
inline constexpr const char *kSpeakTargetArea = QT_TRANSLATE_NOOP("velmora", "将校正照片区域");
inline constexpr const char *kSpeakReferencePicture = QT_TRANSLATE_NOOP("velmora", "标准照片");
inline constexpr const char *kSpeakTargetPicture = QT_TRANSLATE_NOOP("velmora", "将校正照片");
inline constexpr const char *kSpeakSwatchArea = QT_TRANSLATE_NOOP("velmora", "皮肤样本");
// %1 the swatch's number from the top, %2 its tone.
inline constexpr const char *kSpeakSwatch = QT_TRANSLATE_NOOP("velmora", "皮肤样本 %1：%2");
inline constexpr const char *kSpeakLightTone = QT_TRANSLATE_NOOP("velmora", "浅肤色");
inline constexpr const char *kSpeakMediumTone = QT_TRANSLATE_NOOP("velmora", "中等肤色");
inline constexpr const char *kSpeakDarkTone = QT_TRANSLATE_NOOP("velmora", "深肤色");
inline constexpr const char *kSpeakProgress = QT_TRANSLATE_NOOP("velmora", "校正进度");
inline constexpr const char *kSpeakProgressHelp = QT_TRANSLATE_NOOP("velmora", "校正整张照片的进度");
// The window's own scroll bars, shown when the screen is too small for it.
inline constexpr const char *kSpeakWindowAcross = QT_TRANSLATE_NOOP("velmora", "窗口水平滚动条");
inline constexpr const char *kSpeakWindowDown = QT_TRANSLATE_NOOP("velmora", "窗口垂直滚动条");
// The colour fields, in the order of Field: picture (or difference) and channel.
inline constexpr const char *kSpeakFields[] = {
    QT_TRANSLATE_NOOP("velmora", "标准照片 红"), QT_TRANSLATE_NOOP("velmora", "标准照片 绿"),
    QT_TRANSLATE_NOOP("velmora", "标准照片 蓝"), QT_TRANSLATE_NOOP("velmora", "将校正照片 红"),
    QT_TRANSLATE_NOOP("velmora", "将校正照片 绿"), QT_TRANSLATE_NOOP("velmora", "将校正照片 蓝"),
    QT_TRANSLATE_NOOP("velmora", "校正量 红"), QT_TRANSLATE_NOOP("velmora", "校正量 绿"),
    QT_TRANSLATE_NOOP("velmora", "校正量 蓝"), QT_TRANSLATE_NOOP("velmora", "标准照片 鼠标位置"),
    QT_TRANSLATE_NOOP("velmora", "将校正照片 鼠标位置与进度")};
inline constexpr const char *kSpeakReferenceColourHelp =
    QT_TRANSLATE_NOOP("velmora", "从标准照片或皮肤样本选取的理想肤色（0–255）");
inline constexpr const char *kSpeakTargetColourHelp =
    QT_TRANSLATE_NOOP("velmora", "在将校正照片中选取的校正点颜色（0–255）");
inline constexpr const char *kSpeakDifferenceHelp =
    QT_TRANSLATE_NOOP("velmora", "理想肤色与校正点颜色之差，校正按它进行");

// Why a pick or a pass was refused, as the window says it (title kNoticeTitle).
std::string RefusalText(Refusal refusal, const RefusalDetail &detail = {});
// The rule's name as the menu shows it, without the mnemonic.
const char *RuleText(Rule rule);
// The rule and the numbers a correction applies, for the batch dialog.
QString CorrectionSummary(const CorrectionRecord &record);

// The rules' refusals: %1 a channel's name, %2 a colour's name or a value, %3 a value.
inline constexpr const char *kChannelNames[] = {QT_TRANSLATE_NOOP("velmora", "红"), QT_TRANSLATE_NOOP("velmora", "绿"),
                                                QT_TRANSLATE_NOOP("velmora", "蓝")};
inline constexpr const char *kReferenceColourName = QT_TRANSLATE_NOOP("velmora", "标准肤色");
inline constexpr const char *kTargetColourName = QT_TRANSLATE_NOOP("velmora", "校正点");
inline constexpr const char *kRefusalOvershoot = QT_TRANSLATE_NOOP(
    "velmora", "标准肤色与这块皮肤相差太远：按设计增益校正，%1色会越过标准肤色很多，照片会偏得更厉害。"
               "请改用“编辑 > 校正规则 > 精确匹配”，或选一个更接近这块皮肤的标准肤色！");
inline constexpr const char *kRefusalChannelToBlack = QT_TRANSLATE_NOOP(
    "velmora", "标准肤色比这块皮肤暗得多：按设计增益，%1色的增益为 %2，整个%1色通道会变成黑色。"
               "请改用“编辑 > 校正规则 > 精确匹配”，或选一个更接近这块皮肤的标准肤色，或减小校正量！");
inline constexpr const char *kRefusalTargetBlack = QT_TRANSLATE_NOOP(
    "velmora", "精确匹配需要校正点的每个通道都大于 0，但校正点的%1色为 0。"
               "请在皮肤上另选一个不含纯黑的校正点，或改用“按设计增益”！");
inline constexpr const char *kRefusalReferenceOutside =
    QT_TRANSLATE_NOOP("velmora", "校正点加上校正量后，%1色为 %2，超出了 0 到 255。请减小校正量或重新选点！");
inline constexpr const char *kRefusalColourAtEnd = QT_TRANSLATE_NOOP(
    "velmora", "保留黑白需要标准肤色和校正点的每个通道都在 0 与 255 之间（不含两端），但%2的%1色为 %3。"
               "请另选一个不是纯黑或纯白的点，或改用“精确匹配”！");

// "鼠标 X=12  Y=34": positions in the picture's pixels.
QString PointerText(float x, float y);
// The message for a picture that could not be opened or saved.
QString OpenFailedMessage(const QString &path, const QString &reason);
QString SaveFailedMessage(const QString &path, const QString &reason);
// What went wrong in a save, from the error the system gave.
QString SaveProblemText(const SaveOutcome &outcome);
// A save that succeeded without the photo's camera data.
QString CameraDataDroppedMessage(const QString &path);
// A save that succeeded into a file that could not keep the photo's transparency (laid over
// white), or its 16 bits a channel (8 now), or both.
inline constexpr const char *kSavedAt = QT_TRANSLATE_NOOP("velmora", "图片已保存到“%1”。");
inline constexpr const char *kTransparencyFlattened =
    QT_TRANSLATE_NOOP("velmora", "该格式不支持透明，照片的透明部分已填充为白色。");
inline constexpr const char *kDepthReduced = QT_TRANSLATE_NOOP("velmora", "照片每通道 16 位，已按每通道 8 位保存。");
QString SaveLossMessage(const QString &path, bool transparencyFlattened, bool depthReduced);

// 保存选项.
inline constexpr const char *kSaveOptionsTitle = QT_TRANSLATE_NOOP("velmora", "保存选项");
inline constexpr const char *kJpegQuality = QT_TRANSLATE_NOOP("velmora", "JPEG质量(&Q)：");
inline constexpr const char *kWebpGroup = "WebP";
inline constexpr const char *kWebpLossless = QT_TRANSLATE_NOOP("velmora", "无损(&L)");
inline constexpr const char *kWebpLossy = QT_TRANSLATE_NOOP("velmora", "有损(&Y)");
inline constexpr const char *kWebpQuality = QT_TRANSLATE_NOOP("velmora", "WebP质量(&W)：");
inline constexpr const char *kDefaultFormat = QT_TRANSLATE_NOOP("velmora", "默认保存格式(&D)：");
inline constexpr const char *kDefaultFormatBmp = QT_TRANSLATE_NOOP("velmora", "BMP");
inline constexpr const char *kDefaultFormatPhoto = QT_TRANSLATE_NOOP("velmora", "照片原格式");
// Added to the photo's name in the name the save dialog proposes: IMG_0001_校正.bmp.
inline constexpr const char *kCorrectedSuffix = QT_TRANSLATE_NOOP("velmora", "_校正");
// Why a file gave no picture; declared is the size a too-large file claims, limitMB the memory allowed.
QString LoadProblemText(LoadProblem problem, QSize declared, qint64 limitMB);
// A picture that loaded, but whose colour profile had to be ignored.
QString ProfileIgnoredMessage(const QString &path);

// The batch dialog (文件 > 批量校正).
inline constexpr const char *kBatchTitle = QT_TRANSLATE_NOOP("velmora", "批量校正");
inline constexpr const char *kBatchPhotos = QT_TRANSLATE_NOOP("velmora", "照片");
inline constexpr const char *kBatchAddPhotos = QT_TRANSLATE_NOOP("velmora", "添加照片(&A)…");
inline constexpr const char *kBatchAddFolder = QT_TRANSLATE_NOOP("velmora", "添加文件夹(&F)…");
inline constexpr const char *kBatchRemove = QT_TRANSLATE_NOOP("velmora", "移除(&R)");
inline constexpr const char *kBatchCorrection = QT_TRANSLATE_NOOP("velmora", "校正量");
inline constexpr const char *kBatchLastGains = QT_TRANSLATE_NOOP("velmora", "上次校正的增益");
inline constexpr const char *kBatchCorrectionFile = QT_TRANSLATE_NOOP("velmora", "校正量文件：");
inline constexpr const char *kBatchBrowse = QT_TRANSLATE_NOOP("velmora", "浏览…");
inline constexpr const char *kBatchOutputFolder = QT_TRANSLATE_NOOP("velmora", "输出文件夹：");
// The default output folder keeps its name in every language, as `velmora apply` names it.
inline constexpr const char *kBatchFolderName = "已校正";
inline constexpr const char *kBatchFormat = QT_TRANSLATE_NOOP("velmora", "格式：");
inline constexpr const char *kBatchQuality = QT_TRANSLATE_NOOP("velmora", "质量：");
inline constexpr const char *kBatchStart = QT_TRANSLATE_NOOP("velmora", "开始(&S)");
inline constexpr const char *kBatchCancel = QT_TRANSLATE_NOOP("velmora", "取消(&C)");
inline constexpr const char *kBatchNoPhotos = QT_TRANSLATE_NOOP("velmora", "请先添加照片。");
inline constexpr const char *kBatchNoGains = QT_TRANSLATE_NOOP("velmora", "还没有完成过校正，请选择校正量文件。");
inline constexpr const char *kBatchNoCorrectionFile = QT_TRANSLATE_NOOP("velmora", "请选择校正量文件。");
inline constexpr const char *kBatchNoOutputFolder = QT_TRANSLATE_NOOP("velmora", "请选择输出文件夹。");
inline constexpr const char *kBatchPhotoFilterName = QT_TRANSLATE_NOOP("velmora", "图片");
inline constexpr const char *kBatchCorrectionFilter = QT_TRANSLATE_NOOP("velmora", "校正量文件 (*.velmora)");
inline constexpr const char *kBatchCancelling = QT_TRANSLATE_NOOP("velmora", "正在取消，等待当前照片完成…");
// The batch applies the correction the photo shows; after every pass is undone it shows none.
inline constexpr const char *kBatchNothingShown =
    QT_TRANSLATE_NOOP("velmora", "照片现在没有任何校正（已全部撤销），请选择校正量文件。");
// What the batch will apply: %1 the rule's name, %2 the numbers.
inline constexpr const char *kBatchSummaryGains = QT_TRANSLATE_NOOP("velmora", "规则：%1　增益：%2");
inline constexpr const char *kBatchSummaryColours =
    QT_TRANSLATE_NOOP("velmora", "规则：%1　标准肤色：%2　校正点：%3");
inline constexpr const char *kBatchPreviewBefore = QT_TRANSLATE_NOOP("velmora", "校正前");
inline constexpr const char *kBatchPreviewAfter = QT_TRANSLATE_NOOP("velmora", "校正后");

// Correction files (文件 > 导出校正量 / 导入校正量).
inline constexpr const char *kCorrectionFilter = QT_TRANSLATE_NOOP("velmora", "校正量文件(*.velmora)|*.velmora");
inline constexpr const char *kCorrectionExtension = ".velmora";
inline constexpr const char *kNothingToExport = QT_TRANSLATE_NOOP("velmora", "还没有完成过校正，没有可导出的校正量！");
inline constexpr const char *kOnlyGains =
    QT_TRANSLATE_NOOP("velmora", "该校正量文件只有增益，没有标准颜色和校正点颜色，无法填入校正量栏（可用 velmora apply --correction 使用它）。");
QString CorrectionSaveFailedMessage(const QString &path);

QString CorrectionFileMessage(const QString &path, CorrectionFileError error);
QString CorrectionUnreadableMessage(const QString &path);
// "正在校正 3/10：photo.jpg".
QString BatchProgressText(int done, int total, const QString &current);
// "已校正 8/10 张照片，2 张失败：" (the colon only when something failed).
QString BatchSummary(int done, int total, bool cancelled);
QString BatchFailureLine(const QString &path, const QString &reason);

} // namespace velmora::text
