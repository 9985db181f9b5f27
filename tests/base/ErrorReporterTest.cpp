#include "base/ErrorReporter.h"
#include "base/Platform.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(ErrorReporter, ShowsNameAndCodeTextInABoxTitledRamexBugReport) {
    RecordingPlatformScope scope;
    bug("CTablet::setValue", kErrInvalidParameter);
    bug("CRFile::tarniTypeToIndex", kErrNoSuchFork);
    bug("A whole sentence as the name.", kNoErr);
    bug("CTree::newRecord", kErrFileSystem);

    const auto calls = scope.recorder.callsOfKind(RecordingPlatform::Kind::BugReport);
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].title, "Ramex Bug Report");
    EXPECT_EQ(calls[0].text, "CTablet::setValue (invalid parameter)");
    EXPECT_EQ(calls[1].text, "CRFile::tarniTypeToIndex (-102)");
    EXPECT_EQ(calls[2].text, "A whole sentence as the name.");
    EXPECT_EQ(calls[3].text, "CTree::newRecord (file system error)");
}

TEST(ErrorReporter, CodeTextsCoverTheTableAndDigitsOtherwise) {
    EXPECT_EQ(errorCodeText(1000), "general error");
    EXPECT_EQ(errorCodeText(1001), "malloc failed");
    EXPECT_EQ(errorCodeText(1002), "data structure not initialized");
    EXPECT_EQ(errorCodeText(1003), "attempt to reinitialize data structure");
    EXPECT_EQ(errorCodeText(1005), "unbalanced undo list bracketing");
    EXPECT_EQ(errorCodeText(1006), "cant undo or redo");
    EXPECT_EQ(errorCodeText(1008), "1008");
    EXPECT_EQ(errorCodeText(999), "999");
}

TEST(ErrorReporter, CutsLongNamesTo225Characters) {
    const std::string longName(300, 'x');
    EXPECT_EQ(bugReportText(longName, kNoErr), std::string(225, 'x'));
    EXPECT_EQ(bugReportText(longName, 1004), std::string(225, 'x') + " (invalid parameter)");
}

TEST(SystemAlert, KindsOneAndTwoShowBoxesOtherKindsReportInvalidParameter) {
    RecordingPlatformScope scope;
    scope.recorder.buttonAnswers.push_back(kButtonCancel);
    EXPECT_EQ(SystemAlert("Are you sure?", 2), kButtonCancel);
    EXPECT_EQ(SystemAlert("Done.", 1), kButtonOK);
    const auto messages = scope.recorder.callsOfKind(RecordingPlatform::Kind::Message);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].title, "");
    EXPECT_EQ(messages[0].number, static_cast<int32_t>(MessageButtons::OKCancel));

    scope.recorder.clear();
    SystemAlert("never shown", 3);
    EXPECT_TRUE(scope.recorder.callsOfKind(RecordingPlatform::Kind::Message).empty());
    EXPECT_EQ(scope.recorder.bugReports(),
              std::vector<std::string>{"SystemAlert (invalid parameter)"});
}

TEST(RecordingPlatform, AnswersFromQueuesAndRestoresThePreviousPlatform) {
    Platform* before = &currentPlatform();
    {
        RecordingPlatformScope scope;
        EXPECT_EQ(&currentPlatform(), &scope.recorder);
        scope.recorder.askAnswers.push_back(std::string("NP"));
        scope.recorder.askAnswers.push_back(std::nullopt);
        std::string answer;
        EXPECT_TRUE(currentPlatform().ask("Category?", answer));
        EXPECT_EQ(answer, "NP");
        EXPECT_FALSE(currentPlatform().ask("Again?", answer));
        EXPECT_EQ(answer, "");
        std::string path;
        EXPECT_FALSE(currentPlatform().chooseFile(FileRequest{}, path));
        SystemBeep();
        SystemPause(250);
        EXPECT_EQ(scope.recorder.callsOfKind(RecordingPlatform::Kind::Pause).at(0).number, 250);
    }
    EXPECT_EQ(&currentPlatform(), before);
}
