// Velmora — the texts the correction core shows in its message boxes (UTF-8).
#pragma once

namespace velmora::text {

inline constexpr const char *kNoticeTitle = "提示";

inline constexpr const char *kNoReference = "请首先选择皮肤样本或在标准照片中选择理想皮肤！";
inline constexpr const char *kReferenceNotNumber = "标准肤色栏中须是数字！请重新选择皮肤样本或输入数字！";

inline constexpr const char *kNoDifference = "你还没有选择皮肤样本和需要的皮肤校正点！请重新选点！";
inline constexpr const char *kDifferenceTooLarge = "需校正色差过大！请重新选点！";
inline constexpr const char *kDifferenceNotNumber = "校正量栏中须是数字！请重新选点或输入数字！";
inline constexpr const char *kTooDark = "所选颜色太暗，无法计算校正量！请重新选点！";
inline constexpr const char *kBrightnessOutOfRange = "校正量超出范围，无法校正！请重新选点！";

} // namespace velmora::text
