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

TEST(CRString, CrLfBecomesLfAndBackAgain) {
    EXPECT_EQ(universalOfPlatform("one\r\ntwo\r\n"), "one\ntwo\n");
    EXPECT_EQ(platformOfUniversal("one\ntwo\n"), "one\r\ntwo\r\n");
    EXPECT_EQ(platformOfUniversal("\n\n"), "\r\n\r\n");
}

TEST(CRString, ALoneCrIsKeptAndComesBackUnchanged) {
    EXPECT_EQ(universalOfPlatform("a\rb\r"), "a\rb\r");
    EXPECT_EQ(platformOfUniversal("a\rb\r"), "a\rb\r");
    EXPECT_EQ(universalOfPlatform("a\r\r\nb"), "a\r\nb");
    EXPECT_EQ(platformOfUniversal("a\r\nb"), "a\r\r\nb");
}

TEST(CRString, CharactersBeyondLatin1ShowAsAStarInPlatformForm) {
    EXPECT_EQ(platformOfUniversal("\xCE\xB1"), "*");           // Greek alpha, 2 bytes
    EXPECT_EQ(platformOfUniversal("x\xE2\x82\xAC y"), "x* y"); // euro sign, 3 bytes
    EXPECT_EQ(platformOfUniversal("\xF0\x9F\x98\x80!"), "*!"); // 4 bytes
    CRString greek("\xCE\xB1\xCE\xB2", kTestTag);
    EXPECT_EQ(greek.characterLength(), 2);
    EXPECT_STREQ(greek.getStringValueLocal(), "**");
}

TEST(CRString, InvalidUtf8IsOneStarPerBrokenSequenceAndNeverOverruns) {
    EXPECT_EQ(platformOfUniversal("x\x80\xBFy"), "x**y");    // stray continuation bytes
    EXPECT_EQ(platformOfUniversal("x\xC3y"), "x*y");         // lead without continuation
    EXPECT_EQ(platformOfUniversal("x\xE2\x82y"), "x*y");     // interrupted 3-byte sequence
    EXPECT_EQ(platformOfUniversal("ab\xE2\x82"), "ab*");     // cut off by the end
    EXPECT_EQ(platformOfUniversal("ab\xF0\x9F\x98"), "ab*"); // cut off 4-byte sequence
    EXPECT_EQ(platformOfUniversal("\xF8\xFFz"), "**z");      // leads no UTF-8 has
    EXPECT_EQ(platformOfUniversal("\xC0\x80x"), "*x");       // overlong 0 would cut it
    EXPECT_EQ(platformOfUniversal("\xC1\x81"), "A");         // overlong A, as specified

    CRString cut("ab\xE2\x82", kTestTag);
    EXPECT_EQ(cut.characterLength(), 3);
    EXPECT_EQ(cut.byteLength(), 4);
    auto last = cut.substring(2, 5);
    ASSERT_NE(last, nullptr);
    EXPECT_STREQ(last->getStringValue(), "\xE2\x82");
    CRString stray("\x80\x80\x80", kTestTag);
    EXPECT_EQ(stray.characterLength(), 3);
}

