// Velmora — the window's own texts (UTF-8), and the few that are put together from values.
#pragma once

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

// Every text the user sees goes through here, so the window can speak the user's language.
inline QString Tr(const char *source) { return QString::fromUtf8(source); }

inline constexpr const char *kAppTitle = "Velmora";
inline constexpr const char *kNoticeTitle = "提示";
inline constexpr const char *kAlreadyRunning = "你已经运行这个应用程序了";
inline constexpr const char *kGuideTitle = "使用指南";
inline constexpr const char *kGuide =
    "本软件可快速把MM光线不好或偏色的照片进行校正,方法是分别导入一理想的图片(也可直接在皮肤样本中选择)"
    "和希望调整的MM照片,然后用鼠标选择理想照片(或皮肤样本)中最美的肤色和要调整到该肤色的照片中的相应位置,"
    "点击校正即可,不满意可刷新后再试,直到满意后点击保存即可把该照片保存为BMP格式图片！";

inline constexpr const char *kReferenceTip = "将鼠标移动到理想皮肤颜色处点击选取皮肤样品！";
inline constexpr const char *kTargetTip = "将鼠标移动到需校正到皮肤样品一样的地方点击选取校正点！";
inline constexpr const char *kMoveTip = "按下鼠标移动后放开可移动照片";
inline constexpr const char *kSwatchTip = "将鼠标移到理想皮肤处点击可选取标准肤色！";

inline constexpr const char *kOpenFilter =
    "BMP图像(*.BMP)|*.BMP|JPG图像(*.jpg)|*.jpg|GIF图像(*.gif)|*.gif|ICO图像(*.ico)|*.ico";
// The save dialog's filters, one a format written: "BMP图像(*.BMP)|*.BMP|…|WebP图像(*.WEBP)|*.WEBP",
// the design's bitmap first.
std::string SaveFilter();
inline constexpr const char *kImportFolder = "d:";

// The menu bar: menus, then each command's caption with its mnemonic.
inline constexpr const char *kFileMenu = "文件(&F)";
inline constexpr const char *kEditMenu = "编辑(&E)";
inline constexpr const char *kViewMenu = "视图(&V)";
inline constexpr const char *kHelpMenu = "帮助(&H)";
inline constexpr const char *kImportReferenceCommand = "导入标准照片(&R)…";
inline constexpr const char *kImportTargetCommand = "导入将校正照片(&O)…";
inline constexpr const char *kRecentMenu = "最近打开(&J)";
inline constexpr const char *kRefreshCommand = "刷新(&L)";
inline constexpr const char *kSaveCommand = "保存(&S)…";
inline constexpr const char *kSaveOptionsCommand = "保存选项(&P)…";
inline constexpr const char *kExportCorrectionCommand = "导出校正量(&E)…";
inline constexpr const char *kImportCorrectionCommand = "导入校正量(&I)…";
inline constexpr const char *kBatchCommand = "批量校正(&B)…";
inline constexpr const char *kQuitCommand = "退出(&X)";
inline constexpr const char *kUndoCommand = "撤销校正(&U)";
inline constexpr const char *kRedoCommand = "重做校正(&D)";
inline constexpr const char *kSampleSizeMenu = "取样范围(&S)";
inline constexpr const char *kSampleSizeCommands[] = {"单点(&1)", "3 × 3 平均(&3)", "5 × 5 平均(&5)", "11 × 11 平均(&9)"};
inline constexpr int kSampleSizes[] = {1, 3, 5, 11};
inline constexpr const char *kFitCommand = "适合窗口(&F)";
inline constexpr const char *kActualSizeCommand = "实际大小(&A)";
inline constexpr const char *kZoomInCommand = "放大(&I)";
inline constexpr const char *kZoomOutCommand = "缩小(&O)";
inline constexpr const char *kCompareCommand = "对比原图(&C)";
inline constexpr const char *kFitOnImportCommand = "大图导入时适合窗口(&W)";
inline constexpr const char *kGuideCommand = "使用指南(&G)";
inline constexpr const char *kAboutCommand = "关于 Velmora(&A)";
inline constexpr const char *kAboutTitle = "关于 Velmora";
inline constexpr const char *kAbout = "Velmora 1.00\n校正照片的肤色与偏色：选一处理想的肤色和照片中的相应位置，即可按三色增益校正整张照片。";

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
std::string RefusalText(Refusal refusal);

