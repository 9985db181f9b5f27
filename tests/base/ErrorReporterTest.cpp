#include "base/ErrorReporter.h"
#include "base/CRepeatedReports.h"
#include "base/Platform.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

// Every call since the last look as "<kind> [<title>] <text> <number>", one after the other,
// with no title for a bug report's own, "Ramex Bug Report".
std::string shown(RecordingPlatform& recorder) {
    std::string out;
    for (const auto& call : recorder.calls())
        out += (out.empty() ? "" : "; ") + std::to_string(static_cast<int>(call.kind)) +
               (call.title == "Ramex Bug Report" ? "" : " [" + call.title + "]") + " " + call.text +
               " " + std::to_string(call.number);
    recorder.clear();
    return out;
}

} // namespace

TEST(ErrorReporter, ReportsAlertsAndQuestionsReachTheInstalledPlatformAndRepeatsAreCounted) {
    Platform* before = &currentPlatform();
    {
        RecordingPlatformScope scope;
        // Codes below, at both ends of and above the named ones; the name alone is cut to 225.
        bug("below", kErrNoSuchFork);
        bug("none", kNoErr);
        bug("first", kErrGeneral);
        bug("last", kErrFileSystem);
        scope.recorder.buttonAnswers.push_back(kButtonCancel);
        EXPECT_EQ(SystemAlert("Are you sure?", 2), kButtonCancel);
        EXPECT_EQ(SystemAlert("Done.", 1), kButtonOK);
        SystemAlert("never shown", 3);
        bug(std::string(300, 'x'), kErrInvalidFormat);
        EXPECT_EQ(
            shown(scope.recorder),
            "0 below (-102) 0; 0 none 0; 0 first (general error) 0; 0 last (file system error) 0; "
            "1 [] Are you sure? 1; 1 [] Done. 0; 0 SystemAlert (invalid parameter) 0; 0 " +
                std::string(225, 'x') + " (1008) 0");
        scope.recorder.askAnswers = {std::string("NP"), std::nullopt};
        std::string first, second = "cleared";
        EXPECT_TRUE(currentPlatform().ask("Category?", first));
        EXPECT_FALSE(currentPlatform().ask("Again?", second));
        SystemBeep();
        SystemPause(250);
        EXPECT_EQ(first + "|" + second + "|" + shown(scope.recorder),
                  "NP||4 [] Category? 0; 4 [] Again? 0; 2 []  0; 3 []  250");

        {
            const CRepeatedReports outer;
            for (int i = 0; i < 1235; ++i)
                bug("CTree::getMother", kErrInvalidParameter);
            bug("CTree::getMother", kErrGeneral); // another code is another report
            {
                // A collector opened inside another joins it: nothing is said when it ends.
                const CRepeatedReports inner;
                bug("CTree::getMother", kErrInvalidParameter);
                for (int i = 0; i < 2; ++i)
                    CRepeatedReports::showMessage({"Run Time Error", "Invalid node argument"});
            }
        }
        // With no collector open, every report is shown.
        bug("CTree::getMother", kErrInvalidParameter);
        EXPECT_EQ(
            shown(scope.recorder),
            "0 CTree::getMother (invalid parameter) 0; 0 CTree::getMother (general error) 0; 1 "
            "[Run Time Error] Invalid node argument 0; 0 CTree::getMother (invalid parameter) ... "
            "and 1,235 more of the same 0; 1 [Run Time Error] Invalid node argument ... and 1 more "
            "of the same 0; 0 CTree::getMother (invalid parameter) 0");
    }
    EXPECT_EQ(&currentPlatform(), before);
    EXPECT_EQ(CRepeatedReports::moreOfTheSame(1234567), " ... and 1,234,567 more of the same");
}
