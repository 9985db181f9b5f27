#include "script/CSymbolTable.h"
#include "script/CSymbol.h"
#include "storage/CRMemory.h"
#include "storage/CRString.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t kTag = 151;

CRString text(const char* utf8) {
    return CRString(utf8, kTag);
}

CSymbol* add(CSymbolTable& table, const char* name, int32_t type = kSymbolUnident) {
    CSymbol* symbol = nullptr;
    EXPECT_EQ(table.addASymbol(text(name), type, symbol), kNoErr);
    return symbol;
}

CSymbol* find(const CSymbolTable& table, const char* name, const CSymbol* scope = nullptr) {
    CSymbol sentinel(text("sentinel"), kSymbolUnident);
    CSymbol* symbol = &sentinel; // every lookup overwrites it
    EXPECT_EQ(table.findASymbol(text(name), scope, symbol), kNoErr);
    return symbol;
}

} // namespace

TEST(CSymbolTable, HashIsElfHashOfUtf8BytesModulo211) {
    EXPECT_EQ(CSymbolTable::hashFunction(text("")), 0);
    EXPECT_EQ(CSymbolTable::hashFunction(text("a")), 97);
    EXPECT_EQ(CSymbolTable::hashFunction(text("abc")), 124);
    EXPECT_EQ(CSymbolTable::hashFunction(text("mother")), 197);
    EXPECT_EQ(CSymbolTable::hashFunction(text("add-style")), 43);
    // Long enough for the high nibble to fold back in.
    EXPECT_EQ(CSymbolTable::hashFunction(text("attach-daughter-to-right")), 133);
    EXPECT_EQ(CSymbolTable::hashFunction(text("turn-off-offending-nodes")), 173);
    // The hash itself does not fold case; lookups lower-case first.
    EXPECT_NE(CSymbolTable::hashFunction(text("ABC")), 124);
}

TEST(CSymbolTable, NewSymbolHasLowerCaseNameGivenKindAndEverythingElseZero) {
    CSymbolTable table;
    CRString name = text("Drag-From-Lexicon");
    CSymbol* symbol = nullptr;
    ASSERT_EQ(table.addASymbol(name, kSymbolAttribu, symbol), kNoErr);
    ASSERT_NE(symbol, nullptr);
    EXPECT_STREQ(name.getStringValue(), "Drag-From-Lexicon"); // the caller's text is unchanged
    EXPECT_STREQ(symbol->getSymbolString().getStringValue(), "drag-from-lexicon");
    EXPECT_EQ(symbol->getSymbolType(), kSymbolAttribu);
    EXPECT_EQ(symbol->getSymbolHowManyParams(), 0);
    EXPECT_EQ(symbol->getSymbolTotalStackFrameSize(), 0);
    EXPECT_EQ(symbol->getSymbolStackFramePosition(), 0);
    EXPECT_EQ(symbol->getSymbolValue(), 0);
    EXPECT_EQ(symbol->getSymbolBody(), nullptr);
    EXPECT_EQ(symbol->getSymbolScope(), nullptr);
    EXPECT_EQ(symbol->getNext(), nullptr);
    EXPECT_EQ(table.bucketHead(CSymbolTable::hashFunction(text("drag-from-lexicon"))), symbol);
}

TEST(CSymbolTable, LookupIgnoresCaseButNeedsTheExactScope) {
    CSymbolTable table;
    CSymbol* global = add(table, "foo", kSymbolVariabl);
    CSymbol* function = add(table, "f", kSymbolUserFnc);
    CSymbol* other = add(table, "g", kSymbolUserFnc);
    CSymbol* parameter = add(table, "n", kSymbolLoclArg);
    parameter->setSymbolScope(function);

    EXPECT_EQ(find(table, "Foo"), global);
    EXPECT_EQ(find(table, "FOO"), global);
    EXPECT_EQ(find(table, "foo", function), nullptr); // a global is not in a function's scope
    EXPECT_EQ(find(table, "n"), nullptr);             // a parameter is not global
    EXPECT_EQ(find(table, "N", function), parameter);
    EXPECT_EQ(find(table, "n", other), nullptr); // another function's scope
    EXPECT_EQ(find(table, "bar"), nullptr);
}

