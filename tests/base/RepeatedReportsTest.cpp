#include "base/CRepeatedReports.h"
#include "base/ErrorReporter.h"
#include "base/Platform.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> texts(const RecordingPlatform& recorder) {
    std::vector<std::string> shown;
    for (const auto& call : recorder.calls())
        shown.push_back(call.text);
    return shown;
}

} // namespace

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
              (std::vector<std::string>{
                  "CTree::getMother (invalid parameter)", "CTree::getMother (general error)",
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
}

TEST(RepeatedReports, CountsAreWrittenWithThousandsSeparators) {
    const std::pair<int64_t, const char*> cases[] = {
        {1, " ... and 1 more of the same"},
        {999, " ... and 999 more of the same"},
        {1000, " ... and 1,000 more of the same"},
        {1234567, " ... and 1,234,567 more of the same"},
    };
    for (const auto& [count, text] : cases)
        EXPECT_EQ(CRepeatedReports::moreOfTheSame(count), text);
}
