#pragma once

#include "storage/CRMemory.h"

#include <cstdint>
#include <memory>
#include <string>

// The one string type: a universal form (UTF-8, stored in files and compared), a platform
// form (Latin-1 bytes with CR LF line ends) and a numeric form (signed 32-bit). Each form is
// made from another only when asked for, then kept until the value changes; reading a form
// is therefore const and fills the mutable caches.
class CRString {
public:
    explicit CRString(int32_t creatorTag);
    CRString(const char* utf8, int32_t creatorTag);
    CRString(const std::string& utf8, int32_t creatorTag);
    // Copies every form; the copy keeps the creator tag of the original.
    CRString(const CRString& other);
    CRString& operator=(const CRString& other);
    ~CRString();

    // A new string with all the forms of the given one, counted under a new creator tag.
    static std::unique_ptr<CRString> cloneCRString(const CRString& source, int32_t creatorTag);

    void setStringValue(const char* utf8);
    void setStringValue(const std::string& utf8);
    void setStringValue(const CRString& other); // copies all three forms and their flags
    void setStringValueLocal(const char* platformText);
    void setNumericValue(int32_t value);
    // Back to no value at all, as a new string.
    void clearValue() { dropForms(); }
    // Takes over every form of other, which is left without value; no text is copied.
    void takeValue(CRString& other);

    const char* getStringValue() const;      // UTF-8; empty when there is no value
    const char* getStringValueLocal() const; // Latin-1 with CR LF
    int32_t getNumericValue() const { return hasNumeric ? numericValue : parseNumericValue(); }
    std::string str() const { return getStringValue(); }

    bool hasValue() const { return hasUniversal || platformStringValue || hasNumeric; }
    bool hasUniversalString() const { return hasUniversal; }
    bool hasPlatformString() const { return platformStringValue != nullptr; }
    bool hasNumericValue() const { return hasNumeric; }
    int32_t creatorTag() const { return whoCreatedThisString; }

    int32_t byteLength() const;
    int32_t characterLength() const;

    void concatenate(const CRString& other);
    void concatenate(const char* utf8);
    void concatenate(char byte);

    // Characters first .. first + count - 1 (0-based). An empty string (tag 99) when first is
    // beyond the text or count is 0; nullptr when this string has no value.
    std::unique_ptr<CRString> substring(int32_t first, int32_t count) const;
    // True when other occurs in this string, compared by code points.
    bool contain(const CRString& other) const;

    // Collation: 1 when a sorts before b, -1 when after, 0 when equal; empty texts sort last.
    static int32_t orderString(const char* a, const char* b, bool ignoreCase, bool ignoreAccents);
    static int32_t orderString(const CRString& a, const CRString& b, bool ignoreCase,
                               bool ignoreAccents);
    static bool equalString(const CRString& a, const CRString& b, bool ignoreCase,
                            bool ignoreAccents);
    static bool equalString(const CRString& a, const char* b, bool ignoreCase, bool ignoreAccents);

    // ASCII capitals of the universal form become small letters; the other forms are dropped.
    void toLower();

    // The base letter collation uses for a Latin-1 code; secondLetter is 0 unless the letter
    // stands for two (æ, ß, ð, þ).
    static int32_t stripCharacter(int32_t code, int32_t& secondLetter, bool& wasCapital,
                                  bool& hadAccent);
    // The code point of the UTF-8 sequence at bytes, and its length in bytes (0xD800, 4 for a
    // lead byte it does not know).
    static int32_t getNextUnicodeValue(const unsigned char* bytes, int32_t& length);

    // Volatile strings: handed to the calling thread's list, which garbageCollection (on that
    // thread) frees all at once.
    static CRString* addToGarbage(std::unique_ptr<CRString> string);
    static void garbageCollection();
    static std::size_t volatileStringCount();

    // The strings alive now, over every thread.
    static int64_t totalCRStringsInstantiated();

    void print() const;

private:
    void dropForms() {
        if (hasUniversal || platformStringValue)
            dropTextForms();
        hasNumeric = false;
        numericValue = 0;
    }
    void dropTextForms();
    int32_t parseNumericValue() const;
    void installUniversal(std::string value);
    void installPlatform(std::unique_ptr<std::string> value);

    // Largest first, so that a string (of which a document holds many) has no gaps.
    mutable std::string universalStringValue;
    mutable std::unique_ptr<std::string> platformStringValue; // null: no platform form
    mutable int32_t numericValue = 0;
    int32_t whoCreatedThisString = 0;
    mutable bool hasUniversal = false;
    mutable bool hasNumeric = false;
};