TEST(CSymbolTable, LookupIgnoresDiacriticsWithinABucket) {
    // "lpe" and "lpé" fall into the same bucket, so the comparison decides.
    ASSERT_EQ(CSymbolTable::hashFunction(text("lpe")),
              CSymbolTable::hashFunction(text("lp\xC3\xA9")));
    CSymbolTable table;
    CSymbol* plain = add(table, "lpe");
    EXPECT_EQ(find(table, "LP\xC3\xA9"), plain);
    EXPECT_TRUE(plain->matchesSymbol(text("Lp\xC3\xA9"), nullptr));
    EXPECT_FALSE(plain->matchesSymbol(text("lpe"), plain));
    EXPECT_FALSE(plain->matchesSymbol(text("lpf"), nullptr));
}

TEST(CSymbolTable, ChainsAppendAtTheEndAndTheOlderSymbolIsFound) {
    // "aq" and "ba" share bucket 188.
    ASSERT_EQ(CSymbolTable::hashFunction(text("aq")), 188);
    ASSERT_EQ(CSymbolTable::hashFunction(text("ba")), 188);
    CSymbolTable table;
    CSymbol* first = add(table, "aq");
    CSymbol* second = add(table, "ba");
    CSymbol* duplicate = add(table, "AQ", kSymbolVariabl);
    EXPECT_EQ(table.bucketHead(188), first);
    EXPECT_EQ(first->getNext(), second);
    EXPECT_EQ(second->getNext(), duplicate);
    EXPECT_EQ(find(table, "aq"), first); // both are kept; the older one is found
    EXPECT_EQ(find(table, "ba"), second);
}

TEST(CSymbolTable, OnlyBuckets0To210AreUsedAndEverySymbolIsFreedWithTheTable) {
    const int64_t liveBefore = CRMemory::shared().live(kKindCSymbol);
    const int64_t tablesBefore = CRMemory::shared().live(kKindCSymbolTable);
    const int64_t bucketsBefore = CRMemory::shared().live(kTagSymbolBuckets);
    {
        CSymbolTable table;
        EXPECT_EQ(CRMemory::shared().live(kKindCSymbolTable), tablesBefore + 1);
        EXPECT_EQ(CRMemory::shared().live(kTagSymbolBuckets), bucketsBefore + 1);
        for (int32_t i = 0; i < 5000; ++i)
            add(table, ("name" + std::to_string(i)).c_str());
        EXPECT_EQ(CRMemory::shared().live(kKindCSymbol), liveBefore + 5000);
        int32_t used = 0;
        for (int32_t bucket = 0; bucket < CSymbolTable::kBucketCount; ++bucket)
            used += table.bucketHead(bucket) != nullptr;
        EXPECT_EQ(table.bucketHead(211), nullptr);
        EXPECT_EQ(used, 211);
        EXPECT_EQ(table.bucketHead(212), nullptr);
        EXPECT_EQ(table.bucketHead(-1), nullptr);
    }
    EXPECT_EQ(CRMemory::shared().live(kKindCSymbol), liveBefore);
    EXPECT_EQ(CRMemory::shared().live(kKindCSymbolTable), tablesBefore);
    EXPECT_EQ(CRMemory::shared().live(kTagSymbolBuckets), bucketsBefore);
}

TEST(CSymbol, OutOfRangeKindAndParameterCountAreReportedAndStored) {
    RecordingPlatformScope platform;
    CSymbol symbol(text("x"), kSymbolUnident);
    symbol.setSymbolType(10);
    symbol.setSymbolHowManyParams(100);
    EXPECT_TRUE(platform.recorder.bugReports().empty());
    symbol.setSymbolType(11);
    EXPECT_EQ(symbol.getSymbolType(), 11);
    symbol.setSymbolHowManyParams(101);
    EXPECT_EQ(symbol.getSymbolHowManyParams(), 101);
    symbol.setSymbolType(-1);
    const auto reports = platform.recorder.bugReports();
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_NE(reports[0].find("CSymbol::setSymbolType"), std::string::npos);
    EXPECT_NE(reports[1].find("CSymbol::setSymbolHowManyParams"), std::string::npos);
    EXPECT_NE(reports[2].find("CSymbol::setSymbolType"), std::string::npos);
}

TEST(CSymbol, GlobalValueStartsEmptyAndIsACopy) {
    CSymbol symbol(text("x"), kSymbolVariabl);
    EXPECT_FALSE(symbol.getSymbolStringValue().hasValue());
    EXPECT_EQ(symbol.getSymbolStringValue().getNumericValue(), 0);
    CRString value = text("12");
    symbol.setSymbolStringValue(value);
    value.setStringValue("99");
    EXPECT_STREQ(symbol.getSymbolStringValue().getStringValue(), "12");
    RVariable& variable = symbol;
    variable.setVariableValue(text("7"));
    EXPECT_EQ(variable.variableValue().getNumericValue(), 7);
}
