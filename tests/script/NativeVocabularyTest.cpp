#include "ScriptSupport.h"
#include "ScriptSupport.h"

#include "script/CSymbol.h"
#include "script/CSymbolTable.h"
#include "script/NativeFunctionTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using R = RNativeResult;

struct RExpectedNative {
    const char* name;
    int32_t argumentCount;
    RNativeResult result;
};

// The vocabulary scripts are written against, in number order: a script compiles only when it
// calls each native with this many arguments, and reads the result of this kind.
const std::vector<RExpectedNative> kVocabulary = {
    {"add-style", 2, R::Action},
    {"alert", 1, R::Action},
    {"apply", 2, R::Node},
    {"ask", 1, R::Text},
    {"attach-daughter-to-left", 2, R::Action},
    {"attach-daughter-to-right", 2, R::Action},
    {"auto-node-label", 1, R::Action},
    {"beep", 0, R::None},
    {"belong-to-same-spine", 2, R::Truth},
    {"bottom-max", 1, R::Node},
    {"c-command", 2, R::Truth},
    {"can-apply", 2, R::Truth},
    {"can-compose", 2, R::Truth},
    {"can-tag-adjoin", 2, R::Truth},
    {"can-unify", 2, R::Truth},
    {"candidate", 0, R::Value},
    {"category", 1, R::Text},
    {"check-menu-item", 1, R::None},
    {"clear-style", 1, R::None},
    {"clone-for-adjunction", 1, R::Node},
    {"complement", 1, R::Node},
    {"compose", 2, R::Node},
    {"contain", 2, R::Truth},
    {"copy-features", 2, R::Action},
    {"copy-subtree", 2, R::Action},
    {"create-daughter-to-left", 1, R::Node},
    {"create-daughter-to-right", 1, R::Node},
    {"detach", 1, R::Action},
    {"detach-clone", 1, R::Node},
    {"disable-menu-item", 1, R::None},
    {"dominate", 2, R::Truth},
    {"enable-menu-item", 1, R::None},
    {"foot", 1, R::Node},
    {"get-color", 1, R::Number},
    {"get-subscript", 1, R::Text},
    {"get-triangle", 1, R::Number},
    {"has-daughters", 1, R::Truth},
    {"has-style", 2, R::Truth},
    {"head", 1, R::Node},
    {"hide-lexicon", 0, R::Action},
    {"hide-magnifying-glass", 0, R::Action},
    {"hide-scissors", 0, R::Action},
    {"how-many-daughters", 1, R::Number},
    {"how-many-root-nodes", 0, R::Number},
    {"immediately-dominate", 2, R::Truth},
    {"is-branching-node", 1, R::Truth},
    {"is-complement-of", 2, R::Truth},
    {"is-foot", 1, R::Truth},
    {"is-head", 1, R::Truth},
    {"is-leftmost-sister", 1, R::Truth},
    {"is-main-terminal-node", 1, R::Truth},
    {"is-maximal-projection", 1, R::Truth},
    {"is-rightmost-sister", 1, R::Truth},
    {"is-root-node", 1, R::Truth},
    {"is-sister-of", 2, R::Truth},
    {"is-spec-of", 2, R::Truth},
    {"kill-node", 1, R::None},
    {"label", 1, R::Text},
    {"left-sister", 1, R::Node},
    {"leftmost-daughter", 1, R::Node},
    {"length", 1, R::Number},
    {"m-command", 2, R::Truth},
    {"message", 1, R::Action},
    {"mother", 1, R::Node},
    {"move-daughters", 2, R::Action},
    {"new-index", 0, R::Text},
    {"next-node", 1, R::Node},
    {"non-reflexive-dominate", 2, R::Truth},
    {"pop-up", 2, R::Action},
    {"precede", 2, R::Truth},
    {"projection", 1, R::Number},
    {"right-sister", 1, R::Node},
    {"rightmost-daughter", 1, R::Node},
    {"same", 2, R::Truth},
    {"second-modifier", 0, R::Truth},
    {"selection", 0, R::Node},
    {"set-color", 2, R::Action},
    {"set-menu-label", 2, R::None},
    {"set-node-category", 2, R::None},
    {"set-node-label", 2, R::Action},
    {"set-node-projection", 2, R::Action},
    {"set-offending-node", 1, R::Action},
    {"set-single-offending-node", 1, R::Action},
    {"set-style", 2, R::Action},
    {"set-subscript", 2, R::Action},
    {"set-triangle", 2, R::None},
    {"shift-key", 0, R::Truth},
    {"show-lexicon", 0, R::Action},
    {"show-magnifying-glass", 0, R::Action},
    {"show-scissors", 0, R::Action},
    {"spec", 1, R::Node},
    {"substitute", 2, R::Action},
    {"substring", 3, R::Text},
    {"subtree-terminal-string", 1, R::Text},
    {"tag-adjoin", 2, R::Truth},
    {"terminal-string", 0, R::Text},
    {"third-modifier", 0, R::Truth},
    {"top-max", 1, R::Node},
    {"turn-off-offending-nodes", 0, R::Action},
    {"translate-color", 1, R::Number},
    {"uncheck-menu-item", 1, R::None},
    {"unify", 2, R::Action},
    {"wait", 1, R::None},
    {"tag-colors", 0, R::Action},
};

