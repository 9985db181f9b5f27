#include "storage/CRString.h"

#include "storage/StorageTestSupport.h"

#include <climits>
#include <cstring>
#include <functional>
#include <sstream>

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

// Each text form held (universal, platform) is one block under tag 40; the number is not.
TEST(CRString, FormsAreMadeWhenAskedForDroppedWhenTheValueChangesAndCountedAsBlocks) {
    // Strings alive, those of the test's tag, forms and substring buffers.
    const LiveSince live({kKindCRString, kTestTag, kTagStringForm, kTagSubstringBuffer});
    const int64_t base = blocks(), substrings = CRMemory::shared().allocations(kTagSubstringBuffer);
    {
        CRString s(kTestTag);
        // Reading does not give it a value.
        EXPECT_EQ(
            std::string(s.getStringValue()) + "|" + s.getStringValueLocal() + "|" +
                join({s.getNumericValue(), s.byteLength(), s.characterLength(), s.hasValue()}),
            "||0 0 0 0");
        using S = std::string;
        // {step giving what it read; that, the forms held after it and the blocks they take}
        const std::pair<std::function<S()>, S> steps[] = {
            {[&] { return s.setStringValueLocal("Z\xFCrich"), S(); }, " P 1"},
            {[&] { return S(s.getStringValue()); }, "Z\xC3\xBCrich UP 2"},
            {[&] { return std::to_string(s.byteLength() * 10 + s.characterLength()); }, "76 UP 2"},
            {[&] { return s.setNumericValue(-42), S(); }, " N 0"},
            {[&] { return S(s.getStringValueLocal()); }, "-42 UPN 2"},
            {[&] { return s.setNumericValue(INT32_MIN), S(s.getStringValue()); },
             "-2147483648 UN 1"},
            {[&] { return s.setNumericValue(0), S(s.getStringValue()); }, "0 UN 1"},
            {[&] { return s.setStringValue("8"), S(); }, " U 1"},
            {[&] { return std::to_string(s.getNumericValue()); }, "8 UN 1"},
            {[&] { return s.setStringValueLocal("9"), S(); }, " P 1"},
            {[&] { return std::to_string(s.getNumericValue()); }, "9 UPN 2"},
            {[&] { return s.concatenate("x"), s.str(); }, "9x U 1"},
            {[&] { return s.setStringValue(S("x\0y", 3)), std::to_string(s.byteLength()); },
             "1 U 1"},
            {[&] { return s.clearValue(), std::to_string(s.hasValue()); }, "0  0"}};
        for (const auto& [step, expected] : steps) {
            const S got = step();
            EXPECT_EQ(got + " " + forms(s) + " " + std::to_string(blocks() - base), expected);
        }
        s.setStringValueLocal("Z\xFCrich\r\n");
        s.getStringValue();
        CRString copy(s);
        auto clone = CRString::cloneCRString(s, kTestTag);
        EXPECT_EQ(std::to_string(blocks() - base) + " " + live.added(), "6 3 3 6 0");
        copy.toLower();
        auto piece = s.substring(0, 1);
        EXPECT_EQ(CRMemory::shared().allocations(kTagSubstringBuffer), substrings + 1);
        s.setStringValue("again");
    }
    // The substring's buffer was freed at once.
    EXPECT_EQ(std::to_string(blocks() - base) + " " + live.added(), "0 0 0 0 0");
}

