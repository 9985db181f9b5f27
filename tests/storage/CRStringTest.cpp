#include "storage/CRString.h"

#include "storage/StorageTestSupport.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <tuple>

namespace {

constexpr int32_t kTestTag = 150; // a creator tag no other test here uses

int64_t blocks() {
    return CRMemory::shared().blocksAllocated();
}

std::string universalOf(const std::string& platform) {
    CRString s(kTestTag);
    s.setStringValueLocal(platform.c_str());
    return s.getStringValue();
}

std::string platformOf(const std::string& universal) {
    return CRString(universal, kTestTag).getStringValueLocal();
}

// The forms a string holds now: universal, platform, numeric.
std::string forms(const CRString& s) {
    return std::string(s.hasUniversalString() ? "U" : "") + (s.hasPlatformString() ? "P" : "") +
           (s.hasNumericValue() ? "N" : "");
}

} // namespace

TEST(CRString, CountsItselfAndEveryTextFormAsOneBlockUnderTag40) {
    CRMemory& memory = CRMemory::shared();
    // Strings of kind 1, of the test's tag, alive; forms alive, substring buffers alive.
    const auto counts = [&memory] {
        return std::vector<int64_t>{memory.live(kKindCRString), memory.live(kTestTag),
                                    CRString::totalCRStringsInstantiated(),
                                    memory.live(kTagStringForm), memory.live(kTagSubstringBuffer)};
    };
    const std::vector<int64_t> at = counts();
    const int64_t before = blocks(), formsMade = memory.allocations(kTagStringForm);
    const int64_t substrings = memory.allocations(kTagSubstringBuffer);
    {
        CRString s(kTestTag);
        EXPECT_EQ(counts(), (std::vector<int64_t>{at[0] + 1, at[1] + 1, at[2] + 1, at[3], at[4]}));
        EXPECT_EQ(blocks(), before);
        s.setStringValueLocal("Z\xFCrich\r\n");
        EXPECT_EQ(memory.allocations(kTagStringForm), formsMade + 1);
        s.getStringValue();                                  // makes the universal form
        EXPECT_EQ(s.getNumericValue(), s.getNumericValue()); // the number is not a block
        EXPECT_EQ(blocks(), before + 2);
        s.concatenate("x"); // drops the platform form
        EXPECT_EQ(blocks(), before + 1);
        s.setNumericValue(5);
        EXPECT_EQ(blocks(), before);
        s.getStringValueLocal(); // through the universal form: two blocks
        EXPECT_EQ(blocks(), before + 2);
        CRString copy(s);
        auto clone = CRString::cloneCRString(s, kTestTag);
        EXPECT_EQ(blocks(), before + 6);
        EXPECT_EQ(counts()[1], at[1] + 3);
        copy.toLower();
        auto piece = s.substring(0, 1);
        EXPECT_EQ(memory.allocations(kTagSubstringBuffer), substrings + 1);
        EXPECT_EQ(counts()[4], at[4]); // the substring's buffer is freed at once
        s.setStringValue("again");
    }
    EXPECT_EQ(blocks(), before);
    EXPECT_EQ(counts(), at);
}

TEST(CRString, FormsAreMadeWhenAskedForAndDroppedWhenTheValueChanges) {
    CRString s(kTestTag);
    EXPECT_EQ(std::make_tuple(std::string(s.getStringValue()), std::string(s.getStringValueLocal()),
                              s.getNumericValue(), s.byteLength(), s.characterLength()),
              std::make_tuple(std::string(), std::string(), 0, 0, 0));
    EXPECT_FALSE(s.hasValue()); // reading does not give it a value

    s.setStringValueLocal("Z\xFCrich");
    EXPECT_EQ(forms(s), "P");
    EXPECT_STREQ(s.getStringValue(), "Z\xC3\xBCrich");
    EXPECT_EQ(forms(s), "UP");
    EXPECT_EQ(std::make_pair(s.byteLength(), s.characterLength()), std::make_pair(7, 6));

    s.setNumericValue(-42);
    EXPECT_EQ(forms(s), "N");
    EXPECT_STREQ(s.getStringValueLocal(), "-42");
    EXPECT_EQ(forms(s), "UPN"); // the universal form made on the way
    s.setNumericValue(INT32_MIN);
    EXPECT_STREQ(s.getStringValue(), "-2147483648");
    s.setNumericValue(0);
    EXPECT_STREQ(s.getStringValue(), "0");
    s.setStringValue("8");
    EXPECT_EQ(forms(s), "U");
    EXPECT_EQ(s.getNumericValue(), 8);
    EXPECT_EQ(forms(s), "UN"); // kept once read
    s.setStringValueLocal("9");
    EXPECT_EQ(forms(s), "P");
    EXPECT_EQ(s.getNumericValue(), 9);
    s.setStringValue(std::string("x\0y", 3)); // a text ends at its first 0 byte
    EXPECT_EQ(s.byteLength(), 1);
    s.clearValue();
    EXPECT_FALSE(s.hasValue());
}

