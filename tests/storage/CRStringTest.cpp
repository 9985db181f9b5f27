#include "storage/CRString.h"

#include "base/ErrorReporter.h"
#include "storage/CRMemory.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

namespace {

constexpr int32_t kTestTag = 150; // a creator tag no other test here uses

// Counters of one tag or kind, so a test can look at the change it made.
struct CounterSnapshot {
    explicit CounterSnapshot(int32_t counted)
        : tag(counted), allocations(CRMemory::shared().allocations(counted)),
          frees(CRMemory::shared().frees(counted)) {}
    int64_t addedAllocations() const { return CRMemory::shared().allocations(tag) - allocations; }
    int64_t addedFrees() const { return CRMemory::shared().frees(tag) - frees; }
    int32_t tag;
    int64_t allocations;
    int64_t frees;
};

int32_t order(const char* a, const char* b) {
    return CRString::orderString(a, b, false, false);
}

std::string universalOfPlatform(const char* platform) {
    CRString s(kTestTag);
    s.setStringValueLocal(platform);
    return s.getStringValue();
}

std::string platformOfUniversal(const char* universal) {
    CRString s(universal, kTestTag);
    return s.getStringValueLocal();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Counting

TEST(CRString, CountsUnderKindOneAndItsCreatorTagWhileItLives) {
    const CounterSnapshot kind(kKindCRString);
    const CounterSnapshot creator(kTestTag);
    const int64_t live = CRString::totalCRStringsInstantiated();
    {
        CRString a(kTestTag);
        CRString b("text", kTestTag);
        EXPECT_EQ(kind.addedAllocations(), 2);
        EXPECT_EQ(creator.addedAllocations(), 2);
        EXPECT_EQ(kind.addedFrees(), 0);
        EXPECT_EQ(CRString::totalCRStringsInstantiated(), live + 2);
        EXPECT_EQ(a.creatorTag(), kTestTag);
    }
    EXPECT_EQ(kind.addedFrees(), 2);
    EXPECT_EQ(creator.addedFrees(), 2);
    EXPECT_EQ(CRString::totalCRStringsInstantiated(), live);
}

TEST(CRString, EveryTextFormIsOneBlockUnderTag40AndTheCountersBalance) {
    const CounterSnapshot forms(kTagStringForm);
    const int64_t blocks = CRMemory::shared().blocksAllocated();
    {
        CRString s(kTestTag);
        EXPECT_EQ(forms.addedAllocations(), 0);
        s.setStringValueLocal("Z\xFCrich\r\n");
        EXPECT_EQ(CRMemory::shared().live(kTagStringForm) - (forms.allocations - forms.frees), 1);
        s.getStringValue(); // makes the universal form
        EXPECT_EQ(CRMemory::shared().blocksAllocated(), blocks + 2);
        EXPECT_EQ(s.getNumericValue(), s.getNumericValue()); // the number is not a block
        EXPECT_EQ(CRMemory::shared().blocksAllocated(), blocks + 2);
        s.concatenate("x"); // drops the platform form
        EXPECT_EQ(CRMemory::shared().blocksAllocated(), blocks + 1);
        s.setNumericValue(5);
        EXPECT_EQ(CRMemory::shared().blocksAllocated(), blocks);
        s.getStringValueLocal(); // through the universal form: two blocks
        EXPECT_EQ(CRMemory::shared().blocksAllocated(), blocks + 2);
        CRString copy(s);
        auto clone = CRString::cloneCRString(s, kTestTag);
        EXPECT_EQ(CRMemory::shared().blocksAllocated(), blocks + 6);
        copy.toLower();
        auto piece = s.substring(0, 1);
        s.setStringValue("again");
    }
    EXPECT_EQ(CRMemory::shared().blocksAllocated(), blocks);
    EXPECT_GT(forms.addedAllocations(), 0);
    EXPECT_EQ(forms.addedAllocations(), forms.addedFrees());
}

TEST(CRString, SubstringCountsItsBufferUnderTag39AndFreesIt) {
    const CounterSnapshot buffer(kTagSubstringBuffer);
    CRString s("abcdef", kTestTag);
    auto piece = s.substring(1, 2);
    EXPECT_EQ(buffer.addedAllocations(), 1);
    EXPECT_EQ(buffer.addedFrees(), 1);
}

// ---------------------------------------------------------------------------------------------
// Forms and conversions

TEST(CRString, ANewStringHasNoValueAndReadsAsEmpty) {
    CRString s(kTestTag);
    EXPECT_FALSE(s.hasValue());
    EXPECT_STREQ(s.getStringValue(), "");
    EXPECT_STREQ(s.getStringValueLocal(), "");
    EXPECT_EQ(s.getNumericValue(), 0);
    EXPECT_EQ(s.byteLength(), 0);
    EXPECT_EQ(s.characterLength(), 0);
    EXPECT_FALSE(s.hasValue()); // reading does not give it a value
}

TEST(CRString, ZurichInPlatformFormIsSevenBytesSixCharactersAndRoundTrips) {
    CRString s(kTestTag);
    s.setStringValueLocal("Z\xFCrich");
    EXPECT_TRUE(s.hasPlatformString());
    EXPECT_FALSE(s.hasUniversalString());
    EXPECT_STREQ(s.getStringValue(), "Z\xC3\xBCrich");
    EXPECT_TRUE(s.hasUniversalString());
    EXPECT_EQ(s.byteLength(), 7);
    EXPECT_EQ(s.characterLength(), 6);

    CRString back(s.getStringValue(), kTestTag);
    EXPECT_STREQ(back.getStringValueLocal(), "Z\xFCrich");
}

TEST(CRString, EveryLatin1ByteRoundTripsThroughTheUniversalForm) {
    std::string platform;
    for (int byte = 1; byte < 256; ++byte)
        if (byte != '\r' && byte != '\n')
            platform += static_cast<char>(byte);
    const std::string universal = universalOfPlatform(platform.c_str());
    EXPECT_EQ(universal.size(), platform.size() + 128u);
    EXPECT_EQ(platformOfUniversal(universal.c_str()), platform);
    EXPECT_EQ(universalOfPlatform("\xC0\xFF"), "\xC3\x80\xC3\xBF");
    EXPECT_EQ(universalOfPlatform("\x80"), "\xC2\x80");
}

TEST(CRString, PlatformAndUniversalFormsConvertLineEndsAndUnknownCharacters) {
    // {platform, universal}: both ways.
    const std::pair<const char*, const char*> both[] = {{"one\r\ntwo\r\n", "one\ntwo\n"},
                                                        {"\r\n\r\n", "\n\n"},
                                                        {"a\rb\r", "a\rb\r"},
                                                        {"a\r\r\nb", "a\r\nb"},
                                                        {"\xC0\xFF", "\xC3\x80\xC3\xBF"},
                                                        {"\x80", "\xC2\x80"}};
    for (const auto& [platform, universal] : both) {
        EXPECT_EQ(universalOfPlatform(platform), universal) << platform;
        EXPECT_EQ(platformOfUniversal(universal), platform) << universal;
    }
    // Universal to platform only: beyond Latin-1 and broken sequences are one star each.
    const std::pair<const char*, const char*> starred[] = {
        {"\xCE\xB1", "*"},          {"x\xE2\x82\xAC y", "x* y"}, {"\xF0\x9F\x98\x80!", "*!"},
        {"\xCE\xB1\xCE\xB2", "**"}, {"x\x80\xBFy", "x**y"},      {"x\xC3y", "x*y"},
        {"x\xE2\x82y", "x*y"},      {"ab\xE2\x82", "ab*"},       {"ab\xF0\x9F\x98", "ab*"},
        {"\xF8\xFFz", "**z"},       {"\xC0\x80x", "*x"},         {"\xC1\x81", "A"}};
    for (const auto& [universal, platform] : starred)
        EXPECT_EQ(platformOfUniversal(universal), platform) << universal;

    CRString cut("ab\xE2\x82", kTestTag);
    EXPECT_EQ(cut.characterLength(), 3);
    EXPECT_EQ(cut.byteLength(), 4);
    auto last = cut.substring(2, 5);
    ASSERT_NE(last, nullptr);
    EXPECT_STREQ(last->getStringValue(), "\xE2\x82");
    EXPECT_EQ(CRString("\x80\x80\x80", kTestTag).characterLength(), 3);
    EXPECT_EQ(CRString("\xCE\xB1\xCE\xB2", kTestTag).characterLength(), 2);
}

TEST(CRString, NumericFormReadsDigitsAndWrapsWithoutUndefinedBehaviour) {
    const std::pair<const char*, int32_t> rows[] = {
        {"-42", -42},
        {"", 0},
        {"12a", 169} /* 12 * 10 + ('a' - '0') */,
        {"-", 0},
        {"007", 7},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"2147483648", INT32_MIN},
        {"4294967297", 1},
        {"99999999999999999999", static_cast<int32_t>(1661992959u)},
        {"1-", 7} /* the "-" is only a sign in front */,
        {" 1", -159}};
    for (const auto& [text, number] : rows)
        EXPECT_EQ(CRString(text, kTestTag).getNumericValue(), number) << text;
    CRString s("-42", kTestTag);
    s.getNumericValue();
    EXPECT_TRUE(s.hasNumericValue()); // kept once read
    EXPECT_TRUE(s.hasUniversalString());
}

TEST(CRString, ANumberBecomesDecimalDigitsWithAMinusSign) {
    CRString s(kTestTag);
    s.setNumericValue(-42);
    EXPECT_TRUE(s.hasNumericValue());
    EXPECT_FALSE(s.hasUniversalString());
    EXPECT_EQ(s.getNumericValue(), -42);
    EXPECT_STREQ(s.getStringValueLocal(), "-42");
    EXPECT_TRUE(s.hasUniversalString()); // made on the way
    s.setNumericValue(INT32_MIN);
    EXPECT_FALSE(s.hasUniversalString());
    EXPECT_FALSE(s.hasPlatformString());
    EXPECT_STREQ(s.getStringValue(), "-2147483648");
    s.setNumericValue(0);
    EXPECT_STREQ(s.getStringValue(), "0");
}

TEST(CRString, SettingAValueDropsTheFormsThatNoLongerMatch) {
    CRString s(kTestTag);
    s.setNumericValue(7);
    s.getStringValueLocal();
    s.setStringValue("8");
    EXPECT_TRUE(s.hasUniversalString());
    EXPECT_FALSE(s.hasPlatformString());
    EXPECT_FALSE(s.hasNumericValue());
    EXPECT_EQ(s.getNumericValue(), 8);
    s.setStringValueLocal("9");
    EXPECT_FALSE(s.hasUniversalString());
    EXPECT_FALSE(s.hasNumericValue());
    EXPECT_EQ(s.getNumericValue(), 9);
    s.setStringValue(std::string("x\0y", 3)); // a text ends at its first 0 byte
    EXPECT_EQ(s.byteLength(), 1);
}

TEST(CRString, CopiesTakeEveryFormAndTheirFlags) {
    CRString source(kTestTag);
    source.setStringValueLocal("1\r\n");
    source.getNumericValue();
    CRString target("other", 120);
    target.setStringValue(source);
    EXPECT_TRUE(target.hasPlatformString());
    EXPECT_TRUE(target.hasUniversalString());
    EXPECT_TRUE(target.hasNumericValue());
    EXPECT_STREQ(target.getStringValue(), "1\n");
    EXPECT_EQ(target.getNumericValue(), source.getNumericValue());
    EXPECT_EQ(target.creatorTag(), 120);

    CRString copy(source);
    EXPECT_EQ(copy.creatorTag(), kTestTag);
    EXPECT_STREQ(copy.getStringValueLocal(), "1\r\n");

    auto clone = CRString::cloneCRString(source, 121);
    EXPECT_EQ(clone->creatorTag(), 121);
    EXPECT_TRUE(clone->hasNumericValue());
    EXPECT_STREQ(clone->getStringValue(), "1\n");

    CRString empty(kTestTag);
    target = empty;
    EXPECT_FALSE(target.hasValue());
    const CRString& same = target;
    target = same; // self-assignment keeps the value (no value here)
    EXPECT_FALSE(target.hasValue());
    target.setStringValue("kept");
    target.setStringValue(target);
    EXPECT_STREQ(target.getStringValue(), "kept");
}

TEST(CRString, TakeValueMovesEveryFormWithoutNewBlocks) {
    CRString source(kTestTag);
    source.setStringValueLocal("Z\xFCrich\r\n");
    source.getStringValue();
    source.getNumericValue();
    CRString target("replaced", kTestTag);
    const int64_t blocks = CRMemory::shared().blocksAllocated();
    target.takeValue(source);
    EXPECT_EQ(CRMemory::shared().blocksAllocated(), blocks - 1) << "only the old text goes";
    EXPECT_TRUE(target.hasPlatformString());
    EXPECT_TRUE(target.hasUniversalString());
    EXPECT_TRUE(target.hasNumericValue());
    EXPECT_STREQ(target.getStringValueLocal(), "Z\xFCrich\r\n");
    EXPECT_STREQ(target.getStringValue(), "Z\xC3\xBCrich\n");
    EXPECT_FALSE(source.hasValue());
    EXPECT_FALSE(source.hasPlatformString());
    EXPECT_STREQ(source.getStringValueLocal(), "");
    EXPECT_EQ(CRMemory::shared().blocksAllocated(), blocks - 1);
}

TEST(CRString, ConcatenateAppendsToTheUniversalFormAndDropsTheOthers) {
    CRString s(kTestTag);
    s.concatenate("ab");
    EXPECT_STREQ(s.getStringValue(), "ab");
    s.getStringValueLocal();
    s.getNumericValue();
    s.concatenate('c');
    EXPECT_FALSE(s.hasPlatformString());
    EXPECT_FALSE(s.hasNumericValue());
    CRString tail("d\xC3\xA9", kTestTag);
    s.concatenate(tail);
    EXPECT_STREQ(s.getStringValue(), "abcd\xC3\xA9");
    s.concatenate(s);
    EXPECT_EQ(s.str(), std::string("abcd\xC3\xA9") + "abcd\xC3\xA9");
    s.concatenate('\0'); // adds nothing
    s.concatenate(static_cast<const char*>(nullptr));
    EXPECT_EQ(s.byteLength(), 12);

    CRString fromPlatform(kTestTag);
    fromPlatform.setStringValueLocal("\xE9");
    fromPlatform.concatenate("!");
    EXPECT_STREQ(fromPlatform.getStringValue(), "\xC3\xA9!");
    CRString fromNumber(kTestTag);
    fromNumber.setNumericValue(12);
    fromNumber.concatenate("3");
    EXPECT_EQ(fromNumber.getNumericValue(), 123);
}

TEST(CRString, ToLowerChangesAsciiCapitalsOnly) {
    CRString s(kTestTag);
    s.setStringValueLocal("AbC\xC4Z");
    s.toLower();
    EXPECT_FALSE(s.hasPlatformString());
    EXPECT_STREQ(s.getStringValue(), "abc\xC3\x84z");
    CRString none(kTestTag);
    none.toLower();
    EXPECT_FALSE(none.hasValue());
}

// ---------------------------------------------------------------------------------------------
// Characters

TEST(CRString, GetNextUnicodeValueDecodesOneToFourByteSequences) {
    int32_t length = 0;
    auto next = [&length](const char* bytes) {
        return CRString::getNextUnicodeValue(reinterpret_cast<const unsigned char*>(bytes), length);
    };
    EXPECT_EQ(next("A"), 'A');
    EXPECT_EQ(length, 1);
    EXPECT_EQ(next("\xC3\xA9"), 0xE9);
    EXPECT_EQ(length, 2);
    EXPECT_EQ(next("\xCE\xB1"), 0x3B1);
    EXPECT_EQ(length, 2);
    EXPECT_EQ(next("\xE2\x82\xAC"), 0x20AC);
    EXPECT_EQ(length, 3);
    EXPECT_EQ(next("\xF0\x9F\x98\x80"), 0xD800);
    EXPECT_EQ(length, 4);
}

TEST(CRString, GetNextUnicodeValueStopsAtTheEndOfABrokenSequence) {
    int32_t length = 0;
    // Exactly sized buffers: a read past the 0 would be caught by AddressSanitizer.
    const auto cut3 = std::make_unique<unsigned char[]>(3);
    cut3[0] = 0xE2, cut3[1] = 0x82, cut3[2] = 0;
    EXPECT_EQ(CRString::getNextUnicodeValue(cut3.get(), length), 0xD800);
    EXPECT_EQ(length, 2);
    const auto cut4 = std::make_unique<unsigned char[]>(2);
    cut4[0] = 0xF0, cut4[1] = 0;
    EXPECT_EQ(CRString::getNextUnicodeValue(cut4.get(), length), 0xD800);
    EXPECT_EQ(length, 1);
    const unsigned char stray[] = {0x80, 0x80, 0};
    EXPECT_EQ(CRString::getNextUnicodeValue(stray, length), 0xD800);
    EXPECT_EQ(length, 1);
    const unsigned char high[] = {0xFF, 0x80, 0x80, 0x80, 0};
    EXPECT_EQ(CRString::getNextUnicodeValue(high, length), 0xD800);
    EXPECT_EQ(length, 1);
}

TEST(CRString, SubstringCopiesCharactersByIndex) {
    CRString s("abcdef", kTestTag);
    auto cde = s.substring(2, 3);
    ASSERT_NE(cde, nullptr);
    EXPECT_STREQ(cde->getStringValue(), "cde");
    EXPECT_EQ(cde->creatorTag(), 100);

    auto none = s.substring(6, 1);
    ASSERT_NE(none, nullptr);
    EXPECT_STREQ(none->getStringValue(), "");
    EXPECT_EQ(none->creatorTag(), 99);
    EXPECT_EQ(s.substring(2, 0)->creatorTag(), 99);
    EXPECT_EQ(s.substring(2, -1)->creatorTag(), 99);

    EXPECT_STREQ(s.substring(4, 100)->getStringValue(), "ef");
    EXPECT_STREQ(s.substring(5, INT32_MAX)->getStringValue(), "f");
    EXPECT_STREQ(s.substring(-2, 3)->getStringValue(), "a"); // a negative start clips
    EXPECT_STREQ(s.substring(0, 6)->getStringValue(), "abcdef");

    CRString multi("Z\xC3\xBCr\xE2\x82\xAC", kTestTag);
    EXPECT_STREQ(multi.substring(1, 3)->getStringValue(), "\xC3\xBCr\xE2\x82\xAC");

    CRString noValue(kTestTag);
    EXPECT_EQ(noValue.substring(0, 1), nullptr);
    CRString empty("", kTestTag);
    EXPECT_EQ(empty.substring(0, 1)->creatorTag(), 99);
}

TEST(CRString, ContainComparesCodePoints) {
    const struct {
        const char* text;
        const char* part;
        bool found;
    } rows[] = {{"subtree", "tree", true},
                {"", "", true},
                {"", "a", false},
                {"abc", "", true},
                {"tre", "tree", false},
                {"abab", "bab", true},
                {"abc", "abd", false},
                {"abc", "ABC", false},
                {"Z\xC3\xBCrich", "\xC3\xBCri", true},
                {"Zurich", "\xC3\xBC", false},
                {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x83", false},
                {"x\xF0\x9F\x98\x80y", "\xF0\x9F\x98\x80y", true}};
    for (const auto& row : rows)
        EXPECT_EQ(CRString(row.text, kTestTag).contain(CRString(row.part, kTestTag)), row.found)
            << row.text << " / " << row.part;
    EXPECT_TRUE(CRString("a", kTestTag).contain(CRString(kTestTag)));
    CRString platform(kTestTag);
    platform.setStringValueLocal("Z\xFCrich");
    EXPECT_TRUE(platform.contain(CRString("\xC3\xBC", kTestTag)));
}

// ---------------------------------------------------------------------------------------------
// Collation

TEST(CRString, OrderPutsAppleBeforeAppleWithCapitalBeforeAccentBeforeBananaAndEmptyLast) {
    const std::vector<const char*> sorted = {"apple", "Apple", "\xC3\x84pple", "banana", ""};
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        EXPECT_EQ(order(sorted[i], sorted[i]), 0) << i;
        for (std::size_t j = i + 1; j < sorted.size(); ++j) {
            EXPECT_EQ(order(sorted[i], sorted[j]), 1) << i << " before " << j;
            EXPECT_EQ(order(sorted[j], sorted[i]), -1) << j << " after " << i;
        }
    }
}

TEST(CRString, IgnoringBothCaseAndAccentsMakesTheApplesEqual) {
    const char* apples[] = {"apple", "Apple", "\xC3\x84pple", "\xC3\xA4PPLE"};
    for (const char* a : apples)
        for (const char* b : apples)
            EXPECT_EQ(CRString::orderString(a, b, true, true), 0) << a << " " << b;
    EXPECT_EQ(CRString::orderString("apple", "banana", true, true), 1);
}

TEST(CRString, OrderOfPairsUnderEachFlag) {
    const struct {
        const char* a;
        const char* b;
        bool ignoreCase;
        bool ignoreAccents;
        int32_t order;
    } rows[] = {
        // Each flag ignores only its own difference.
        {"apple", "Apple", true, false, 0},
        {"Apple", "\xC3\xA4pple", true, false, 1},
        {"\xC3\x84pple", "\xC3\xA4pple", true, false, 0},
        {"Apple", "\xC3\x84pple", false, true, 0},
        {"\xC3\xA4pple", "Apple", false, true, 1},
        // Of two accented letters the larger code sorts after; case decides between the
        // capital and the small form of the same accented letter.
        {"\xC3\xA0", "\xC3\xA1", false, false, 1},
        {"\xC3\xA4", "\xC3\x84", false, false, 1},
        {"\xC3\x80", "\xC3\xA1", false, false, 1},
        // Letters that stand for two compare as two: ae, AE, ss; eth and thorn as d{ and t{.
        {"aex", "\xC3\xA6x", false, false, 0},
        {"AEx", "\xC3\x86x", false, false, 0},
        {"Aex", "\xC3\x86x", false, false, 1},
        {"\xC3\xA6", "af", false, false, 1},
        {"ad", "\xC3\xA6", false, false, 1},
        {"ssx", "\xC3\x9Fx", false, false, 0},
        {"\xC3\x9F", "st", false, false, 1},
        {"dz", "\xC3\xB0", false, false, 1},
        {"\xC3\xB0", "e", false, false, 1},
        {"tzz", "\xC3\xBE", false, false, 1},
        {"\xC3\xBE", "u", false, false, 1},
        {"\xC3\x90", "\xC3\xB0", false, false, -1},
        // Shorter texts and Latin-1 sort before longer texts and wide characters.
        {"app", "apple", false, false, 1},
        {"apple", "app", false, false, -1},
        {"1", "a", false, false, 1},
        {"z", "\xCE\xB1", false, false, 1},
        {"\xFF", "\xCE\xB1", false, false, -1} /* a raw 0xFF byte is ill-formed: wide */,
        {"\xC3\xBF", "\xCE\xB1", false, false, 1},
        {"\xCE\xB1", "\xCE\xB2", false, false, 1},
        {"\xCE\xB1", "\xCE\xB1z", false, false, 1},
        {"\xE2\x82\xAC", "\xF0\x9F\x98\x80", false, false, 1},
        {"\xCE\xB1", "\xCE\xB1", false, false, 0},
        {"ab\xE2\x82", "ab", false, false, -1},
        {"apple", "banana", true, true, 1}};
    for (const auto& row : rows)
        EXPECT_EQ(CRString::orderString(row.a, row.b, row.ignoreCase, row.ignoreAccents), row.order)
            << row.a << " / " << row.b << " " << row.ignoreCase << row.ignoreAccents;
    EXPECT_EQ(order(nullptr, ""), 0);
    EXPECT_EQ(order("a", nullptr), 1);
    EXPECT_EQ(CRString::orderString(CRString("word", kTestTag), CRString(kTestTag), false, false),
              1);
    CRString a(std::string("Stra\xC3\x9F") + "e", kTestTag);
    EXPECT_TRUE(CRString::equalString(a, "STRASSE", true, true));
    EXPECT_FALSE(CRString::equalString(a, "STRASSE", false, true));
    EXPECT_TRUE(CRString::equalString(a, CRString("strasse", kTestTag), true, false));
}

TEST(CRString, CollationSortsAWordList) {
    std::vector<std::string> words = {"zebra",    "",          "\xC3\x84pfel", "apfel", "Apfel",
                                      "\xCE\xB1", "apfelbaum", "\xC3\xA6on",   "aeon",  "b"};
    std::stable_sort(words.begin(), words.end(), [](const std::string& a, const std::string& b) {
        return CRString::orderString(a.c_str(), b.c_str(), false, false) == 1;
    });
    // "æon" and "aeon" are equal, so the stable sort keeps them in their input order.
    const std::vector<std::string> expected = {"\xC3\xA6on",   "aeon",      "apfel", "Apfel",
                                               "\xC3\x84pfel", "apfelbaum", "b",     "zebra",
                                               "\xCE\xB1",     ""};
    EXPECT_EQ(words, expected);
}

TEST(CRString, StripCharacterGivesTheBaseLetters) {
    const struct {
        int32_t code;
        int32_t base;
        int32_t second;
        bool capital;
        bool accent;
    } rows[] = {{'q', 'q', 0, false, false},    {'Q', 'q', 0, true, false},
                {0xC9, 'e', 0, true, true},     {0xE7, 'c', 0, false, true},
                {0xF8, 'o', 0, false, true},    {0xD8, 'o', 0, true, true},
                {0xDD, 'y', 0, true, true},     {0xE6, 'a', 'e', false, false},
                {0xDE, 't', '{', true, false},  {0xF0, 'd', '{', false, false},
                {0xDF, 's', 's', false, false}, {'5', '5', 0, false, false},
                {0xD7, 0xD7, 0, false, false},  {0xF7, 0xF7, 0, false, false}};
    for (const auto& row : rows) {
        int32_t second = -1;
        bool capital = !row.capital;
        bool accent = !row.accent;
        EXPECT_EQ(CRString::stripCharacter(row.code, second, capital, accent), row.base)
            << row.code;
        EXPECT_EQ(second, row.second) << row.code;
        EXPECT_EQ(capital, row.capital) << row.code;
        EXPECT_EQ(accent, row.accent) << row.code;
    }
}

TEST(CRString, StripCharacterClassifiesAllOfLatin1AndReportsAnythingElse) {
    RecordingPlatformScope scope;
    int32_t second = 0;
    bool capital = false;
    bool accent = false;
    for (int32_t code = 0; code < 256; ++code) {
        const int32_t base = CRString::stripCharacter(code, second, capital, accent);
        EXPECT_TRUE(base < 'A' || base > 'Z') << code; // no capital survives
    }
    EXPECT_TRUE(scope.recorder.bugReports().empty());
    EXPECT_EQ(CRString::stripCharacter(0x3B1, second, capital, accent), 0x3B1);
    EXPECT_EQ(CRString::stripCharacter(-1, second, capital, accent), -1);
    EXPECT_EQ(scope.recorder.bugReports(),
              (std::vector<std::string>{"CRString::stripCharacter", "CRString::stripCharacter"}));
}

TEST(CRString, ArbitraryBytesKeepTheInvariants) {
    uint32_t seed = 12345;
    auto nextByte = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        const auto byte = static_cast<char>((seed >> 16) & 0xFFu);
        return byte == 0 ? 'x' : byte;
    };
    for (int round = 0; round < 500; ++round) {
        std::string bytes;
        const int size = round % 13;
        for (int i = 0; i < size; ++i)
            bytes += nextByte();

        // Any platform text whose line ends are CR LF survives the trip through the universal
        // form (a bare LF comes back as CR LF, as specified).
        std::string platform = bytes;
        for (std::size_t i = 0; i < platform.size(); ++i)
            if (platform[i] == '\n' && (i == 0 || platform[i - 1] != '\r'))
                platform[i] = 'y';
        EXPECT_EQ(platformOfUniversal(universalOfPlatform(platform.c_str()).c_str()), platform);

        // Any byte string as a universal text: every operation stays inside it.
        CRString text(bytes, kTestTag);
        const int32_t characters = text.characterLength();
        EXPECT_LE(characters, text.byteLength());
        EXPECT_EQ(std::string(text.getStringValueLocal()).find('\0'), std::string::npos);
        EXPECT_STREQ(text.substring(0, characters)->getStringValue(), bytes.c_str());
        EXPECT_TRUE(text.contain(text));
        EXPECT_EQ(CRString::orderString(text, text, false, false), 0);
        CRString other(bytes.substr(0, bytes.size() / 2) + "q", kTestTag);
        EXPECT_EQ(CRString::orderString(text, other, false, false),
                  -CRString::orderString(other, text, false, false));
    }
}

// ---------------------------------------------------------------------------------------------
// Volatile strings

TEST(CRString, GarbageCollectionFreesEveryVolatileString) {
    CRString::garbageCollection();
    const int64_t live = CRString::totalCRStringsInstantiated();
    const CounterSnapshot creator(kTestTag);
    CRString* first = CRString::addToGarbage(std::make_unique<CRString>(kTestTag));
    CRString* second = CRString::addToGarbage(std::make_unique<CRString>("v", kTestTag));
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(second->getStringValue(), "v");
    EXPECT_EQ(CRString::addToGarbage(nullptr), nullptr);
    EXPECT_EQ(CRString::volatileStringCount(), 2u);
    EXPECT_EQ(CRString::totalCRStringsInstantiated(), live + 2);

    CRString::garbageCollection();
    EXPECT_EQ(CRString::volatileStringCount(), 0u);
    EXPECT_EQ(CRString::totalCRStringsInstantiated(), live);
    EXPECT_EQ(creator.addedFrees(), 2);
    CRString::garbageCollection(); // an empty list is fine
}
