// Velmora — the window's controls by role: each role's object name (the name the window's design
// gives it, which tests and readers of the design find it by) and its caption.
#pragma once

#include <array>

#include "core/form_fields.h"

namespace velmora {

enum class Button { Refresh, Correct, Save, Help, Quit, ImportReference, ImportTarget };
inline constexpr int kButtonCount = 7;

struct ButtonName {
    Button role;
    const char *objectName;
    const char *caption;
};

// In the order of Button.
inline constexpr std::array<ButtonName, kButtonCount> kButtonNames{{
    {Button::Refresh, "校正点", "刷新"},
    {Button::Correct, "校正", "校正"},
    {Button::Save, "保存", "保存"},
    {Button::Help, "Command1", "帮助"},
    {Button::Quit, "退出", "退出"},
    {Button::ImportReference, "导入主体", "导入标准照片"},
    {Button::ImportTarget, "导入客体", "导入将校正照片"},
}};

// The text fields' object names, in the order of Field.
inline constexpr std::array<const char *, kFieldCount> kFieldNames{
    "主红", "主绿", "主蓝", "客红", "客绿", "客蓝", "红", "绿", "蓝", "Text1", "Text2"};

} // namespace velmora
