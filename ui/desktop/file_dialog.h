// Velmora — the one file-name dialog every import and save goes through.
#pragma once

#include <optional>
#include <string>

namespace velmora {

// The dialog's settings; they persist from one use to the next, as does the chosen name.
struct DialogSettings {
    std::string filter;      // description|pattern pairs joined by '|'
    int flags = 0;
    std::string initDir;
    int filterIndex = 1;     // 1-based; the dialog leaves the chosen one here
    bool cancelError = false;
    std::string fileName;    // the last name chosen
};

enum class DialogPurpose { Open, Save };

// Shows the dialog modally; the chosen path, or nothing when the user cancelled. The filter the user
// chose ends up in `settings.filterIndex`.
class FilePicker {
public:
    virtual ~FilePicker() = default;
    virtual std::optional<std::string> pick(DialogSettings &settings, DialogPurpose purpose) = 0;
};

} // namespace velmora
