#include "base/ErrorReporter.h"

#include "base/CRepeatedReports.h"
#include "base/Platform.h"

const char* const kBugReportTitle = "Ramex Bug Report";

namespace {
constexpr std::size_t kMaxNameLength = 225;
}

std::string errorCodeText(RErr code) {
    static const char* const texts[] = {
        "general error",
        "malloc failed",
        "data structure not initialized",
        "attempt to reinitialize data structure",
        "invalid parameter",
        "unbalanced undo list bracketing",
        "cant undo or redo",
        "file system error",
    };
    if (code >= kErrGeneral && code <= kErrFileSystem)
        return texts[code - kErrGeneral];
    return std::to_string(code);
}

std::string bugReportText(const std::string& name, RErr code) {
    std::string text = name.substr(0, kMaxNameLength);
    if (code != kNoErr)
        text += " (" + errorCodeText(code) + ")";
    return text;
}

void bug(const std::string& name, RErr code) {
    CRepeatedReports::showBugReport(kBugReportTitle, bugReportText(name, code));
}

RErr reportError(const std::string& name, RErr code) {
    if (code != kNoErr)
        bug(name, code);
    return code;
}