TEST(CRString, PlatformAndUniversalFormsConvertLatin1LineEndsAndUnknownCharacters) {
    std::string latin1;
    for (int byte = 1; byte < 256; ++byte)
        if (byte != '\r' && byte != '\n')
            latin1 += static_cast<char>(byte);
    EXPECT_EQ(universalOf(latin1).size(), latin1.size() + 128u);
    EXPECT_EQ(platformOf(universalOf(latin1)), latin1);
    // {platform, universal}: line ends both ways.
    for (const auto& [platform, universal] : std::vector<std::pair<std::string, std::string>>{
             {"one\r\ntwo\r\n", "one\ntwo\n"}, {"a\rb\r", "a\rb\r"}, {"a\r\r\nb", "a\r\nb"}}) {
        EXPECT_EQ(universalOf(platform), universal) << platform;
        EXPECT_EQ(platformOf(universal), platform) << universal;
    }
    // Universal to platform only: beyond Latin-1 and broken sequences are one star each.
    std::string got;
    for (const char* universal :
         {"\xCE\xB1", "x\xE2\x82\xAC y", "\xF0\x9F\x98\x80!", "\xCE\xB1\xCE\xB2", "x\x80\xBFy",
          "x\xC3y", "x\xE2\x82y", "ab\xE2\x82", "ab\xF0\x9F\x98", "\xF8\xFFz", "\xC0\x80x",
          "\xC1\x81"})
        got += platformOf(universal) + "|";
    EXPECT_EQ(got, "*|x* y|*!|**|x**y|x*y|x*y|ab*|ab*|**z|*x|A|");
    got.clear();
    for (const char* text : {"ab\xE2\x82", "\x80\x80\x80", "\xCE\xB1\xCE\xB2", "Z\xC3\xBCrich"})
        got += std::to_string(CRString(text, kTestTag).characterLength()) + " ";
    EXPECT_EQ(got, "3 3 2 6 ");
    EXPECT_STREQ(CRString("ab\xE2\x82", kTestTag).substring(2, 5)->getStringValue(), "\xE2\x82");

    // Numbers: "12a" is 12 * 10 + ('a' - '0'); the "-" is a sign only in front; wrapping is
    // defined.
    got.clear();
    for (const char* text : {"-42", "", "12a", "-", "007", "2147483647", "-2147483648",
                             "2147483648", "4294967297", "99999999999999999999", "1-", " 1"})
        got += std::to_string(CRString(text, kTestTag).getNumericValue()) + " ";
    EXPECT_EQ(got, "-42 0 169 0 7 2147483647 -2147483648 -2147483648 1 1661992959 7 -159 ");

    // Code and length of the first character; a broken sequence is 0xD800 and ends where it
    // stops being one.
    got.clear();
    for (const std::string text : {"A", "\xC3\xA9", "\xCE\xB1", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                                   "\xE2\x82", "\xF0", "\x80\x80", "\xFF\x80\x80\x80"}) {
        // Exactly sized: a read past the 0 would be caught by AddressSanitizer.
        const auto bytes = std::make_unique<unsigned char[]>(text.size() + 1);
        std::memcpy(bytes.get(), text.c_str(), text.size() + 1);
        int32_t length = 0;
        got += std::to_string(CRString::getNextUnicodeValue(bytes.get(), length));
        got += "/" + std::to_string(length) + " ";
    }
    EXPECT_EQ(got, "65/1 233/2 945/2 8364/3 55296/4 55296/2 55296/1 55296/1 55296/1 ");
}

TEST(CRString, CopiesTakeEveryFormAndTakeValueMovesThemWithoutNewBlocks) {
    // The forms held, then the text and the platform text (which make their forms).
    const auto state = [](const CRString& s) {
        std::string held = forms(s);
        held += " " + s.str();
        return held + "|" + s.getStringValueLocal() + " ";
    };
    CRString source(kTestTag);
    source.setStringValueLocal("1\r\n");
    source.getNumericValue();
    CRString target("other", 120);
    target.setStringValue(source);
    CRString copy(source);
    auto clone = CRString::cloneCRString(source, 121);
    EXPECT_EQ(state(target) + state(*clone) + state(copy), "UPN 1\n|1\r\n UPN 1\n|1\r\n "
                                                           "UPN 1\n|1\r\n ");
    EXPECT_EQ(join({target.creatorTag(), copy.creatorTag(), clone->creatorTag(),
                    target.getNumericValue()}),
              "120 150 121 -28"); // "1\n": 1 * 10 + ('\n' - '0')
    target = CRString(kTestTag);
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
    EXPECT_EQ(state(target) + state(source), "UPN Z\xC3\xBCrich\n|Z\xFCrich\r\n  | ");
}

