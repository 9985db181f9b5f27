#include "ScriptSupport.h"

#include "model/TreeAttributes.h"

namespace {

using Kind = RecordingPlatform::Kind;
using Request = RecordingUserInterface::Kind;

} // namespace

TEST_F(NativeTest, AlertBeepAndWaitGoToThePlatform) {
    EXPECT_EQ(call("alert", {"Careful!"}).str(), "1");
    const auto alerts = platform.recorder.callsOfKind(Kind::Message);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].text, "Careful!");

    EXPECT_FALSE(call("beep").hasValue());
    EXPECT_EQ(platform.recorder.callsOfKind(Kind::Beep).size(), 1u);

    EXPECT_FALSE(call("wait", {250}).hasValue());
    call("wait", {0});
    call("wait", {-40});
    call("wait", {3600000});
    const auto pauses = platform.recorder.callsOfKind(Kind::Pause);
    ASSERT_EQ(pauses.size(), 2u);
    EXPECT_EQ(pauses[0].number, 250);
    EXPECT_EQ(pauses[1].number, 10000) << "an hour's pause would freeze the program";
}

TEST_F(NativeTest, AskReturnsTheAnswerOrAnEmptyTextWhenCancelled) {
    platform.recorder.askAnswers.push_back(std::string("the dog"));
    platform.recorder.askAnswers.push_back(std::nullopt);
    EXPECT_EQ(call("ask", {"Which phrase?"}).str(), "the dog");
    const auto questions = platform.recorder.callsOfKind(Kind::Ask);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].text, "Which phrase?");
    EXPECT_EQ(call("ask", {"Again?"}).str(), "");
}

TEST_F(NativeTest, MessageAndPopUpArePassedToTheApplication) {
    build("S(NP)");
    EXPECT_EQ(call("message", {"Done"}).str(), "1");
    EXPECT_EQ(call("pop-up", {node("NP"), "Here"}).str(), "1");
    const auto& requests = ui.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].kind, Request::Message);
    EXPECT_EQ(requests[0].text, "Done");
    EXPECT_EQ(requests[1].kind, Request::PopUp);
    EXPECT_EQ(requests[1].first, node("NP"));
    EXPECT_EQ(requests[1].text, "Here");
}

TEST_F(NativeTest, ModifierKeysAnswerWithTruthValues) {
    const std::vector<std::pair<int32_t, std::vector<std::string>>> cases = {
        {0, {"0", "0", "0"}},
        {kModifierShift, {"1", "0", "0"}},
        {kModifierControl, {"0", "1", "0"}},
        {kModifierAlt, {"0", "0", "1"}},
        {kModifierShift | kModifierAlt, {"1", "0", "1"}}};
    for (const auto& [keys, expected] : cases) {
        platform.recorder.modifiers = keys;
        EXPECT_EQ(call("shift-key").str(), expected[0]) << keys;
        EXPECT_EQ(call("second-modifier").str(), expected[1]) << keys;
        EXPECT_EQ(call("third-modifier").str(), expected[2]) << keys;
    }
}

TEST_F(NativeTest, CandidateCopiesTheValueSearchUpwardIsTesting) {
    EXPECT_FALSE(call("candidate").hasValue());
    ASSERT_EQ(script().parseScript(false), kNoErr);
    EXPECT_EQ(call("candidate").str(), "0");
}

TEST_F(NativeTest, TextNativesMeasureSearchAndCut) {
    struct Case {
        const char* native;
        std::vector<RArg> args;
        const char* expected;
    };
    const std::vector<Case> cases = {{"length", {"abcdef"}, "6"},
                                     {"length", {""}, "0"},
                                     {"length", {"\xc3\xa9t\xc3\xa9"}, "3"},
                                     {"contain", {"the dog", "dog"}, "1"},
                                     {"contain", {"the dog", "Dog"}, "0"},
                                     {"contain", {"the dog", ""}, "1"},
                                     {"contain", {"", ""}, "1"},
                                     {"substring", {"abcdef", 0, 3}, "abc"},
                                     {"substring", {"abcdef", 6, 2}, ""},
                                     {"substring", {"abcdef", 4, 10}, "ef"},
                                     {"substring", {"abcdef", 2, 0}, ""},
                                     {"substring", {"", 0, 2}, ""},
                                     {"substring", {"\xc3\xa9t\xc3\xa9", 1, 2}, "t\xc3\xa9"}};
    for (const Case& c : cases) {
        const CRString result = call(c.native, c.args);
        EXPECT_TRUE(result.hasValue()) << c.native << " " << c.args[0].text;
        EXPECT_EQ(result.str(), c.expected) << c.native << " " << c.args[0].text;
    }
}
