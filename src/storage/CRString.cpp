#include "storage/CRString.h"

#include "base/ErrorReporter.h"
#include "base/ThreadOwned.h"

#include <cstdio>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

// How the conversions treat what well-formed texts never contain, and other choices:
//
// - Invalid UTF-8. One decoder (decodeUnit) serves every operation, so characterLength,
//   substring, contain, collation and the platform conversion agree on what a character is.
//   It reads a continuation byte only after the byte before it was checked, and the 0 that
//   ends every text is never a continuation byte, so it never reads past the end of a text.
//     * A well-formed 1-, 2- or 3-byte sequence is decoded as usual (the overlong leads 0xC0
//       and 0xC1 included).
//     * A well-formed 4-byte sequence (lead 0xF0 to 0xF7 and three continuation bytes) is one
//       character of 4 bytes; getNextUnicodeValue reports it as 0xD800 (its documented answer),
//       while collation and contain use its real code point so that two different ones differ.
//     * Anything else is ill-formed: a stray continuation byte, a lead byte 0xF8 to 0xFF, or a
//       lead byte whose continuation bytes are missing (interrupted or cut off by the end of the
//       text). It is one character with the code 0xD800 covering the lead byte and the
//       continuation bytes that did follow (at least 1 byte); the byte after it starts afresh.
//     * In the platform form every such character, like every character beyond Latin-1,
//       becomes one "*"; so does an overlong sequence that encodes 0, which would otherwise cut
//       the platform text short.
// - A CR not followed by LF in a platform text is kept as a CR in the universal form (and
//   comes back unchanged), so no byte of the text is lost.
// - toLower changes ASCII capitals only; every other byte is left as it is.
// - Texts hold no 0 byte: a text given with one ends there, and concatenating the byte 0 adds
//   nothing.
// - getStringValue and getStringValueLocal of a string without value return "" and leave it
//   without value.
// - substring: a first index at or beyond the character length, or a count of 0 or less, gives
//   the empty string of tag 99; a negative first index only clips the range.
// - stripCharacter classifies every code from 0 to 255; any other code is reported with bug and
//   returned unchanged.
// - Collation, secondary pass: two accented letters are compared by the code of their small
//   form (so that À and à differ by case alone, and a small letter sorts first); the second
//   letter of Æ, Ð or Þ counts as a capital like the first (Æ is "AE").
// - Memory accounting: each text form (universal, platform) held is one block under tag 40;
//   the numeric form is a plain field and is not a block.

namespace {

constexpr int32_t kInvalidCode = 0xD800;
constexpr int32_t kCreatorSubstring = 100;
constexpr int32_t kCreatorEmptySubstring = 99;

struct RVolatileStringsTag;

// One list per thread: a volatile string is only ever used by the thread that was handed it.
std::vector<std::unique_ptr<CRString>>& volatileStrings() {
    return CThreadOwned<RVolatileStringsTag, std::vector<std::unique_ptr<CRString>>>::mine();
}

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0u) == 0x80u;
}

// The character at p (p points into a 0-terminated text and not at its 0): its code point and
// its length in bytes. See the comment at the top for ill-formed input.
int32_t decodeUnit(const unsigned char* p, int32_t& length) {
    const unsigned char lead = p[0];
    int32_t needed;
    uint32_t code;
    if (lead < 0x80u) {
        length = 1;
        return lead;
    } else if (lead >= 0xC0u && lead <= 0xDFu) {
        needed = 1;
        code = lead & 0x1Fu;
    } else if (lead >= 0xE0u && lead <= 0xEFu) {
        needed = 2;
        code = lead & 0x0Fu;
    } else if (lead >= 0xF0u && lead <= 0xF7u) {
        needed = 3;
        code = lead & 0x07u;
    } else { // a stray continuation byte or 0xF8 to 0xFF
        length = 1;
        return kInvalidCode;
    }
    for (int32_t i = 1; i <= needed; ++i) {
        if (!isContinuation(p[i])) { // also stops at the text's final 0
            length = i;
            return kInvalidCode;
        }
        code = (code << 6) | (p[i] & 0x3Fu);
    }
    length = needed + 1;
    return static_cast<int32_t>(code);
}

int32_t countCharacters(const std::string& text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.c_str());
    const auto* end = p + text.size();
    int32_t count = 0;
    while (p < end) {
        int32_t length = 0;
        decodeUnit(p, length);
        p += length;
        ++count;
    }
    return count;
}