// A call of the native with `count` arguments of 1, written as a script function.
std::string callingScript(const std::string& name, int32_t count) {
    std::string call = name;
    for (int32_t i = 0; i < count; ++i)
        call += (i == 0 ? "(" : ", ") + std::string("1");
    if (count > 0)
        call += ")";
    return "define function f\n " + call + "\nend define\n";
}

} // namespace

TEST(NativeVocabulary, EveryRowHasItsNameCountAndResultAtItsNumber) {
    ASSERT_EQ(static_cast<int32_t>(kVocabulary.size()), kNativeFunctionCount);
    std::set<std::string> names;
    for (int32_t number = 1; number <= kNativeFunctionCount; ++number) {
        const RExpectedNative& expected = kVocabulary[static_cast<std::size_t>(number - 1)];
        const RNativeFunction* row = nativeFunction(number);
        ASSERT_NE(row, nullptr) << number;
        EXPECT_EQ(std::string(row->name), expected.name) << number;
        EXPECT_EQ(row->argumentCount, expected.argumentCount) << expected.name;
        EXPECT_EQ(row->result, expected.result) << expected.name;
        EXPECT_NE(row->run, nullptr) << expected.name;
        EXPECT_TRUE(names.insert(row->name).second) << expected.name;
    }
}

TEST(NativeVocabulary, EveryNameResolvesThroughTheSymbolTableToItsNumberAndCount) {
    ScriptHarness fixture;
    ASSERT_EQ(fixture.compile(""), kNoErr);
    for (int32_t number = 1; number <= kNativeFunctionCount; ++number) {
        const RExpectedNative& expected = kVocabulary[static_cast<std::size_t>(number - 1)];
        CSymbol* symbol = nullptr;
        fixture.script().symbolTable()->findASymbol(CRString(expected.name, 1), nullptr, symbol);
        ASSERT_NE(symbol, nullptr) << expected.name;
        EXPECT_EQ(symbol->getSymbolType(), kSymbolNatvFnc) << expected.name;
        EXPECT_EQ(symbol->getSymbolValue(), number) << expected.name;
        EXPECT_EQ(symbol->getSymbolHowManyParams(), expected.argumentCount) << expected.name;
        EXPECT_EQ(symbol->getSymbolTotalStackFrameSize(), expected.argumentCount) << expected.name;
    }
}

TEST(NativeVocabulary, AScriptCompilesOnlyWithEachNativesOwnArgumentCount) {
    ScriptHarness fixture;
    for (const RExpectedNative& native : kVocabulary) {
        const int32_t count = native.argumentCount;
        EXPECT_EQ(fixture.compile(callingScript(native.name, count)), kNoErr) << native.name;
        EXPECT_NE(fixture.compile(callingScript(native.name, count + 1)), kNoErr) << native.name;
        if (count > 0) {
            EXPECT_NE(fixture.compile(callingScript(native.name, count - 1)), kNoErr)
                << native.name;
        }
    }
}

// Natives without arguments show their result kind directly: an action answers 1, a native
// without a result leaves its slot empty, a query answers with a value.
TEST_F(NativeTest, NativesWithoutArgumentsAnswerAsTheirResultKindSays) {
    build("S(NP VP)");
    for (const RExpectedNative& native : kVocabulary) {
        if (native.argumentCount != 0 || native.result == R::Value)
            continue;
        const CRString result = call(native.name);
        switch (native.result) {
        case R::Action:
            EXPECT_EQ(result.str(), "1") << native.name;
            break;
        case R::None:
            EXPECT_FALSE(result.hasValue()) << native.name;
            break;
        default:
            EXPECT_TRUE(result.hasValue()) << native.name;
            break;
        }
    }
}
