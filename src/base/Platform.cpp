#include "base/Platform.h"

#include "base/ErrorReporter.h"
#include "base/RecordingPlatform.h"
#include "base/ThreadOwned.h"

namespace {
// Per thread: a worker thread that grades documents answers for itself, and never shows a
// box or records a call into another thread's platform.
thread_local Platform* installedPlatform = nullptr;

struct RDefaultPlatformTag;

Platform& defaultPlatform() {
    return CThreadOwned<RDefaultPlatformTag, RecordingPlatform>::mine();
}
} // namespace

bool Platform::chooseFont(FontRequest& /*request*/) {
    return false;
}

bool Platform::choosePrinter(PrintRequest& /*request*/) {
    return false;
}

Platform& currentPlatform() {
    return installedPlatform ? *installedPlatform : defaultPlatform();
}

void installPlatform(Platform* platform) {
    installedPlatform = platform;
}

int32_t SystemAlert(const std::string& text, int32_t kind) {
    MessageRequest request;
    request.text = text;
    request.icon = MessageIcon::Warning;
    if (kind == 1) {
        request.buttons = MessageButtons::OK;
    } else if (kind == 2) {
        request.buttons = MessageButtons::OKCancel;
    } else {
        bug("SystemAlert", kErrInvalidParameter);
        return 0;
    }
    return currentPlatform().showMessage(request);
}

void SystemBeep() {
    currentPlatform().beep();
}

void SystemPause(int32_t milliseconds) {
    currentPlatform().pause(milliseconds);
}
