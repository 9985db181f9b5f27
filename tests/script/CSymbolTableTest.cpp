#include "script/CSymbolTable.h"
#include "script/CSymbol.h"
#include "storage/CRMemory.h"
#include "storage/CRString.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

CRString text(const char* utf8) {
    return CRString(utf8, 151);
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
    const std::pair<const char*, int32_t> rows[] = {
        {"", 0},
        {"a", 97},
        {"abc", 124},
        {"mother", 197},
        {"add-style", 43},
        {"aq", 188},
        // Long enough for the high nibble to fold back in.
        {"attach-daughter-to-right", 133},
        {"turn-off-offending-nodes", 173}};
    for (const auto& [name, hash] : rows)
        EXPECT_EQ(CSymbolTable::hashFunction(text(name)), hash) << name;
    // The hash itself does not fold case; lookups lower-case first.
    EXPECT_NE(CSymbolTable::hashFunction(text("ABC")), 124);
}

TEST(CSymbolTable, SymbolsAreLowerCaseFoundIgnoringCaseAndDiacriticsInTheExactScope) {
    CSymbolTable table;
    CRString name = text("Drag-From-Lexicon");
    CSymbol* symbol = nullptr;
    ASSERT_EQ(table.addASymbol(name, kSymbolAttribu, symbol), kNoErr);
    EXPECT_STREQ(name.getStringValue(), "Drag-From-Lexicon"); // the caller's text is unchanged
    EXPECT_STREQ(symbol->getSymbolString().getStringValue(), "drag-from-lexicon");
    EXPECT_EQ(symbol->getSymbolType(), kSymbolAttribu);
    EXPECT_EQ(symbol->getSymbolHowManyParams() + symbol->getSymbolTotalStackFrameSize() +
                  symbol->getSymbolStackFramePosition() + symbol->getSymbolValue(),
              0);
    EXPECT_EQ(symbol->getSymbolBody(), nullptr);
    EXPECT_EQ(symbol->getSymbolScope(), nullptr);
    EXPECT_EQ(table.bucketHead(CSymbolTable::hashFunction(text("drag-from-lexicon"))), symbol);

    CSymbol* global = add(table, "foo", kSymbolVariabl);
    CSymbol* function = add(table, "f", kSymbolUserFnc);
    CSymbol* other = add(table, "g", kSymbolUserFnc);
    CSymbol* parameter = add(table, "n", kSymbolLoclArg);
    parameter->setSymbolScope(function);
    EXPECT_EQ(find(table, "FOO"), global);
    EXPECT_EQ(find(table, "foo", function), nullptr); // a global is not in a function's scope
    EXPECT_EQ(find(table, "n"), nullptr);             // a parameter is not global
    EXPECT_EQ(find(table, "N", function), parameter);
    EXPECT_EQ(find(table, "n", other), nullptr);
    EXPECT_EQ(find(table, "bar"), nullptr);

    // "lpe" and "lpé" share a bucket, so the comparison decides.
    ASSERT_EQ(CSymbolTable::hashFunction(text("lpe")),
              CSymbolTable::hashFunction(text("lp\xC3\xA9")));
    CSymbol* plain = add(table, "lpe");
    EXPECT_EQ(find(table, "LP\xC3\xA9"), plain);
    EXPECT_FALSE(plain->matchesSymbol(text("lpe"), plain));
    EXPECT_FALSE(plain->matchesSymbol(text("lpf"), nullptr));

    // "aq" and "ba" share bucket 188: chains append, and the older of two equal names is found.
    CSymbol* first = add(table, "aq");
    CSymbol* second = add(table, "ba");
    CSymbol* duplicate = add(table, "AQ", kSymbolVariabl);
    EXPECT_EQ(table.bucketHead(188), first);
    EXPECT_EQ(first->getNext(), second);
    EXPECT_EQ(second->getNext(), duplicate);
    EXPECT_EQ(find(table, "aq"), first);
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
        EXPECT_EQ(used, 211);
        EXPECT_EQ(table.bucketHead(211), nullptr);
        EXPECT_EQ(table.bucketHead(-1), nullptr);
    }
    EXPECT_EQ(CRMemory::shared().live(kKindCSymbol), liveBefore);
    EXPECT_EQ(CRMemory::shared().live(kKindCSymbolTable), tablesBefore);
    EXPECT_EQ(CRMemory::shared().live(kTagSymbolBuckets), bucketsBefore);
}

TEST(CSymbol, OutOfRangeKindAndParameterCountAreReportedAndStoredAndValuesAreCopies) {
    RecordingPlatformScope platform;
    CSymbol symbol(text("x"), kSymbolUnident);
    symbol.setSymbolType(10);
    symbol.setSymbolHowManyParams(100);
    EXPECT_TRUE(platform.recorder.bugReports().empty());
    symbol.setSymbolType(11);
    EXPECT_EQ(symbol.getSymbolType(), 11);
    symbol.setSymbolHowManyParams(101);
    EXPECT_EQ(symbol.getSymbolHowManyParams(), 101);
    const auto reports = platform.recorder.bugReports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_NE(reports[0].find("CSymbol::setSymbolType"), std::string::npos);
    EXPECT_NE(reports[1].find("CSymbol::setSymbolHowManyParams"), std::string::npos);

    EXPECT_FALSE(symbol.getSymbolStringValue().hasValue());
    CRString value = text("12");
    symbol.setSymbolStringValue(value);
    value.setStringValue("99");
    EXPECT_STREQ(symbol.getSymbolStringValue().getStringValue(), "12");
    RVariable& variable = symbol;
    variable.setVariableValue(text("7"));
    EXPECT_EQ(variable.variableValue().getNumericValue(), 7);
}