std::vector<int32_t> codePoints(const std::string& text) {
    std::vector<int32_t> codes;
    const auto* p = reinterpret_cast<const unsigned char*>(text.c_str());
    const auto* end = p + text.size();
    while (p < end) {
        int32_t length = 0;
        codes.push_back(decodeUnit(p, length));
        p += length;
    }
    return codes;
}

// The text up to its first 0 byte; nullptr is the empty text.
std::string textOf(const char* text) {
    return text ? std::string(text) : std::string();
}

std::string platformToUniversal(const std::string& platform) {
    std::string out;
    out.reserve(platform.size() + platform.size() / 4);
    for (std::size_t i = 0; i < platform.size(); ++i) {
        const auto byte = static_cast<unsigned char>(platform[i]);
        if (byte == '\r' && i + 1 < platform.size() && platform[i + 1] == '\n') {
            out += '\n';
            ++i;
        } else if (byte < 0x80u) {
            out += static_cast<char>(byte);
        } else {
            out += static_cast<char>(0xC0u | (byte >> 6));
            out += static_cast<char>(0x80u | (byte & 0x3Fu));
        }
    }
    return out;
}

std::string universalToPlatform(const std::string& universal) {
    std::string out;
    out.reserve(universal.size() + universal.size() / 8);
    const auto* p = reinterpret_cast<const unsigned char*>(universal.c_str());
    const auto* end = p + universal.size();
    while (p < end) {
        int32_t length = 0;
        const int32_t code = decodeUnit(p, length);
        p += length;
        if (code == '\n') {
            out += "\r\n";
        } else if (code == 0) {
            out += '*'; // an overlong encoding of 0
        } else if (length <= 2 && code <= 0xFF) {
            out += static_cast<char>(static_cast<unsigned char>(code));
        } else {
            out += '*';
        }
    }
    return out;
}

int32_t parseNumber(const std::string& text) {
    std::size_t i = 0;
    bool negative = false;
    if (!text.empty() && text[0] == '-') {
        negative = true;
        i = 1;
    }
    uint32_t value = 0; // unsigned: overflow wraps without undefined behaviour
    for (; i < text.size(); ++i)
        value = value * 10u + (static_cast<uint32_t>(static_cast<unsigned char>(text[i])) - 48u);
    if (negative)
        value = 0u - value;
    return static_cast<int32_t>(value);
}

// Form bookkeeping shared by the const readers (which fill the mutable caches) and the setters.
void holdForm(bool& has, std::string& field, std::string&& value) {
    if (has)
        CRMemory::shared().countFree(kTagStringForm);
    field = std::move(value);
    has = true;
    CRMemory::shared().countAllocation(kTagStringForm);
}

void dropForm(bool& has, std::string& field) {
    if (!has)
        return;
    has = false;
    field.clear();
    field.shrink_to_fit(); // a long text gives its memory back
    CRMemory::shared().countFree(kTagStringForm);
}

// The platform form is held out of line: few strings ever need it, and every string would
// otherwise carry room for it.
void holdForm(std::unique_ptr<std::string>& field, std::unique_ptr<std::string> value) {
    if (field)
        CRMemory::shared().countFree(kTagStringForm);
    field = std::move(value);
    CRMemory::shared().countAllocation(kTagStringForm);
}

void dropForm(std::unique_ptr<std::string>& field) {
    if (!field)
        return;
    field.reset();
    CRMemory::shared().countFree(kTagStringForm);
}

// Walks a text for collation, handing out one base letter at a time; a letter that stands
// for two hands out its second letter on the next call.
struct CollationCursor {
    struct Item {
        bool atEnd = false;
        bool wide = false; // a code point above 255: compared by code alone
        int32_t code = 0;  // the code point (wide) or the base letter
        int32_t accentCode = 0;
        bool capital = false;
        bool accent = false;
    };

    // text.data() is followed by a 0 byte (it comes from a 0-terminated text).
    explicit CollationCursor(std::string_view text)
        : p(reinterpret_cast<const unsigned char*>(text.data())), end(p + text.size()) {}

    Item next() {
        Item item;
        if (pending != 0) { // the second letter of æ, ß, ð or þ: a capital stays a capital
            item.code = pending;
            item.capital = pendingCapital;
            pending = 0;
            return item;
        }
        if (p >= end) {
            item.atEnd = true;
            return item;
        }
        int32_t length = 0;
        const int32_t code = decodeUnit(p, length);
        p += length;
        if (code > 0xFF) {
            item.wide = true;
            item.code = code;
            return item;
        }
        int32_t second = 0;
        item.code = CRString::stripCharacter(code, second, item.capital, item.accent);
        // Accents are compared on the small letter so that case is left to the case rule.
        item.accentCode = (item.capital && code >= 192) ? code + 32 : code;
        pending = second;
        pendingCapital = item.capital;
        return item;
    }

