#include "ScriptSupport.h"

#include "script/CSymbol.h"
#include "script/CSymbolTable.h"
#include "script/NativeFunctionTable.h"

#include <set>

namespace {

// A call of the native with `count` arguments of 1, written as a script function.
std::string callingScript(const std::string& name, int32_t count) {
    std::string call = name;
    for (int32_t i = 0; i < count; ++i)
        call += (i == 0 ? "(" : ", ") + std::string("1");
    return "define function f\n " + call + (count > 0 ? ")" : "") + "\nend define\n";
}

} // namespace

// Scripts are written against the natives' numbers, names and argument counts: spot checks of
// the table, then every row through the symbol table and the compiler.
TEST(NativeVocabulary, EveryNativeResolvesAndCompilesOnlyWithItsOwnArgumentCount) {
    const struct {
        int32_t number;
        const char* name;
        int32_t count;
        RNativeResult result;
    } spots[] = {{1, "add-style", 2, RNativeResult::Action},
                 {16, "candidate", 0, RNativeResult::Value},
                 {93, "substring", 3, RNativeResult::Text},
                 {kNativeFunctionCount, "tag-colors", 0, RNativeResult::Action}};
    for (const auto& spot : spots) {
        EXPECT_STREQ(nativeFunction(spot.number)->name, spot.name);
        EXPECT_EQ(nativeFunction(spot.number)->argumentCount, spot.count) << spot.name;
        EXPECT_EQ(nativeFunction(spot.number)->result, spot.result) << spot.name;
    }
    EXPECT_EQ(kNativeFunctionCount, 104);
    ScriptHarness fixture;
    ASSERT_EQ(fixture.compile(""), kNoErr);
    std::set<std::string> names;
    for (int32_t number = 1; number <= kNativeFunctionCount; ++number) {
        const RNativeFunction* row = nativeFunction(number);
        ASSERT_NE(row, nullptr) << number;
        EXPECT_NE(row->run, nullptr) << row->name;
        EXPECT_TRUE(names.insert(row->name).second) << row->name;
        CSymbol* symbol = nullptr;
        fixture.script().symbolTable()->findASymbol(CRString(row->name, 1), nullptr, symbol);
        ASSERT_NE(symbol, nullptr) << row->name;
        EXPECT_EQ(symbol->getSymbolType(), kSymbolNatvFnc) << row->name;
        EXPECT_EQ(symbol->getSymbolValue(), number) << row->name;
        EXPECT_EQ(symbol->getSymbolHowManyParams(), row->argumentCount) << row->name;
        EXPECT_EQ(symbol->getSymbolTotalStackFrameSize(), row->argumentCount) << row->name;
    }
    ScriptHarness compiler;
    for (int32_t number = 1; number <= kNativeFunctionCount; ++number) {
        const std::string name = nativeFunction(number)->name;
        const int32_t count = nativeFunction(number)->argumentCount;
        EXPECT_EQ(compiler.compile(callingScript(name, count), false), kNoErr) << name;
        EXPECT_NE(compiler.compile(callingScript(name, count + 1), false), kNoErr) << name;
        if (count > 0) {
            EXPECT_NE(compiler.compile(callingScript(name, count - 1), false), kNoErr) << name;
        }
    }
}

// Natives without arguments show their result kind directly: an action answers 1, a native
// without a result leaves its slot empty, a query answers with a value.
TEST_F(NativeTest, NativesWithoutArgumentsAnswerAsTheirResultKindSays) {
    build("S(NP VP)");
    for (int32_t number = 1; number <= kNativeFunctionCount; ++number) {
        const RNativeFunction& native = *nativeFunction(number);
        if (native.argumentCount != 0 || native.result == RNativeResult::Value)
            continue;
        const CRString result = call(native.name);
        if (native.result == RNativeResult::Action)
            EXPECT_EQ(result.str(), "1") << native.name;
        else
            EXPECT_EQ(result.hasValue(), native.result != RNativeResult::None) << native.name;
    }
}
