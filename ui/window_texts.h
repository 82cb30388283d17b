// Velmora — the window's own texts (UTF-8), and the few that are put together from values.
#pragma once

#include <QSize>
#include <QString>

#include "platform/qt/decoded_picture.h"

namespace velmora::text {

inline constexpr const char *kAppTitle = "Velmora";
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
inline constexpr const char *kSaveFilter = "BMP图像(*.BMP)|*.BMP";
inline constexpr const char *kSaveExtension = ".bmp";
inline constexpr const char *kImportFolder = "d:";

// "鼠标 X=12  Y=34": positions in the picture's pixels.
QString PointerText(float x, float y);
// The message for a picture that could not be opened or saved.
QString OpenFailedMessage(const QString &path, const QString &reason);
QString SaveFailedMessage(const QString &path, const QString &reason);
// Why a file gave no picture; declared is the size a too-large file claims, limitMB the memory allowed.
QString LoadProblemText(LoadProblem problem, QSize declared, qint64 limitMB);
// A picture that loaded, but whose colour profile had to be ignored.
QString ProfileIgnoredMessage(const QString &path);

} // namespace velmora::text
