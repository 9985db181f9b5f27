#include "ScriptSupport.h"

#include "model/TreeAttributes.h"

namespace {

constexpr int32_t kItalic = 1;
constexpr int32_t kBold = 2;
constexpr int32_t kUnderline = 4;
constexpr int32_t kRed = 4;

} // namespace

TEST_F(NativeTest, ColoursAreSetInRangeAndReadBack) {
    build("S(NP)");
    middle().turnOnRunTimeDebugging();
    EXPECT_EQ(callUndoable("set-color", {node("NP"), kRed}).str(), "1");
    EXPECT_EQ(call("get-color", {node("NP")}).str(), "4");
    EXPECT_EQ(cell(node("NP"), kAttrColor), kRed);
    EXPECT_EQ(call("set-color", {node("NP"), 11}).str(), "1");
    EXPECT_EQ(call("get-color", {node("NP")}).str(), "11");
    EXPECT_TRUE(runTimeErrors().empty());

    const DatabaseState before = captureState(tree);
    EXPECT_EQ(call("set-color", {node("NP"), 12}).str(), "0");
    EXPECT_EQ(call("set-color", {node("NP"), 0}).str(), "0");
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    EXPECT_EQ(runTimeErrors(),
              std::vector<std::string>(2, nativeErrorText("set-color", "Invalid color")));
}

TEST_F(NativeTest, TranslateColorReadsTheElevenNamesInAnyCase) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"black", "1"},    {"white", "2"}, {"gray", "3"}, {"RED", "4"},    {"Orange", "5"},
        {"yellow", "6"},   {"green", "7"}, {"blue", "8"}, {"violet", "9"}, {"cyan", "10"},
        {"MAGENTA", "11"}, {"pink", "1"},  {"", "1"}};
    for (const auto& [name, number] : cases)
        EXPECT_EQ(call("translate-color", {name}).str(), number) << name;
}

TEST_F(NativeTest, AddStyleAddsABitAndSetStyleReplacesTheStyle) {
    build("S(NP)");
    middle().turnOnRunTimeDebugging();
    EXPECT_EQ(callUndoable("add-style", {node("NP"), kItalic}).str(), "1");
    EXPECT_EQ(callUndoable("add-style", {node("NP"), kBold}).str(), "1");
    EXPECT_EQ(cell(node("NP"), kAttrTextStyle), kItalic | kBold);
    EXPECT_EQ(call("has-style", {node("NP"), kItalic}).str(), "1");
    EXPECT_EQ(call("has-style", {node("NP"), kUnderline}).str(), "0");
    EXPECT_EQ(callUndoable("set-style", {node("NP"), kUnderline}).str(), "1");
    EXPECT_EQ(cell(node("NP"), kAttrTextStyle), kUnderline);
    EXPECT_EQ(call("add-style", {node("NP"), 0}).str(), "1");
    EXPECT_EQ(cell(node("NP"), kAttrTextStyle), 0);
    EXPECT_EQ(call("add-style", {node("NP"), kBold}).str(), "1");
    EXPECT_FALSE(callUndoable("clear-style", {node("NP")}).hasValue());
    EXPECT_EQ(cell(node("NP"), kAttrTextStyle), 0);
    EXPECT_TRUE(runTimeErrors().empty());

    // A bad style changes nothing: "add-style" still answers 1, "set-style" 0, "has-style" 0
    // without an error.
    ASSERT_EQ(call("add-style", {node("NP"), kItalic}).str(), "1");
    const DatabaseState before = captureState(tree);
    EXPECT_EQ(call("add-style", {node("NP"), 3}).str(), "1");
    EXPECT_EQ(call("set-style", {node("NP"), 3}).str(), "0");
    EXPECT_EQ(call("set-style", {node("NP"), 0}).str(), "0");
    EXPECT_EQ(call("has-style", {node("NP"), 3}).str(), "0");
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    EXPECT_EQ(runTimeErrors(),
              (std::vector<std::string>{nativeErrorText("add-style", "Invalid text style"),
                                        nativeErrorText("set-style", "Invalid text style"),
                                        nativeErrorText("set-style", "Invalid text style")}));
    EXPECT_TRUE(bugReports().empty());
}

TEST_F(NativeTest, TrianglesAreSetFromAnyNonZeroFlag) {
    build("S(NP(D N))");
    EXPECT_EQ(call("get-triangle", {node("NP")}).str(), "0");
    EXPECT_FALSE(callUndoable("set-triangle", {node("NP"), 7}).hasValue());
    EXPECT_EQ(call("get-triangle", {node("NP")}).str(), "1");
    callUndoable("set-triangle", {node("NP"), 0});
    EXPECT_EQ(call("get-triangle", {node("NP")}).str(), "0");
}

TEST_F(NativeTest, TagColorsTurnsTheModeOn) {
    EXPECT_EQ(tree.tagColorsMode, 0);
    EXPECT_EQ(call("tag-colors").str(), "1");
    EXPECT_EQ(tree.tagColorsMode, 1);
}

TEST_F(NativeTest, DrawingNativesCheckTheirNodes) {
    build("S(NP)");
    middle().turnOnRunTimeDebugging();
    const std::vector<std::pair<const char*, std::vector<RArg>>> cases = {
        {"add-style", {0, kBold}}, {"clear-style", {0}},      {"get-color", {0}},
        {"get-triangle", {0}},     {"has-style", {0, kBold}}, {"set-color", {0, kRed}},
        {"set-style", {0, kBold}}, {"set-triangle", {0, 1}}};
    for (const auto& [name, args] : cases) {
        platform.recorder.clear();
        const DatabaseState before = captureState(tree);
        EXPECT_EQ(call(name, args).str(), "0") << name;
        EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree))) << name;
        EXPECT_EQ(runTimeErrors(),
                  std::vector<std::string>{nativeErrorText(name, "Invalid node argument")});
    }
}
