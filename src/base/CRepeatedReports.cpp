#include "base/CRepeatedReports.h"

namespace {
// The collector open on this thread, if any: documents may be worked on by several threads.
thread_local CRepeatedReports* openCollector = nullptr;
} // namespace

CRepeatedReports::CRepeatedReports() : outer(openCollector) {
    if (!outer)
        openCollector = this;
}

CRepeatedReports::~CRepeatedReports() {
    if (outer)
        return;
    openCollector = nullptr;
    sayRepeats();
}

std::string CRepeatedReports::moreOfTheSame(int64_t count) {
    std::string digits = std::to_string(count);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return " ... and " + digits + " more of the same";
}

bool CRepeatedReports::admit(bool isBugReport, const MessageRequest& request) {
    CRepeatedReports* collector = openCollector;
    if (!collector)
        return true;
    std::string key = (isBugReport ? "B" : "M") + request.title;
    key += '\n';
    key += request.text;
    auto found = collector->shown.find(key);
    if (found != collector->shown.end()) {
        ++found->second.repeats;
        return false;
    }
    RShown first;
    first.isBugReport = isBugReport;
    first.request = request;
    collector->shown.emplace(key, std::move(first));
    collector->order.push_back(std::move(key));
    return true;
}

void CRepeatedReports::showBugReport(const std::string& title, const std::string& text) {
    MessageRequest request;
    request.title = title;
    request.text = text;
    if (admit(true, request))
        currentPlatform().showBugReport(title, text);
}

void CRepeatedReports::showMessage(const MessageRequest& request) {
    if (admit(false, request))
        currentPlatform().showMessage(request);
}

void CRepeatedReports::sayRepeats() {
    for (const std::string& key : order) {
        RShown& report = shown[key];
        if (report.repeats == 0)
            continue;
        report.request.text += moreOfTheSame(report.repeats);
        if (report.isBugReport)
            currentPlatform().showBugReport(report.request.title, report.request.text);
        else
            currentPlatform().showMessage(report.request);
    }
}
