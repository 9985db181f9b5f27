#include "ScriptSupport.h"

using Kind = RecordingPlatform::Kind;

// Alerts, messages, pop-ups and beeps are checked end to end; here what a script cannot see.
TEST_F(NativeTest, WaitIsBoundedAndAskGivesTheAnswerOrAnEmptyTextWhenCancelled) {
    EXPECT_FALSE(call("wait", {250}).hasValue());
    call("wait", {0});
    call("wait", {-40});
    call("wait", {3600000});
    const auto pauses = platform.recorder.callsOfKind(Kind::Pause);
    ASSERT_EQ(pauses.size(), 2u);
    EXPECT_EQ(pauses[0].number, 250);
    EXPECT_EQ(pauses[1].number, 10000) << "an hour's pause would freeze the program";

    platform.recorder.askAnswers.push_back(std::string("the dog"));
    platform.recorder.askAnswers.push_back(std::nullopt);
    EXPECT_EQ(call("ask", {"Which phrase?"}).str(), "the dog");
    const auto questions = platform.recorder.callsOfKind(Kind::Ask);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].text, "Which phrase?");
    EXPECT_EQ(call("ask", {"Again?"}).str(), "");

    // Candidate copies the value search upward is testing, which a compile sets to 0.
    EXPECT_FALSE(call("candidate").hasValue());
    ASSERT_EQ(script().parseScript(false), kNoErr);
    EXPECT_EQ(call("candidate").str(), "0");
}

TEST_F(NativeTest, ModifierKeysAnswerWithTruthValues) {
    const std::pair<int32_t, const char*> cases[] = {{0, "000"},
                                                     {kModifierShift, "100"},
                                                     {kModifierControl, "010"},
                                                     {kModifierAlt, "001"},
                                                     {kModifierShift | kModifierAlt, "101"}};
    for (const auto& [keys, expected] : cases) {
        platform.recorder.modifiers = keys;
        EXPECT_EQ(call("shift-key").str() + call("second-modifier").str() +
                      call("third-modifier").str(),
                  expected)
            << keys;
    }
}

TEST_F(NativeTest, TextNativesMeasureSearchAndCut) {
    const std::pair<std::vector<RArg>, const char*> cases[] = {
        {{"length", "abcdef"}, "6"},
        {{"length", ""}, "0"},
        {{"length", "\xc3\xa9t\xc3\xa9"}, "3"},
        {{"contain", "the dog", "dog"}, "1"},
        {{"contain", "the dog", "Dog"}, "0"},
        {{"contain", "the dog", ""}, "1"},
        {{"contain", "", ""}, "1"},
        {{"substring", "abcdef", 0, 3}, "abc"},
        {{"substring", "abcdef", 6, 2}, ""},
        {{"substring", "abcdef", 4, 10}, "ef"},
        {{"substring", "abcdef", 2, 0}, ""},
        {{"substring", "", 0, 2}, ""},
        {{"substring", "\xc3\xa9t\xc3\xa9", 1, 2}, "t\xc3\xa9"}};
    for (const auto& [row, expected] : cases) {
        const std::vector<RArg> args(row.begin() + 1, row.end());
        const CRString result = call(row[0].text, args);
        EXPECT_TRUE(result.hasValue()) << row[0].text << " " << args[0].text;
        EXPECT_EQ(result.str(), expected) << row[0].text << " " << args[0].text;
    }
}
