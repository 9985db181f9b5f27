#include "base/ErrorReporter.h"
#include "base/CRepeatedReports.h"
#include "base/Platform.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

Texts texts(const RecordingPlatform& recorder) {
    Texts shown;
    for (const auto& call : recorder.calls())
        shown.push_back(call.text);
    return shown;
}

} // namespace

TEST(ErrorReporter, ShowsNameAndCodeTextInABoxTitledRamexBugReportCutTo225Characters) {
    RecordingPlatformScope scope;
    bug("CTablet::setValue", kErrInvalidParameter);
    bug("CRFile::tarniTypeToIndex", kErrNoSuchFork);
    bug("A whole sentence as the name.", kNoErr);
    bug("CTree::newRecord", kErrFileSystem);
    EXPECT_EQ(scope.recorder.callsOfKind(RecordingPlatform::Kind::BugReport).size(), 4u);
    EXPECT_EQ(scope.recorder.calls()[0].title, "Ramex Bug Report");
    EXPECT_EQ(texts(scope.recorder),
              (Texts{"CTablet::setValue (invalid parameter)", "CRFile::tarniTypeToIndex (-102)",
                     "A whole sentence as the name.", "CTree::newRecord (file system error)"}));

    const std::pair<int32_t, const char*> codes[] = {
        {1000, "general error"},
        {1001, "malloc failed"},
        {1002, "data structure not initialized"},
        {1003, "attempt to reinitialize data structure"},
        {1005, "unbalanced undo list bracketing"},
        {1006, "cant undo or redo"},
        {1008, "1008"},
        {999, "999"},
    };
    for (const auto& [code, text] : codes)
        EXPECT_EQ(errorCodeText(code), text);
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
    const auto messages = scope.recorder.callsOfKind(RecordingPlatform::Kind::Message);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].title, "");
    EXPECT_EQ(messages[0].number, static_cast<int32_t>(MessageButtons::OKCancel));
    EXPECT_EQ(scope.recorder.bugReports(), Texts{"SystemAlert (invalid parameter)"});
}

TEST(RecordingPlatform, AnswersFromQueuesAndRestoresThePreviousPlatform) {
    Platform* before = &currentPlatform();
    {
        RecordingPlatformScope scope;
        EXPECT_EQ(&currentPlatform(), &scope.recorder);
        scope.recorder.askAnswers = {std::string("NP"), std::nullopt};
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
    EXPECT_EQ(texts(scope.recorder),
              (Texts{"CTree::getMother (invalid parameter)", "CTree::getMother (general error)",
                     "Invalid node argument",
                     "CTree::getMother (invalid parameter) ... and 1,235 more of the same",
                     "Invalid node argument ... and 1 more of the same"}));
    EXPECT_EQ(scope.recorder.calls()[4].kind, RecordingPlatform::Kind::Message);
    EXPECT_EQ(scope.recorder.calls()[4].title, "Run Time Error");
    // With no collector open, every report is shown.
    scope.recorder.clear();
    bug("CTree::getMother", kErrInvalidParameter);
    bug("CTree::getMother", kErrInvalidParameter);
    EXPECT_EQ(scope.recorder.calls().size(), 2u);

    for (const auto& [count, text] : {std::pair<int64_t, const char*>{1, " ... and 1 more"},
                                      {999, " ... and 999 more"},
                                      {1000, " ... and 1,000 more"},
                                      {1234567, " ... and 1,234,567 more"}})
        EXPECT_EQ(CRepeatedReports::moreOfTheSame(count), text + std::string(" of the same"));
}
