#pragma once

#include <cstdint>
#include <string_view>

// The script language's reserved words: the keywords with their token codes and the named
// constants (colour numbers and text-style bits) with their values. The scanner and the
// editor's colouring both read them here, so the two can never disagree.
struct RScriptWord {
    const char* spelling;
    int32_t value;
};

// nullptr when the text is not a keyword; keywords are matched exactly, in lower case only.
const RScriptWord* findScriptKeyword(std::string_view text);
// nullptr when the text is not a named constant.
const RScriptWord* findScriptNamedConstant(std::string_view text);