TEST(CRString, ConcatenateAndToLowerWorkOnTheUniversalFormAndDropTheOthers) {
    CRString s(kTestTag), fromPlatform(kTestTag), fromNumber(kTestTag), none(kTestTag);
    s.concatenate("ab");
    s.getStringValueLocal();
    s.getNumericValue();
    s.concatenate('c');
    std::string got = forms(s) + " ";
    s.concatenate(CRString("d\xC3\xA9", kTestTag));
    s.concatenate(s);
    s.concatenate('\0'); // adds nothing
    s.concatenate(static_cast<const char*>(nullptr));
    fromPlatform.setStringValueLocal("\xE9");
    fromPlatform.concatenate("!");
    fromNumber.setNumericValue(12);
    fromNumber.concatenate("3");
    got += s.str() + " " + fromPlatform.str() + " " + std::to_string(fromNumber.getNumericValue());
    s.setStringValueLocal("AbC\xC4Z");
    s.toLower(); // ASCII capitals only
    none.toLower();
    got += " " + forms(s);
    got += " " + s.str() + " " + std::to_string(none.hasValue());
    EXPECT_EQ(got, "U abcd\xC3\xA9"
                   "abcd\xC3\xA9 \xC3\xA9! 123 U abc\xC3\x84z 0");
}

TEST(CRString, SubstringCopiesCharactersByIndexAndContainComparesCodePoints) {
    CRString s("abcdef", kTestTag);
    // "text/tag" of each {first, count}: a piece is tagged 100, an empty one 99.
    std::string got;
    for (const auto& [first, count] : std::vector<std::pair<int32_t, int32_t>>{
             {2, 3}, {6, 1}, {2, 0}, {2, -1}, {4, 100}, {-2, 3}, {0, 6}, {5, INT32_MAX}}) {
        const auto piece = s.substring(first, count);
        ASSERT_NE(piece, nullptr);
        got += piece->str() + "/" + std::to_string(piece->creatorTag()) + " ";
    }
    EXPECT_EQ(got, "cde/100 /99 /99 /99 ef/100 a/100 abcdef/100 f/100 ");
    EXPECT_STREQ(CRString("Z\xC3\xBCr\xE2\x82\xAC", kTestTag).substring(1, 3)->getStringValue(),
                 "\xC3\xBCr\xE2\x82\xAC");
    EXPECT_EQ(CRString(kTestTag).substring(0, 1), nullptr);
    EXPECT_EQ(CRString("", kTestTag).substring(0, 1)->creatorTag(), 99);

    got.clear();
    // "text|part" rows, whether the text contains the part.
    std::istringstream rows(
        "subtree|tree | |a abc| tre|tree abab|bab abc|abd abc|ABC "
        "Z\xC3\xBCrich|\xC3\xBCri Zurich|\xC3\xBC \xF0\x9F\x98\x80|\xF0\x9F\x98\x83 "
        "x\xF0\x9F\x98\x80y|\xF0\x9F\x98\x80y");
    for (std::string row; std::getline(rows, row, ' ');) {
        const std::size_t bar = row.find('|');
        got +=
            CRString(row.substr(0, bar), kTestTag).contain(CRString(row.substr(bar + 1), kTestTag))
                ? "1"
                : "0";
    }
    EXPECT_EQ(got, "110101001001");
    EXPECT_TRUE(CRString("a", kTestTag).contain(CRString(kTestTag)));
    CRString platform(kTestTag);
    platform.setStringValueLocal("Z\xFCrich");
    EXPECT_TRUE(platform.contain(CRString("\xC3\xBC", kTestTag)));
}