TEST(CRString, PlatformAndUniversalFormsConvertLatin1LineEndsAndUnknownCharacters) {
    std::string latin1;
    for (int byte = 1; byte < 256; ++byte)
        if (byte != '\r' && byte != '\n')
            latin1 += static_cast<char>(byte);
    EXPECT_EQ(universalOf(latin1).size(), latin1.size() + 128u);
    EXPECT_EQ(platformOf(universalOf(latin1)), latin1);
    // {platform, universal}: both ways.
    const std::pair<const char*, const char*> both[] = {{"one\r\ntwo\r\n", "one\ntwo\n"},
                                                        {"\r\n\r\n", "\n\n"},
                                                        {"a\rb\r", "a\rb\r"},
                                                        {"a\r\r\nb", "a\r\nb"},
                                                        {"\xC0\xFF", "\xC3\x80\xC3\xBF"},
                                                        {"\x80", "\xC2\x80"}};
    for (const auto& [platform, universal] : both) {
        EXPECT_EQ(universalOf(platform), universal) << platform;
        EXPECT_EQ(platformOf(universal), platform) << universal;
    }
    // Universal to platform only: beyond Latin-1 and broken sequences are one star each.
    const std::pair<const char*, const char*> starred[] = {
        {"\xCE\xB1", "*"},          {"x\xE2\x82\xAC y", "x* y"}, {"\xF0\x9F\x98\x80!", "*!"},
        {"\xCE\xB1\xCE\xB2", "**"}, {"x\x80\xBFy", "x**y"},      {"x\xC3y", "x*y"},
        {"x\xE2\x82y", "x*y"},      {"ab\xE2\x82", "ab*"},       {"ab\xF0\x9F\x98", "ab*"},
        {"\xF8\xFFz", "**z"},       {"\xC0\x80x", "*x"},         {"\xC1\x81", "A"}};
    for (const auto& [universal, platform] : starred)
        EXPECT_EQ(platformOf(universal), platform) << universal;
    // {text, characters}
    const std::pair<const char*, int32_t> lengths[] = {
        {"ab\xE2\x82", 3}, {"\x80\x80\x80", 3}, {"\xCE\xB1\xCE\xB2", 2}, {"Z\xC3\xBCrich", 6}};
    for (const auto& [text, characters] : lengths)
        EXPECT_EQ(CRString(text, kTestTag).characterLength(), characters) << text;
    EXPECT_STREQ(CRString("ab\xE2\x82", kTestTag).substring(2, 5)->getStringValue(), "\xE2\x82");
}

TEST(CRString, NumericFormReadsDigitsAndWrapsWithoutUndefinedBehaviour) {
    // "12a" is 12 * 10 + ('a' - '0'); the "-" is a sign only in front.
    const std::pair<const char*, int32_t> rows[] = {
        {"-42", -42},
        {"", 0},
        {"12a", 169},
        {"-", 0},
        {"007", 7},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"2147483648", INT32_MIN},
        {"4294967297", 1},
        {"99999999999999999999", static_cast<int32_t>(1661992959u)},
        {"1-", 7},
        {" 1", -159}};
    for (const auto& [text, number] : rows)
        EXPECT_EQ(CRString(text, kTestTag).getNumericValue(), number) << text;
}

