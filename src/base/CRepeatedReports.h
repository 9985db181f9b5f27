#pragma once

#include "base/Platform.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// While one lives, a report (bug report or warning message) repeating one already shown is
// counted instead of shown, and when the outermost one ends each count is said once, as
// "... and 1,234 more of the same". A script that fails in a loop, or a damaged file that
// fails the same way in every record, can then never bury the user under dialogs. Opened
// around one top-level script call and around one load; one that opens while another lives
// on the same thread joins it.
class CRepeatedReports {
public:
    CRepeatedReports();
    ~CRepeatedReports();
    CRepeatedReports(const CRepeatedReports&) = delete;
    CRepeatedReports& operator=(const CRepeatedReports&) = delete;

    // Shows the bug report, or counts it when the same text has been shown already.
    static void showBugReport(const std::string& title, const std::string& text);
    // Likewise for a message with a single OK button (a warning, a run-time error).
    static void showMessage(const MessageRequest& request);

    // " ... and 1,234 more of the same" for 1,234.
    static std::string moreOfTheSame(int64_t count);

private:
    struct RShown {
        bool isBugReport = false;
        MessageRequest request;
        int64_t repeats = 0;
    };
    // True when the report is to be shown now: no collector is open or it is the first.
    static bool admit(bool isBugReport, const MessageRequest& request);
    void sayRepeats();

    CRepeatedReports* outer = nullptr;
    std::map<std::string, RShown> shown;
    // The order reports were first shown in, so that the counts follow it.
    std::vector<std::string> order;
};
