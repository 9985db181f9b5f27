#include "base/ErrorReporter.h"
#include "base/CRepeatedReports.h"
#include "base/Platform.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Every call since the last look as "<kind> [<title>] <text> <number>", one after the other.
std::string shown(RecordingPlatform& recorder) {
    std::string out;
    for (const auto& call : recorder.calls())
        out += (out.empty() ? "" : "; ") + std::to_string(static_cast<int>(call.kind)) + " [" +
               call.title + "] " + call.text + " " + std::to_string(call.number);
    recorder.clear();
    return out;
}

} // namespace

TEST(ErrorReporter, ShowsNameAndCodeTextInABoxTitledRamexBugReportCutTo225Characters) {
    RecordingPlatformScope scope;
    bug("CTablet::setValue", kErrInvalidParameter);
    bug("CRFile::tarniTypeToIndex", kErrNoSuchFork);
    bug("A whole sentence as the name.", kNoErr);
    EXPECT_EQ(shown(scope.recorder),
              "0 [Ramex Bug Report] CTablet::setValue (invalid parameter) 0; 0 [Ramex Bug Report] "
              "CRFile::tarniTypeToIndex (-102) 0; 0 [Ramex Bug Report] A whole sentence as the "
              "name. 0");
    std::string texts;
    for (int32_t code : {1000, 1001, 1002, 1003, 1005, 1006, 1008, 999, int32_t{kErrFileSystem}})
        texts += errorCodeText(code) + "|";
    EXPECT_EQ(texts, "general error|malloc failed|data structure not initialized|attempt to "
                     "reinitialize data structure|unbalanced undo list bracketing|cant undo or "
                     "redo|1008|999|file system error|");
    const std::string longName(300, 'x');
    EXPECT_EQ(bugReportText(longName, kNoErr), std::string(225, 'x'));
    EXPECT_EQ(bugReportText(longName, 1004), std::string(225, 'x') + " (invalid parameter)");
}

TEST(SystemAlert, KindsOneAndTwoShowBoxesOtherKindsReportInvalidParameter) {
    RecordingPlatformScope scope;
    scope.recorder.buttonAnswers.push_back(kButtonCancel);
    EXPECT_EQ(SystemAlert("Are you sure?", 2), kButtonCancel);
    EXPECT_EQ(SystemAlert("Done.", 1), kButtonOK);
    SystemAlert("never shown", 3);
    EXPECT_EQ(shown(scope.recorder),
              "1 [] Are you sure? " +
                  std::to_string(static_cast<int32_t>(MessageButtons::OKCancel)) + "; 1 [] Done. " +
                  std::to_string(static_cast<int32_t>(MessageButtons::OK)) +
                  "; 0 [Ramex Bug Report] SystemAlert (invalid parameter) 0");
}

TEST(RecordingPlatform, AnswersFromQueuesAndRestoresThePreviousPlatform) {
    Platform* before = &currentPlatform();
    {
        RecordingPlatformScope scope;
        EXPECT_EQ(&currentPlatform(), &scope.recorder);
        scope.recorder.askAnswers = {std::string("NP"), std::nullopt};
        std::string first, second = "cleared", path;
        EXPECT_TRUE(currentPlatform().ask("Category?", first));
        EXPECT_FALSE(currentPlatform().ask("Again?", second));
        EXPECT_FALSE(currentPlatform().chooseFile(FileRequest{}, path));
        SystemBeep();
        SystemPause(250);
        EXPECT_EQ(scope.recorder.callsOfKind(RecordingPlatform::Kind::Ask).size(), 2u);
        EXPECT_EQ(first + "|" + second + "|" + shown(scope.recorder),
                  "NP||4 [] Category? 0; 4 [] Again? 0; 5 []  0; 2 []  0; 3 []  250");
    }
    EXPECT_EQ(&currentPlatform(), before);
}

TEST(RepeatedReports, RepeatsAreCountedAndSaidOnceWhenTheOutermostCollectorEnds) {
    RecordingPlatformScope scope;
    MessageRequest warning;
    warning.title = "Run Time Error";
    warning.text = "Invalid node argument";
    {
        const CRepeatedReports outer;
        for (int i = 0; i < 1235; ++i)
            bug("CTree::getMother", kErrInvalidParameter);
        bug("CTree::getMother", kErrGeneral); // another code is another report
        {
            // A collector opened inside another joins it: nothing is said when it ends.
            const CRepeatedReports inner;
            bug("CTree::getMother", kErrInvalidParameter);
            CRepeatedReports::showMessage(warning);
            CRepeatedReports::showMessage(warning);
        }
        EXPECT_EQ(scope.recorder.calls().size(), 3u);
    }
    EXPECT_EQ(shown(scope.recorder),
              "0 [Ramex Bug Report] CTree::getMother (invalid parameter) 0; 0 [Ramex Bug Report] "
              "CTree::getMother (general error) 0; 1 [Run Time Error] Invalid node argument 0; 0 "
              "[Ramex Bug Report] CTree::getMother (invalid parameter) ... and 1,235 more of the "
              "same 0; 1 [Run Time Error] Invalid node argument ... and 1 more of the same 0");
    // With no collector open, every report is shown.
    bug("CTree::getMother", kErrInvalidParameter);
    bug("CTree::getMother", kErrInvalidParameter);
    EXPECT_EQ(scope.recorder.calls().size(), 2u);
    for (const auto& [count, text] : {std::pair<int64_t, const char*>{999, " ... and 999 more"},
                                      {1000, " ... and 1,000 more"},
                                      {1234567, " ... and 1,234,567 more"}})
        EXPECT_EQ(CRepeatedReports::moreOfTheSame(count), text + std::string(" of the same"));
}
