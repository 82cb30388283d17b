// Velmora — the window's controls by role: each role's object name (the name the window's design
// gives it, which tests and readers of the design find it by) and its caption.
#pragma once

#include <array>

#include "core/form_fields.h"
#include "ui/window/window_texts.h"

namespace velmora {

enum class Button { Refresh, Correct, Save, Help, Quit, ImportReference, ImportTarget };
inline constexpr int kButtonCount = 7;

struct ButtonName {
    Button role;
    const char *objectName;
    const char *caption; // the Chinese source, shown through text::Tr
};

// In the order of Button.
inline constexpr std::array<ButtonName, kButtonCount> kButtonNames{{
    {Button::Refresh, "校正点", text::kRefreshButton},
    {Button::Correct, "校正", text::kCorrectButton},
    {Button::Save, "保存", text::kSaveButton},
    {Button::Help, "Command1", text::kHelpButton},
    {Button::Quit, "退出", text::kQuitButton},
    {Button::ImportReference, "导入主体", text::kImportReferenceButton},
    {Button::ImportTarget, "导入客体", text::kImportTargetButton},
}};

// The text fields' object names, in the order of Field.
inline constexpr std::array<const char *, kFieldCount> kFieldNames{
    "主红", "主绿", "主蓝", "客红", "客绿", "客蓝", "红", "绿", "蓝", "Text1", "Text2"};

} // namespace velmora
