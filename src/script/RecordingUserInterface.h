#pragma once

#include "script/RUserInterfaceRequests.h"

#include <functional>
#include <string>
#include <vector>

// Records every user-interface request in order, for tests and ramex-cli. A question is put to
// the installed platform, which answers from its queue.
class RecordingUserInterface : public RUserInterfaceRequests {
public:
    enum class Kind { UndoTask, TypingTask, ParseError, Message, PopUp, Ask };

    struct Request {
        Kind kind;
        std::string text;
        int32_t first = 0;  // the task code, record, parse error code or node
        int32_t second = 0; // the value, attribute or line
    };

    RErr doUserInterfaceUndoTask(int32_t taskCode, int32_t value) override;
    RErr notifyUserInterfaceOfTypingTask(int32_t record, int32_t attribute, const CRString* text,
                                         int32_t selectionStart, int32_t selectionEnd) override;
    RErr reportParseError(int32_t code, int32_t line) override;
    RErr message(const CRString& text) override;
    RErr popUp(int32_t node, const CRString& text) override;
    RErr ask(const CRString& prompt, CRString& answer) override;

    const std::vector<Request>& requests() const { return recorded; }
    std::vector<Request> requestsOfKind(Kind kind) const;
    void clear() { recorded.clear(); }

    // Called for every request as it is recorded.
    std::function<void(const Request&)> onRequest;

private:
    void record(Request request);
    std::vector<Request> recorded;
};