// "鼠标 X=12  Y=34": positions in the picture's pixels.
QString PointerText(float x, float y);
// The message for a picture that could not be opened or saved.
QString OpenFailedMessage(const QString &path, const QString &reason);
QString SaveFailedMessage(const QString &path, const QString &reason);
// What went wrong in a save, from the error the system gave.
QString SaveProblemText(const SaveOutcome &outcome);
// A save that succeeded without the photo's camera data.
QString CameraDataDroppedMessage(const QString &path);

// 保存选项.
inline constexpr const char *kSaveOptionsTitle = "保存选项";
inline constexpr const char *kJpegQuality = "JPEG质量(&Q)：";
inline constexpr const char *kWebpGroup = "WebP";
inline constexpr const char *kWebpLossless = "无损(&L)";
inline constexpr const char *kWebpLossy = "有损(&Y)";
inline constexpr const char *kWebpQuality = "WebP质量(&W)：";
// Why a file gave no picture; declared is the size a too-large file claims, limitMB the memory allowed.
QString LoadProblemText(LoadProblem problem, QSize declared, qint64 limitMB);
// A picture that loaded, but whose colour profile had to be ignored.
QString ProfileIgnoredMessage(const QString &path);

// The batch dialog (文件 > 批量校正).
inline constexpr const char *kBatchTitle = "批量校正";
inline constexpr const char *kBatchPhotos = "照片";
inline constexpr const char *kBatchAddPhotos = "添加照片(&A)…";
inline constexpr const char *kBatchAddFolder = "添加文件夹(&F)…";
inline constexpr const char *kBatchRemove = "移除(&R)";
inline constexpr const char *kBatchCorrection = "校正量";
inline constexpr const char *kBatchLastGains = "上次校正的增益";
inline constexpr const char *kBatchCorrectionFile = "校正量文件：";
inline constexpr const char *kBatchBrowse = "浏览…";
inline constexpr const char *kBatchOutputFolder = "输出文件夹：";
inline constexpr const char *kBatchFolderName = "已校正";
inline constexpr const char *kBatchFormat = "格式：";
inline constexpr const char *kBatchQuality = "质量：";
inline constexpr const char *kBatchStart = "开始(&S)";
inline constexpr const char *kBatchCancel = "取消(&C)";
inline constexpr const char *kBatchNoPhotos = "请先添加照片。";
inline constexpr const char *kBatchNoGains = "还没有完成过校正，请选择校正量文件。";
inline constexpr const char *kBatchNoCorrectionFile = "请选择校正量文件。";
inline constexpr const char *kBatchNoOutputFolder = "请选择输出文件夹。";
inline constexpr const char *kBatchPhotoFilterName = "图片";
inline constexpr const char *kBatchCorrectionFilter = "校正量文件 (*.velmora)";
inline constexpr const char *kBatchCancelling = "正在取消，等待当前照片完成…";

// Correction files (文件 > 导出校正量 / 导入校正量).
inline constexpr const char *kCorrectionFilter = "校正量文件(*.velmora)|*.velmora";
inline constexpr const char *kCorrectionExtension = ".velmora";
inline constexpr const char *kNothingToExport = "还没有完成过校正，没有可导出的校正量！";
inline constexpr const char *kOnlyGains =
    "该校正量文件只有增益，没有标准颜色和校正点颜色，无法填入校正量栏（可用 velmora apply --correction 使用它）。";
QString CorrectionSaveFailedMessage(const QString &path);

QString CorrectionFileMessage(const QString &path, CorrectionFileError error);
QString CorrectionUnreadableMessage(const QString &path);
// "正在校正 3/10：photo.jpg".
QString BatchProgressText(int done, int total, const QString &current);
// "已校正 8/10 张照片，2 张失败：" (the colon only when something failed).
QString BatchSummary(int done, int total, bool cancelled);
QString BatchFailureLine(const QString &path, const QString &reason);

} // namespace velmora::text
