#pragma once

#include "base/Platform.h"

#include <deque>
#include <functional>
#include <optional>
#include <vector>

// Records every request and answers from queues that a test (or ramex-cli) fills.
// Unqueued answers: the first button of a message box (OK or Yes), an empty answer to a
// question, a cancelled file chooser, font dialog and print dialog, no modifier keys.
class RecordingPlatform : public Platform {
public:
    enum class Kind { BugReport, Message, Beep, Pause, Ask, ChooseFile, ChooseFont, ChoosePrinter };

    struct Call {
        Kind kind;
        std::string title;
        std::string text;
        int32_t number = 0; // the buttons of a message, the milliseconds of a pause
    };

    void showBugReport(const std::string& title, const std::string& text) override;
    int32_t showMessage(const MessageRequest& request) override;
    void beep() override;
    void pause(int32_t milliseconds) override;
    bool ask(const std::string& prompt, std::string& answer) override;
    bool chooseFile(const FileRequest& request, std::string& path) override;
    int32_t modifierKeys() override { return modifiers; }
    // Recorded with the current face as text and the size in tenths as number.
    bool chooseFont(FontRequest& request) override;
    // Recorded with the document name as text.
    bool choosePrinter(PrintRequest& request) override;

    const std::vector<Call>& calls() const { return recorded; }
    std::vector<Call> callsOfKind(Kind kind) const;
    // The texts of the bug reports, in order.
    std::vector<std::string> bugReports() const;
    void clear() { recorded.clear(); }

    std::deque<int32_t> buttonAnswers;
    std::deque<std::optional<std::string>> askAnswers;  // nullopt: the person cancels
    std::deque<std::optional<std::string>> fileAnswers; // nullopt: the person cancels
    // The filter chosen with each file answer, where the request asks; unqueued: the initial.
    std::deque<std::string> filterAnswers;
    std::deque<std::optional<FontRequest>> fontAnswers; // nullopt: the person cancels
    // The PDF file each print goes into; nullopt: the person cancels.
    std::deque<std::optional<std::string>> printAnswers;
    int32_t modifiers = 0;
    // Called for every request as it is recorded (ramex-cli prints them as they happen).
    std::function<void(const Call&)> onCall;

private:
    void record(Call call);
    std::vector<Call> recorded;
};

// Installs a platform for the lifetime of a scope and puts the previous one back.
class ScopedPlatform {
public:
    explicit ScopedPlatform(Platform& platform);
    ~ScopedPlatform();
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

private:
    Platform* previous;
};