    const unsigned char* p;
    const unsigned char* end;
    int32_t pending = 0;
    bool pendingCapital = false;
};

int32_t collate(std::string_view a, std::string_view b, bool ignoreCase, bool ignoreAccents) {
    if (a.empty())
        return b.empty() ? 0 : -1;
    if (b.empty())
        return 1;

    // Primary pass: base letters; code points above 255 after every Latin-1 character.
    {
        CollationCursor ca(a);
        CollationCursor cb(b);
        for (;;) {
            const auto x = ca.next();
            const auto y = cb.next();
            if (x.atEnd || y.atEnd) {
                if (x.atEnd && y.atEnd)
                    break;
                return x.atEnd ? 1 : -1; // the text that ends first sorts before
            }
            if (x.wide || y.wide) {
                if (!y.wide)
                    return -1;
                if (!x.wide)
                    return 1;
            }
            if (x.code != y.code)
                return x.code > y.code ? -1 : 1;
        }
    }
    if (ignoreCase && ignoreAccents)
        return 0;

    // Secondary pass: the texts have the same base letters; accents, then case, break ties.
    CollationCursor ca(a);
    CollationCursor cb(b);
    for (;;) {
        const auto x = ca.next();
        const auto y = cb.next();
        if (x.atEnd || y.atEnd)
            return 0;
        if (!ignoreAccents) {
            if (x.accent != y.accent)
                return x.accent ? -1 : 1;
            if (x.accent && x.accentCode != y.accentCode)
                return x.accentCode > y.accentCode ? -1 : 1;
        }
        if (!ignoreCase && x.capital != y.capital)
            return x.capital ? -1 : 1;
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Construction

CRString::CRString(int32_t creatorTag) : whoCreatedThisString(creatorTag) {
    CRMemory::shared().incrementObjectCounter(kKindCRString);
    CRMemory::shared().incrementObjectCounter(whoCreatedThisString);
}

CRString::CRString(const char* utf8, int32_t creatorTag) : CRString(creatorTag) {
    setStringValue(utf8);
}

CRString::CRString(const std::string& utf8, int32_t creatorTag) : CRString(creatorTag) {
    setStringValue(utf8);
}

CRString::CRString(const CRString& other) : CRString(other.whoCreatedThisString) {
    setStringValue(other);
}

CRString& CRString::operator=(const CRString& other) {
    setStringValue(other);
    return *this;
}

CRString::~CRString() {
    dropForms();
    CRMemory::shared().decrementObjectCounter(kKindCRString);
    CRMemory::shared().decrementObjectCounter(whoCreatedThisString);
}

std::unique_ptr<CRString> CRString::cloneCRString(const CRString& source, int32_t creatorTag) {
    auto copy = std::make_unique<CRString>(creatorTag);
    copy->setStringValue(source);
    return copy;
}

int64_t CRString::totalCRStringsInstantiated() {
    return CRMemory::shared().live(kKindCRString);
}

// ---------------------------------------------------------------------------------------------
// Forms

void CRString::dropTextForms() {
    dropForm(hasUniversal, universalStringValue);
    dropForm(platformStringValue);
}

void CRString::installUniversal(std::string value) {
    holdForm(hasUniversal, universalStringValue, std::move(value));
}

void CRString::installPlatform(std::unique_ptr<std::string> value) {
    holdForm(platformStringValue, std::move(value));
}

void CRString::setStringValue(const char* utf8) {
    try {
        std::string value = textOf(utf8);
        dropForms();
        installUniversal(std::move(value));
    } catch (const std::bad_alloc&) {
        bug("CRString::installUniversalStringValue", kErrMallocFailed);
    }
}

void CRString::setStringValue(const std::string& utf8) {
    setStringValue(utf8.c_str());
}

void CRString::setStringValue(const CRString& other) {
    if (&other == this)
        return;
    // The usual case: copied in place, counted as a drop and a take.
    if (!other.platformStringValue) {
        try {
            if (other.hasUniversal)
                universalStringValue = other.universalStringValue; // unchanged if it throws
        } catch (const std::bad_alloc&) {
            bug("CRString::setStringValue", kErrMallocFailed);
            return;
        }
        const bool hadUniversal = hasUniversal;
        hasUniversal = false;
        if (hadUniversal)
            CRMemory::shared().countFree(kTagStringForm);
        dropForm(platformStringValue);
        if (other.hasUniversal) {
            hasUniversal = true;
            CRMemory::shared().countAllocation(kTagStringForm);
        } else {
            universalStringValue.clear();
            universalStringValue.shrink_to_fit();
        }
        hasNumeric = other.hasNumeric;
        numericValue = other.numericValue;
        return;
    }
    try {
        std::string universal = other.hasUniversal ? other.universalStringValue : std::string();
        auto platform = std::make_unique<std::string>(*other.platformStringValue);
        dropForms();
        if (other.hasUniversal)
            installUniversal(std::move(universal));
        installPlatform(std::move(platform));
        hasNumeric = other.hasNumeric;
        numericValue = other.numericValue;
    } catch (const std::bad_alloc&) {
        bug("CRString::setStringValue", kErrMallocFailed);
    }
}

void CRString::setStringValueLocal(const char* platformText) {
    try {
        auto value = std::make_unique<std::string>(textOf(platformText));
        dropForms();
        installPlatform(std::move(value));
    } catch (const std::bad_alloc&) {
        bug("CRString::installPlatformStringValue", kErrMallocFailed);
    }
}

void CRString::takeValue(CRString& other) {
    if (&other == this)
        return;
    dropForms();
    // The text forms stay counted: their blocks change owner, not number.
    universalStringValue.swap(other.universalStringValue);
    platformStringValue.swap(other.platformStringValue);
    hasUniversal = other.hasUniversal;
    hasNumeric = other.hasNumeric;
    numericValue = other.numericValue;
    other.hasUniversal = false;
    other.hasNumeric = false;
    other.numericValue = 0;
}

void CRString::setNumericValue(int32_t value) {
    dropForms();
    hasNumeric = true;
    numericValue = value;
}

const char* CRString::getStringValue() const {
    if (!hasUniversal) {
        if (!platformStringValue && !hasNumeric)
            return "";
        try {
            std::string value = platformStringValue ? platformToUniversal(*platformStringValue)
                                                    : std::to_string(numericValue);
            holdForm(hasUniversal, universalStringValue, std::move(value));
        } catch (const std::bad_alloc&) {
            bug("CRString::installUniversalStringValue", kErrMallocFailed);
            return "";
        }
    }
    return universalStringValue.c_str();
}

const char* CRString::getStringValueLocal() const {
    if (!platformStringValue) {
        if (!hasUniversal && !hasNumeric)
            return "";
        getStringValue(); // the number goes through the universal form
        if (!hasUniversal)
            return "";
        try {
            holdForm(platformStringValue,
                     std::make_unique<std::string>(universalToPlatform(universalStringValue)));
        } catch (const std::bad_alloc&) {
            bug("CRString::installPlatformStringValue", kErrMallocFailed);
            return "";
        }
    }
    return platformStringValue->c_str();
}

int32_t CRString::parseNumericValue() const {
    if (!hasValue())
        return 0;
    getStringValue();
    numericValue = hasUniversal ? parseNumber(universalStringValue) : 0;
    hasNumeric = true;
    return numericValue;
}

int32_t CRString::byteLength() const {
    return static_cast<int32_t>(std::char_traits<char>::length(getStringValue()));
}

int32_t CRString::characterLength() const {
    getStringValue();
    return hasUniversal ? countCharacters(universalStringValue) : 0;
}

// ---------------------------------------------------------------------------------------------
// Concatenation

void CRString::concatenate(const CRString& other) {
    if (&other == this) {
        const std::string copy = getStringValue();
        concatenate(copy.c_str());
        return;
    }
    concatenate(other.getStringValue());
}

void CRString::concatenate(const char* utf8) {
    getStringValue();
    try {
        if (!hasUniversal)
            installUniversal(std::string());
        if (utf8)
            universalStringValue += utf8;
    } catch (const std::bad_alloc&) {
        bug("realloc() failed in CRString::concatenate", kNoErr);
    }
    dropForm(platformStringValue);
    hasNumeric = false;
    numericValue = 0;
}

void CRString::concatenate(char byte) {
    const char text[2] = {byte, 0};
    concatenate(text);
}

// ---------------------------------------------------------------------------------------------
// Characters

std::unique_ptr<CRString> CRString::substring(int32_t first, int32_t count) const {
    if (!hasValue())
        return nullptr;
    const std::string text = getStringValue();
    if (count <= 0 || first >= countCharacters(text))
        return std::make_unique<CRString>(kCreatorEmptySubstring);

    const int64_t begin = first;
    const int64_t last = static_cast<int64_t>(first) + count - 1;
    RCountedBuffer<kTagSubstringBuffer> counted;
    std::string buffer;
    const auto* p = reinterpret_cast<const unsigned char*>(text.c_str());
    const auto* end = p + text.size();
    for (int64_t index = 0; p < end && index <= last; ++index) {
        int32_t length = 0;
        decodeUnit(p, length);
        if (index >= begin)
            buffer.append(reinterpret_cast<const char*>(p), static_cast<std::size_t>(length));
        p += length;
    }
    return std::make_unique<CRString>(buffer, kCreatorSubstring);
}

bool CRString::contain(const CRString& other) const {
    const std::vector<int32_t> needle = codePoints(other.getStringValue());
    if (needle.empty())
        return true;
    const std::vector<int32_t> haystack = codePoints(getStringValue());
    if (needle.size() > haystack.size())
        return false;
    for (std::size_t start = 0; start + needle.size() <= haystack.size(); ++start) {
        std::size_t i = 0;
        while (i < needle.size() && haystack[start + i] == needle[i])
            ++i;
        if (i == needle.size())
            return true;
    }
    return false;
}

void CRString::toLower() {
    if (!hasValue())
        return;
    getStringValue();
    for (char& c : universalStringValue)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    dropForm(platformStringValue);
    hasNumeric = false;
    numericValue = 0;
}

int32_t CRString::getNextUnicodeValue(const unsigned char* bytes, int32_t& length) {
    if (!bytes) {
        length = 0;
        return 0;
    }
    const int32_t code = decodeUnit(bytes, length);
    return code > 0xFFFF ? kInvalidCode : code;
}

// ---------------------------------------------------------------------------------------------
// Collation

int32_t CRString::stripCharacter(int32_t code, int32_t& secondLetter, bool& wasCapital,
                                 bool& hadAccent) {
    secondLetter = 0;
    wasCapital = false;
    hadAccent = false;
    if (code < 0 || code > 0xFF) {
        bug("CRString::stripCharacter", kNoErr);
        return code;
    }
    if (code >= 'a' && code <= 'z')
        return code;
    if (code >= 'A' && code <= 'Z') {
        wasCapital = true;
        return code + 32;
    }
    if (code >= 192 && code <= 222 && code != 215) {
        wasCapital = true;
        code += 32;
    }
    auto accented = [&hadAccent](int32_t base) {
        hadAccent = true;
        return base;
    };
    if (code >= 224 && code <= 229)
        return accented('a');
    if (code == 231)
        return accented('c');
    if (code >= 232 && code <= 235)
        return accented('e');
    if (code >= 236 && code <= 239)
        return accented('i');
    if (code == 241)
        return accented('n');
    if ((code >= 242 && code <= 246) || code == 248)
        return accented('o');
    if (code >= 249 && code <= 252)
        return accented('u');
    if (code == 253 || code == 255)
        return accented('y');
    switch (code) {
    case 230: // æ
        secondLetter = 'e';
        return 'a';
    case 240: // ð
        secondLetter = '{';
        return 'd';
    case 254: // þ
        secondLetter = '{';
        return 't';
    case 223: // ß
        secondLetter = 's';
        return 's';
    default:
        return code; // digits, punctuation, controls, 215 ×, 247 ÷ and the other signs
    }
}

int32_t CRString::orderString(const char* a, const char* b, bool ignoreCase, bool ignoreAccents) {
    return collate(a ? std::string_view(a) : std::string_view(""),
                   b ? std::string_view(b) : std::string_view(""), ignoreCase, ignoreAccents);
}

int32_t CRString::orderString(const CRString& a, const CRString& b, bool ignoreCase,
                              bool ignoreAccents) {
    return orderString(a.getStringValue(), b.getStringValue(), ignoreCase, ignoreAccents);
}

bool CRString::equalString(const CRString& a, const CRString& b, bool ignoreCase,
                           bool ignoreAccents) {
    return orderString(a, b, ignoreCase, ignoreAccents) == 0;
}

bool CRString::equalString(const CRString& a, const char* b, bool ignoreCase, bool ignoreAccents) {
    return orderString(a.getStringValue(), b, ignoreCase, ignoreAccents) == 0;
}

// ---------------------------------------------------------------------------------------------
// Volatile strings

CRString* CRString::addToGarbage(std::unique_ptr<CRString> string) {
    if (!string)
        return nullptr;
    CRString* raw = string.get();
    volatileStrings().push_back(std::move(string));
    return raw;
}

void CRString::garbageCollection() {
    std::vector<std::unique_ptr<CRString>> doomed;
    doomed.swap(volatileStrings());
    doomed.clear();
}

std::size_t CRString::volatileStringCount() {
    return volatileStrings().size();
}

void CRString::print() const {
    std::fputs(getStringValue(), stdout);
    std::fputc('\n', stdout);
}
