#include "script/RecordingUserInterface.h"

#include "base/Platform.h"
#include "storage/CRString.h"

void RecordingUserInterface::record(Request request) {
    recorded.push_back(request);
    if (onRequest)
        onRequest(recorded.back());
}

std::vector<RecordingUserInterface::Request>
RecordingUserInterface::requestsOfKind(Kind kind) const {
    std::vector<Request> matching;
    for (const Request& request : recorded)
        if (request.kind == kind)
            matching.push_back(request);
    return matching;
}

RErr RecordingUserInterface::doUserInterfaceUndoTask(int32_t taskCode, int32_t value) {
    record(Request{Kind::UndoTask, std::string(), taskCode, value});
    return kNoErr;
}

RErr RecordingUserInterface::notifyUserInterfaceOfTypingTask(int32_t recordIndex, int32_t attribute,
                                                             const CRString* text, int32_t,
                                                             int32_t) {
    record(Request{Kind::TypingTask, text ? text->str() : std::string(), recordIndex, attribute});
    return kNoErr;
}

RErr RecordingUserInterface::reportParseError(int32_t code, int32_t line) {
    record(Request{Kind::ParseError, std::string(), code, line});
    return kNoErr;
}

RErr RecordingUserInterface::message(const CRString& text) {
    record(Request{Kind::Message, text.str(), 0, 0});
    return kNoErr;
}

RErr RecordingUserInterface::popUp(int32_t node, const CRString& text) {
    record(Request{Kind::PopUp, text.str(), node, 0});
    return kNoErr;
}

RErr RecordingUserInterface::ask(const CRString& prompt, CRString& answer) {
    record(Request{Kind::Ask, prompt.str(), 0, 0});
    std::string reply;
    if (!currentPlatform().ask(prompt.str(), reply))
        reply.clear();
    answer.setStringValue(reply);
    return kNoErr;
}