// Each row: what is ignored (c case, a accents), then texts in order, each before ("<") or
// equal to ("=") the next; '' is the empty text. Small before capital before accented before
// the next letter, the empty text last; each flag ignores only its own difference. Of two
// accented letters the larger code sorts after; case decides between the capital and the small
// form of one accented letter. Letters that stand for two compare as two: ae, AE, ss; eth and
// thorn as d{ and t{. Shorter texts and Latin-1 sort before longer texts and wide characters;
// a raw 0xFF byte is ill-formed, so wide.
TEST(CRString, CollationOrdersCaseAccentsAndLettersThatStandForTwo) {
    std::istringstream rows(
        "- apple < Apple < \xC3\x84pple < banana < ''; - '' = ''; c apple = Apple < \xC3\xA4pple; "
        "c \xC3\x84pple = \xC3\xA4pple; a Apple = \xC3\x84pple; a \xC3\xA4pple < Apple; "
        "ca apple = \xC3\xA4PPLE < banana; - \xC3\xA0 < \xC3\xA1; - \xC3\xA4 < \xC3\x84; "
        "- \xC3\x80 < \xC3\xA1; - aex = \xC3\xA6x; - Aex < \xC3\x86x = AEx; - ad < \xC3\xA6 < af; "
        "- ssx = \xC3\x9Fx; - \xC3\x9F < st; - dz < \xC3\xB0 < e; - tzz < \xC3\xBE < u; "
        "- \xC3\xB0 < \xC3\x90; - 1 < a; - app < apple; - ab < ab\xE2\x82; "
        "- z < \xCE\xB1 < \xCE\xB2; - \xC3\xBF < \xCE\xB1 < \xCE\xB1z; "
        "- \xCE\xB1 = \xCE\xB1 < \xFF; - \xE2\x82\xAC < \xF0\x9F\x98\x80");
    for (std::string row; std::getline(rows, row, ';');) {
        SCOPED_TRACE(row);
        std::istringstream in(row);
        std::string ignored, a, relation, b;
        in >> ignored >> a;
        const bool c = ignored.find('c') != std::string::npos;
        const bool x = ignored.find('a') != std::string::npos;
        for (; in >> relation >> b; a = b) {
            const auto text = [](const std::string& t) { return t == "''" ? "" : t; };
            const int32_t order = relation == "<" ? 1 : 0;
            EXPECT_EQ(CRString::orderString(text(a).c_str(), text(b).c_str(), c, x), order) << a;
            EXPECT_EQ(CRString::orderString(text(b).c_str(), text(a).c_str(), c, x), -order) << b;
        }
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
}

TEST(CRString, StripCharacterGivesTheBaseLettersOfLatin1AndReportsAnythingElse) {
    RecordingPlatformScope scope;
    const auto strip = [](int32_t code) {
        int32_t second = -1;
        bool capital = code % 2 == 0, accent = capital;
        const int32_t base = CRString::stripCharacter(code, second, capital, accent);
        const auto shown = [](int32_t c) {
            return c > ' ' && c < 127 ? std::string(1, static_cast<char>(c)) : std::to_string(c);
        };
        return shown(base) + (second ? shown(second) : "") + (capital ? "C" : "") +
               (accent ? "A" : "");
    };
    std::string got;
    for (int32_t code :
         {0x71, 0x51, 0xC9, 0xE7, 0xF8, 0xD8, 0xDD, 0xE6, 0xDE, 0xF0, 0xDF, 0x35, 0xD7, 0xF7, 0xFF})
        got += strip(code) + " ";
    EXPECT_EQ(got, "q qC eCA cA oA oCA yCA ae t{C d{ ss 5 215 247 yA ");
    for (int32_t code = 0; code < 256; ++code) {
        const char base = strip(code)[0];
        EXPECT_FALSE(base >= 'A' && base <= 'Z') << code; // no capital survives
    }
    EXPECT_TRUE(scope.recorder.bugReports().empty());
    EXPECT_EQ(strip(0x3B1) + " " + strip(-1), "945 -1");
    EXPECT_EQ(scope.recorder.bugReports(), Texts(2, "CRString::stripCharacter"));
}