TEST(CRString, CopiesTakeEveryFormAndTakeValueMovesThemWithoutNewBlocks) {
    CRString source(kTestTag);
    source.setStringValueLocal("1\r\n");
    source.getNumericValue();
    CRString target("other", 120);
    target.setStringValue(source);
    EXPECT_EQ(forms(target), "UPN");
    EXPECT_STREQ(target.getStringValue(), "1\n");
    EXPECT_EQ(target.getNumericValue(), source.getNumericValue());
    EXPECT_EQ(target.creatorTag(), 120);
    CRString copy(source);
    EXPECT_EQ(copy.creatorTag(), kTestTag);
    EXPECT_STREQ(copy.getStringValueLocal(), "1\r\n");
    auto clone = CRString::cloneCRString(source, 121);
    EXPECT_EQ(clone->creatorTag(), 121);
    EXPECT_EQ(forms(*clone), "UPN");
    target = CRString(kTestTag);
    EXPECT_FALSE(target.hasValue());
    const CRString& same = target;
    target = same; // self-assignment keeps the value
    EXPECT_FALSE(target.hasValue());
    target.setStringValue("kept");
    target.setStringValue(target);
    EXPECT_STREQ(target.getStringValue(), "kept");

    source.setStringValueLocal("Z\xFCrich\r\n");
    source.getStringValue();
    source.getNumericValue();
    const int64_t before = blocks();
    target.takeValue(source);
    EXPECT_EQ(blocks(), before - 1) << "only the old text goes";
    EXPECT_EQ(forms(target), "UPN");
    EXPECT_STREQ(target.getStringValueLocal(), "Z\xFCrich\r\n");
    EXPECT_STREQ(target.getStringValue(), "Z\xC3\xBCrich\n");
    EXPECT_FALSE(source.hasValue());
    EXPECT_STREQ(source.getStringValueLocal(), "");
    EXPECT_EQ(blocks(), before - 1);
}

TEST(CRString, ConcatenateAndToLowerWorkOnTheUniversalFormAndDropTheOthers) {
    CRString s(kTestTag);
    s.concatenate("ab");
    s.getStringValueLocal();
    s.getNumericValue();
    s.concatenate('c');
    EXPECT_EQ(forms(s), "U");
    s.concatenate(CRString("d\xC3\xA9", kTestTag));
    s.concatenate(s);
    EXPECT_EQ(s.str(), "abcd\xC3\xA9"
                       "abcd\xC3\xA9");
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

    s.setStringValueLocal("AbC\xC4Z");
    s.toLower();
    EXPECT_EQ(forms(s), "U");
    EXPECT_STREQ(s.getStringValue(), "abc\xC3\x84z"); // ASCII capitals only
    CRString none(kTestTag);
    none.toLower();
    EXPECT_FALSE(none.hasValue());
}

TEST(CRString, GetNextUnicodeValueDecodesAndStopsAtTheEndOfABrokenSequence) {
    // {bytes, code, length}
    const std::tuple<std::string, int32_t, int32_t> rows[] = {{"A", 'A', 1},
                                                              {"\xC3\xA9", 0xE9, 2},
                                                              {"\xCE\xB1", 0x3B1, 2},
                                                              {"\xE2\x82\xAC", 0x20AC, 3},
                                                              {"\xF0\x9F\x98\x80", 0xD800, 4},
                                                              {"\xE2\x82", 0xD800, 2},
                                                              {"\xF0", 0xD800, 1},
                                                              {"\x80\x80", 0xD800, 1},
                                                              {"\xFF\x80\x80\x80", 0xD800, 1}};
    for (const auto& [text, code, length] : rows) {
        // Exactly sized: a read past the 0 would be caught by AddressSanitizer.
        const auto bytes = std::make_unique<unsigned char[]>(text.size() + 1);
        std::memcpy(bytes.get(), text.c_str(), text.size() + 1);
        int32_t got = 0;
        EXPECT_EQ(CRString::getNextUnicodeValue(bytes.get(), got), code) << text;
        EXPECT_EQ(got, length) << text;
    }
}

