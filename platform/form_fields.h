// Velmora — the window's text fields, buttons and progress bar, as the correction core reaches them.
#pragma once

#include <string>

namespace velmora {

// moc cannot parse enumerators with non-ASCII names; it has no need of these.
#ifndef Q_MOC_RUN

// The text fields the core reads and writes. Colour fields hold what the user sees, and
// whatever text stands there when read is what counts.
enum class Field { 主红, 主绿, 主蓝, 客红, 客绿, 客蓝, 红, 绿, 蓝, Text1, Text2 };

// The buttons whose enabled state the correction pass changes.
enum class Button { 校正, 保存, 校正点, Command1 };

#endif

class FormFields {
public:
    virtual ~FormFields() = default;

    // Texts are UTF-8.
    virtual std::string text(Field field) const = 0;
    virtual void setText(Field field, const std::string &text) = 0;

    virtual void setEnabled(Button button, bool enabled) = 0;

    // The row-progress bar under the pictures.
    virtual void setProgressMaximum(int maximum) = 0;
    virtual void setProgressValue(int value) = 0;
};

} // namespace velmora
