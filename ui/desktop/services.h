// Velmora — the window platform's services, as small interfaces the rest of the program calls.
#pragma once

#include <optional>
#include <string>

namespace velmora {

// What the user answered when asked whether to save unsaved work before it goes.
enum class SaveAnswer { Save, Discard, Cancel };

// Modal message boxes; each returns when dismissed. Texts are UTF-8.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    // A message with an OK button only.
    virtual void show(const std::string &text, const std::string &title) = 0;
    // Save, Don't Save, Cancel; closing the box is Cancel.
    virtual SaveAnswer askToSave(const std::string &text, const std::string &title) = 0;
};

class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void beep() = 0;
};

// The window's event loop, as a running handler sees it.
class EventLoop {
public:
    virtual ~EventLoop() = default;
    // Lets every pending window event run; false once the program is ending.
    virtual bool processPendingEvents() = 0;
    // Ends the program: the window goes away and no further event or row runs.
    virtual void end() = 0;
    virtual bool ending() const = 0;
};

class SingleInstance {
public:
    virtual ~SingleInstance() = default;
    // True when another copy of the program is already running.
    virtual bool previousInstance() = 0;
};

} // namespace velmora