TEST(CRString, SubstringCopiesCharactersByIndexAndContainComparesCodePoints) {
    CRString s("abcdef", kTestTag);
    EXPECT_EQ(s.substring(2, 3)->creatorTag(), 100);
    // {first, count, text}; an empty result is tagged 99.
    const std::tuple<int32_t, int32_t, const char*> pieces[] = {
        {2, 3, "cde"},  {6, 1, ""},   {2, 0, ""},       {2, -1, ""},
        {4, 100, "ef"}, {-2, 3, "a"}, {0, 6, "abcdef"}, {5, INT32_MAX, "f"}};
    for (const auto& [first, count, text] : pieces) {
        const auto piece = s.substring(first, count);
        ASSERT_NE(piece, nullptr);
        EXPECT_STREQ(piece->getStringValue(), text) << first << " " << count;
        EXPECT_EQ(piece->creatorTag() == 99, *text == 0) << first << " " << count;
    }
    EXPECT_STREQ(CRString("Z\xC3\xBCr\xE2\x82\xAC", kTestTag).substring(1, 3)->getStringValue(),
                 "\xC3\xBCr\xE2\x82\xAC");
    EXPECT_EQ(CRString(kTestTag).substring(0, 1), nullptr);
    EXPECT_EQ(CRString("", kTestTag).substring(0, 1)->creatorTag(), 99);

    const std::tuple<const char*, const char*, bool> contains[] = {
        {"subtree", "tree", true},
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
    for (const auto& [text, part, found] : contains)
        EXPECT_EQ(CRString(text, kTestTag).contain(CRString(part, kTestTag)), found)
            << text << " / " << part;
    EXPECT_TRUE(CRString("a", kTestTag).contain(CRString(kTestTag)));
    CRString platform(kTestTag);
    platform.setStringValueLocal("Z\xFCrich");
    EXPECT_TRUE(platform.contain(CRString("\xC3\xBC", kTestTag)));
}

TEST(CRString, CollationOrdersCaseAccentsAndLettersThatStandForTwo) {
    // Apple before Apple with a capital, before an accent, before banana; empty last.
    const char* sorted[] = {"apple", "Apple", "\xC3\x84pple", "banana", ""};
    for (const char* a : sorted)
        for (const char* b : sorted) {
            const auto ia = std::find(std::begin(sorted), std::end(sorted), a);
            const auto ib = std::find(std::begin(sorted), std::end(sorted), b);
            EXPECT_EQ(CRString::orderString(a, b, false, false), ia < ib   ? 1
                                                                 : ia > ib ? -1
                                                                           : 0)
                << a << " / " << b;
        }
    const char* apples[] = {"apple", "Apple", "\xC3\x84pple", "\xC3\xA4PPLE"};
    for (const char* a : apples)
        for (const char* b : apples)
            EXPECT_EQ(CRString::orderString(a, b, true, true), 0) << a << " " << b;
    // {a, b, ignored: c for case, a for accents, order}. Each flag ignores only its own
    // difference. Of two accented letters the larger code sorts after; case decides between
    // the capital and the small form of one accented letter. Letters that stand for two
    // compare as two: ae, AE, ss; eth and thorn as d{ and t{. Shorter texts and Latin-1 sort
    // before longer texts and wide characters; a raw 0xFF byte is ill-formed, so wide.
    const std::tuple<const char*, const char*, std::string, int32_t> rows[] = {
        {"apple", "Apple", "c", 0},
        {"Apple", "\xC3\xA4pple", "c", 1},
        {"\xC3\x84pple", "\xC3\xA4pple", "c", 0},
        {"Apple", "\xC3\x84pple", "a", 0},
        {"\xC3\xA4pple", "Apple", "a", 1},
        {"\xC3\xA0", "\xC3\xA1", "", 1},
        {"\xC3\xA4", "\xC3\x84", "", 1},
        {"\xC3\x80", "\xC3\xA1", "", 1},
        {"aex", "\xC3\xA6x", "", 0},
        {"AEx", "\xC3\x86x", "", 0},
        {"Aex", "\xC3\x86x", "", 1},
        {"\xC3\xA6", "af", "", 1},
        {"ad", "\xC3\xA6", "", 1},
        {"ssx", "\xC3\x9Fx", "", 0},
        {"\xC3\x9F", "st", "", 1},
        {"dz", "\xC3\xB0", "", 1},
        {"\xC3\xB0", "e", "", 1},
        {"tzz", "\xC3\xBE", "", 1},
        {"\xC3\xBE", "u", "", 1},
        {"\xC3\x90", "\xC3\xB0", "", -1},
        {"app", "apple", "", 1},
        {"apple", "app", "", -1},
        {"1", "a", "", 1},
        {"z", "\xCE\xB1", "", 1},
        {"\xFF", "\xCE\xB1", "", -1},
        {"\xC3\xBF", "\xCE\xB1", "", 1},
        {"\xCE\xB1", "\xCE\xB2", "", 1},
        {"\xCE\xB1", "\xCE\xB1z", "", 1},
        {"\xE2\x82\xAC", "\xF0\x9F\x98\x80", "", 1},
        {"\xCE\xB1", "\xCE\xB1", "", 0},
        {"ab\xE2\x82", "ab", "", -1},
        {"apple", "banana", "ca", 1}};
    for (const auto& [a, b, ignored, order] : rows) {
        const bool c = ignored.find('c') != std::string::npos;
        const bool x = ignored.find('a') != std::string::npos;
        EXPECT_EQ(CRString::orderString(a, b, c, x), order) << a << " / " << b << " " << ignored;
    }
    EXPECT_EQ(CRString::orderString(nullptr, "", false, false), 0);
    EXPECT_EQ(CRString::orderString("a", nullptr, false, false), 1);
    EXPECT_EQ(CRString::orderString(CRString("word", kTestTag), CRString(kTestTag), false, false),
              1);
    CRString a("Stra\xC3\x9F"
               "e",
               kTestTag);
    EXPECT_TRUE(CRString::equalString(a, "STRASSE", true, true));
    EXPECT_FALSE(CRString::equalString(a, "STRASSE", false, true));
    EXPECT_TRUE(CRString::equalString(a, CRString("strasse", kTestTag), true, false));

    Texts list = {"zebra",    "",          "\xC3\x84pfel", "apfel", "Apfel",
                  "\xCE\xB1", "apfelbaum", "\xC3\xA6on",   "aeon",  "b"};
    std::stable_sort(list.begin(), list.end(), [](const std::string& x, const std::string& y) {
        return CRString::orderString(x.c_str(), y.c_str(), false, false) == 1;
    });
    // "æon" and "aeon" are equal, so the stable sort keeps them in their input order.
    EXPECT_EQ(list, (Texts{"\xC3\xA6on", "aeon", "apfel", "Apfel", "\xC3\x84pfel", "apfelbaum", "b",
                           "zebra", "\xCE\xB1", ""}));
}

TEST(CRString, StripCharacterGivesTheBaseLettersOfLatin1AndReportsAnythingElse) {
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
    RecordingPlatformScope scope;
    int32_t second = 0;
    bool capital = false, accent = false;
    for (int32_t code = 0; code < 256; ++code) {
        const int32_t base = CRString::stripCharacter(code, second, capital, accent);
        EXPECT_TRUE(base < 'A' || base > 'Z') << code; // no capital survives
    }
    EXPECT_TRUE(scope.recorder.bugReports().empty());
    EXPECT_EQ(CRString::stripCharacter(0x3B1, second, capital, accent), 0x3B1);
    EXPECT_EQ(CRString::stripCharacter(-1, second, capital, accent), -1);
    EXPECT_EQ(scope.recorder.bugReports(), Texts(2, "CRString::stripCharacter"));
}

TEST(CRString, ArbitraryBytesKeepTheInvariants) {
    uint32_t seed = 12345;
    for (int round = 0; round < 500; ++round) {
        std::string bytes;
        for (int i = 0; i < round % 13; ++i) {
            seed = seed * 1103515245u + 12345u;
            const auto byte = static_cast<char>((seed >> 16) & 0xFFu);
            bytes += byte == 0 ? 'x' : byte;
        }
        // Any platform text whose line ends are CR LF survives the trip through the universal
        // form (a bare LF would come back as CR LF).
        std::string platform = bytes;
        for (std::size_t i = 0; i < platform.size(); ++i)
            if (platform[i] == '\n' && (i == 0 || platform[i - 1] != '\r'))
                platform[i] = 'y';
        EXPECT_EQ(platformOf(universalOf(platform)), platform);

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

TEST(CRString, GarbageCollectionFreesEveryVolatileString) {
    CRString::garbageCollection();
    const int64_t live = CRString::totalCRStringsInstantiated();
    const int64_t frees = CRMemory::shared().frees(kTestTag);
    EXPECT_NE(CRString::addToGarbage(std::make_unique<CRString>(kTestTag)), nullptr);
    EXPECT_STREQ(
        CRString::addToGarbage(std::make_unique<CRString>("v", kTestTag))->getStringValue(), "v");
    EXPECT_EQ(CRString::addToGarbage(nullptr), nullptr);
    EXPECT_EQ(CRString::volatileStringCount(), 2u);
    EXPECT_EQ(CRString::totalCRStringsInstantiated(), live + 2);
    CRString::garbageCollection();
    EXPECT_EQ(CRString::volatileStringCount(), 0u);
    EXPECT_EQ(CRString::totalCRStringsInstantiated(), live);
    EXPECT_EQ(CRMemory::shared().frees(kTestTag), frees + 2);
    CRString::garbageCollection(); // an empty list is fine
}
