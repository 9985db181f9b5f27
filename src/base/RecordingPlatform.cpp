#include "base/RecordingPlatform.h"

void RecordingPlatform::record(Call call) {
    recorded.push_back(call);
    if (onCall)
        onCall(recorded.back());
}

void RecordingPlatform::showBugReport(const std::string& title, const std::string& text) {
    record({Kind::BugReport, title, text, 0});
}

int32_t RecordingPlatform::showMessage(const MessageRequest& request) {
    record({Kind::Message, request.title, request.text, static_cast<int32_t>(request.buttons)});
    if (!buttonAnswers.empty()) {
        const int32_t answer = buttonAnswers.front();
        buttonAnswers.pop_front();
        return answer;
    }
    const bool yesNo =
        request.buttons == MessageButtons::YesNo || request.buttons == MessageButtons::YesNoCancel;
    return yesNo ? kButtonYes : kButtonOK;
}

void RecordingPlatform::beep() {
    record({Kind::Beep, "", "", 0});
}

void RecordingPlatform::pause(int32_t milliseconds) {
    record({Kind::Pause, "", "", milliseconds});
}

bool RecordingPlatform::ask(const std::string& prompt, std::string& answer) {
    record({Kind::Ask, "", prompt, 0});
    answer.clear();
    if (askAnswers.empty())
        return true;
    const std::optional<std::string> next = askAnswers.front();
    askAnswers.pop_front();
    if (!next)
        return false;
    answer = *next;
    return true;
}

bool RecordingPlatform::chooseFile(const FileRequest& request, std::string& path) {
    record({Kind::ChooseFile, request.title, request.initialName, request.forSaving ? 1 : 0});
    path.clear();
    if (fileAnswers.empty())
        return false;
    const std::optional<std::string> next = fileAnswers.front();
    fileAnswers.pop_front();
    if (!next)
        return false;
    path = *next;
    if (request.chosenFilter && !filterAnswers.empty()) {
        *request.chosenFilter = filterAnswers.front();
        filterAnswers.pop_front();
    }
    return true;
}

bool RecordingPlatform::chooseFont(FontRequest& request) {
    record({Kind::ChooseFont, "", request.face, request.tenthsOfPoint});
    if (fontAnswers.empty())
        return false;
    const std::optional<FontRequest> next = fontAnswers.front();
    fontAnswers.pop_front();
    if (!next)
        return false;
    request.face = next->face;
    request.tenthsOfPoint = next->tenthsOfPoint;
    return true;
}

bool RecordingPlatform::choosePrinter(PrintRequest& request) {
    record({Kind::ChoosePrinter, "", request.documentName, 0});
    if (printAnswers.empty())
        return false;
    const std::optional<std::string> next = printAnswers.front();
    printAnswers.pop_front();
    if (!next)
        return false;
    request.pdfFile = *next;
    return true;
}

std::vector<RecordingPlatform::Call> RecordingPlatform::callsOfKind(Kind kind) const {
    std::vector<Call> result;
    for (const Call& call : recorded)
        if (call.kind == kind)
            result.push_back(call);
    return result;
}

std::vector<std::string> RecordingPlatform::bugReports() const {
    std::vector<std::string> result;
    for (const Call& call : recorded)
        if (call.kind == Kind::BugReport)
            result.push_back(call.text);
    return result;
}

ScopedPlatform::ScopedPlatform(Platform& platform) : previous(&currentPlatform()) {
    installPlatform(&platform);
}

ScopedPlatform::~ScopedPlatform() {
    installPlatform(previous);
}
