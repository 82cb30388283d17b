// Velmora tests — services that record what the program asked of them.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/desktop/file_dialog.h"
#include "ui/desktop/services.h"

namespace velmora::fakes {

struct Message {
    std::string text;
    std::string title;
    bool operator==(const Message &) const = default;
};

class Messages : public MessageBox {
public:
    void show(const std::string &text, const std::string &title) override
    {
        shown.push_back({text, title});
        if (onShow)
            onShow();
    }
    // Answers each question with the next queued answer; with none queued, Discard, so a test about
    // something else goes on as the program did before it asked.
    SaveAnswer askToSave(const std::string &text, const std::string &title) override
    {
        asked.push_back({text, title});
        if (answers.empty())
            return SaveAnswer::Discard;
        const SaveAnswer answer = answers.front();
        answers.pop_front();
        if (onAsk)
            onAsk();
        return answer;
    }
    std::vector<Message> shown;
    std::function<void()> onShow;
    std::vector<Message> asked;
    std::deque<SaveAnswer> answers;
    std::function<void()> onAsk;
};

class Beeps : public Beeper {
public:
    void beep() override { ++count; }
    int count = 0;
};

// Runs `betweenRows` (with the number of calls so far) each time pending events would run.
class Loop : public EventLoop {
public:
    bool processPendingEvents() override
    {
        ++calls;
        if (betweenRows)
            betweenRows(calls);
        return !m_ending;
    }
    void end() override { m_ending = true; }
    bool ending() const override { return m_ending; }

    int calls = 0;
    std::function<void(int)> betweenRows;

private:
    bool m_ending = false;
};

class Instance : public SingleInstance {
public:
    explicit Instance(bool running) : running(running) {}
    bool previousInstance() override { return running; }
    bool running;
};

// Answers each dialog with the next queued name (nothing = the user cancelled), choosing the next
// queued filter when there is one.
class Picker : public FilePicker {
public:
    std::optional<std::string> pick(DialogSettings &settings, DialogPurpose purpose) override
    {
        seen.emplace_back(settings, purpose);
        if (!filters.empty()) {
            settings.filterIndex = filters.front();
            filters.pop_front();
        }
        if (answers.empty())
            return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<std::optional<std::string>> answers;
    std::deque<int> filters;
    std::vector<std::pair<DialogSettings, DialogPurpose>> seen;
};

} // namespace velmora::fakes