TEST(CRString, NumericFormReadsDigitsAndWrapsWithoutUndefinedBehaviour) {
    auto number = [](const char* text) { return CRString(text, kTestTag).getNumericValue(); };
    EXPECT_EQ(number("-42"), -42);
    EXPECT_EQ(number(""), 0);
    EXPECT_EQ(number("12a"), 169); // 12 * 10 + ('a' - '0')
    EXPECT_EQ(number("-"), 0);
    EXPECT_EQ(number("007"), 7);
    EXPECT_EQ(number("2147483647"), INT32_MAX);
    EXPECT_EQ(number("-2147483648"), INT32_MIN);
    EXPECT_EQ(number("2147483648"), INT32_MIN); // wraps
    EXPECT_EQ(number("4294967297"), 1);
    EXPECT_EQ(number("99999999999999999999"),
              static_cast<int32_t>(1661992959u)); // 10^20-1 mod 2^32
    EXPECT_EQ(number("1-"), 7);                   // the "-" is only a sign in front
    EXPECT_EQ(number(" 1"), -159);                // (' ' - '0') * 10 + 1

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
    auto contains = [](const char* text, const char* part) {
        return CRString(text, kTestTag).contain(CRString(part, kTestTag));
    };
    EXPECT_TRUE(contains("subtree", "tree"));
    EXPECT_TRUE(contains("", ""));
    EXPECT_FALSE(contains("", "a"));
    EXPECT_TRUE(contains("abc", ""));
    EXPECT_FALSE(contains("tre", "tree"));
    EXPECT_TRUE(contains("abab", "bab"));
    EXPECT_FALSE(contains("abc", "abd"));
    EXPECT_FALSE(contains("abc", "ABC"));
    EXPECT_TRUE(contains("Z\xC3\xBCrich", "\xC3\xBCri"));
    EXPECT_FALSE(contains("Zurich", "\xC3\xBC"));
    EXPECT_FALSE(contains("\xF0\x9F\x98\x80", "\xF0\x9F\x98\x83")); // two different emoji
    EXPECT_TRUE(contains("x\xF0\x9F\x98\x80y", "\xF0\x9F\x98\x80y"));

    CRString noValue(kTestTag);
    EXPECT_TRUE(CRString("a", kTestTag).contain(noValue));
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

TEST(CRString, EachFlagIgnoresOnlyItsOwnDifference) {
    // Case ignored, accents not.
    EXPECT_EQ(CRString::orderString("apple", "Apple", true, false), 0);
    EXPECT_EQ(CRString::orderString("Apple", "\xC3\xA4pple", true, false), 1);
    EXPECT_EQ(CRString::orderString("\xC3\x84pple", "\xC3\xA4pple", true, false), 0);
    // Accents ignored, case not.
    EXPECT_EQ(CRString::orderString("Apple", "\xC3\x84pple", false, true), 0);
    EXPECT_EQ(CRString::orderString("\xC3\xA4pple", "Apple", false, true), 1);
    // Neither: of two accented letters the larger code sorts after; case decides between
    // the capital and the small form of the same accented letter.
    EXPECT_EQ(order("\xC3\xA0", "\xC3\xA1"), 1); // à before á
    EXPECT_EQ(order("\xC3\xA4", "\xC3\x84"), 1); // ä before Ä
    EXPECT_EQ(order("\xC3\x80", "\xC3\xA1"), 1); // À before á

    CRString a(std::string("Stra\xC3\x9F") + "e", kTestTag);
    EXPECT_TRUE(CRString::equalString(a, "STRASSE", true, true));
    EXPECT_FALSE(CRString::equalString(a, "STRASSE", false, true));
    EXPECT_TRUE(CRString::equalString(a, CRString("strasse", kTestTag), true, false));
}

TEST(CRString, LettersThatStandForTwoCompareAsTwo) {
    EXPECT_EQ(order("aex", "\xC3\xA6x"), 0); // æ is "ae"
    EXPECT_EQ(order("AEx", "\xC3\x86x"), 0); // Æ is "AE"
    EXPECT_EQ(order("Aex", "\xC3\x86x"), 1);
    EXPECT_EQ(order("\xC3\xA6", "af"), 1); // "ae" before "af"
    EXPECT_EQ(order("ad", "\xC3\xA6"), 1);
    EXPECT_EQ(order("ssx", "\xC3\x9Fx"), 0); // ß is "ss"
    EXPECT_EQ(order("\xC3\x9F", "st"), 1);
    // ð is "d{" and þ is "t{": after every d... and t... word spelt with letters.
    EXPECT_EQ(order("dz", "\xC3\xB0"), 1);
    EXPECT_EQ(order("\xC3\xB0", "e"), 1);
    EXPECT_EQ(order("tzz", "\xC3\xBE"), 1);
    EXPECT_EQ(order("\xC3\xBE", "u"), 1);
    EXPECT_EQ(order("\xC3\x90", "\xC3\xB0"), -1); // Ð after ð (capital)
}

TEST(CRString, ShorterTextsAndLatin1SortBeforeLongerTextsAndWideCharacters) {
    EXPECT_EQ(order("app", "apple"), 1);
    EXPECT_EQ(order("apple", "app"), -1);
    EXPECT_EQ(order("1", "a"), 1);
    EXPECT_EQ(order("z", "\xCE\xB1"), 1);        // α after every Latin-1 letter
    EXPECT_EQ(order("\xFF", "\xCE\xB1"), -1);    // a raw 0xFF byte is ill-formed: wide
    EXPECT_EQ(order("\xC3\xBF", "\xCE\xB1"), 1); // ÿ is Latin-1
    EXPECT_EQ(order("\xCE\xB1", "\xCE\xB2"), 1); // α before β
    EXPECT_EQ(order("\xCE\xB1", "\xCE\xB1z"), 1);
    EXPECT_EQ(order("\xE2\x82\xAC", "\xF0\x9F\x98\x80"), 1); // € before an emoji
    EXPECT_EQ(order("\xCE\xB1", "\xCE\xB1"), 0);
    EXPECT_EQ(order(nullptr, ""), 0);
    EXPECT_EQ(order("a", nullptr), 1);
    EXPECT_EQ(order("ab\xE2\x82", "ab"), -1); // a broken tail never overruns

    CRString noValue(kTestTag);
    CRString word("word", kTestTag);
    EXPECT_EQ(CRString::orderString(word, noValue, false, false), 1);
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
    int32_t second = -1;
    bool capital = true;
    bool accent = true;
    auto strip = [&](int32_t code) {
        return CRString::stripCharacter(code, second, capital, accent);
    };
    EXPECT_EQ(strip('q'), 'q');
    EXPECT_EQ(second, 0);
    EXPECT_FALSE(capital);
    EXPECT_FALSE(accent);
    EXPECT_EQ(strip('Q'), 'q');
    EXPECT_TRUE(capital);
    EXPECT_EQ(strip(0xC9), 'e'); // É
    EXPECT_TRUE(capital);
    EXPECT_TRUE(accent);
    EXPECT_EQ(strip(0xE7), 'c');
    EXPECT_EQ(strip(0xF1), 'n');
    EXPECT_EQ(strip(0xF8), 'o'); // ø
    EXPECT_TRUE(accent);
    EXPECT_EQ(strip(0xD8), 'o'); // Ø
    EXPECT_TRUE(capital);
    EXPECT_EQ(strip(0xFF), 'y');
    EXPECT_EQ(strip(0xDD), 'y'); // Ý
    EXPECT_EQ(strip(0xE6), 'a');
    EXPECT_EQ(second, 'e');
    EXPECT_FALSE(accent);
    EXPECT_EQ(strip(0xDE), 't'); // Þ
    EXPECT_EQ(second, '{');
    EXPECT_TRUE(capital);
    EXPECT_EQ(strip(0xF0), 'd');
    EXPECT_EQ(second, '{');
    EXPECT_EQ(strip(0xDF), 's');
    EXPECT_EQ(second, 's');
    EXPECT_FALSE(capital);
    for (int32_t code : {int32_t{'5'}, int32_t{'{'}, 0xD7, 0xF7, 0xA9, 0x00}) {
        EXPECT_EQ(strip(code), code);
        EXPECT_FALSE(capital);
        EXPECT_FALSE(accent);
        EXPECT_EQ(second, 0);
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
// Volatile strings and printing

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

TEST(CRString, PrintWritesTheUniversalForm) {
    CRString s(kTestTag);
    s.setStringValueLocal("Z\xFCrich");
    testing::internal::CaptureStdout();
    s.print();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Z\xC3\xBCrich\n");
}
