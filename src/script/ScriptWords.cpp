#include "script/ScriptWords.h"

#include "script/ScriptTokens.h"

namespace {

constexpr RScriptWord kKeywords[] = {
    {"debug", tDEBUG},
    {"end", tEND},
    {"if", tIF},
    {"then", tTHEN},
    {"else", tELSE},
    {"while", tWHILE},
    {"for", tFOR},
    {"every", tEVERY},
    {"node", tNODE},
    {"dominated", tDOMINATED},
    {"by", tBY},
    {"define", tDEFINE},
    {"variable", tVARIABLE},
    {"variables", tVARIABLE},
    {"function", tFUNCTION},
    {"forward", tFORWARD},
    {"menu", tMENU},
    {"divider", tDIVIDER},
    {"search", tSEARCH},
    {"upward", tUPWARD},
    {"let", tLET},
    {"exit", tEXIT},
    {"and", tAND},
    {"or", tOR},
    {"not", tNOT},
    {"eq", tSTRING_EQUAL},
    {"ne", tSTRING_NOT_EQUAL},
    {"true", tTRUE},
    {"false", tFALSE},
    {"return", tRETURN},
};

// Colour numbers and text-style bits of the drawing layer.
constexpr RScriptWord kNamedConstants[] = {
    {"black", 1},    {"white", 2}, {"gray", 3},   {"red", 4},    {"orange", 5},
    {"yellow", 6},   {"green", 7}, {"blue", 8},   {"violet", 9}, {"cyan", 10},
    {"magenta", 11}, {"plain", 0}, {"italic", 1}, {"bold", 2},   {"underline", 4},
};

template <std::size_t N>
const RScriptWord* findWord(const RScriptWord (&words)[N], std::string_view text) {
    for (const RScriptWord& word : words)
        if (text == word.spelling)
            return &word;
    return nullptr;
}

} // namespace

const RScriptWord* findScriptKeyword(std::string_view text) {
    return findWord(kKeywords, text);
}

const RScriptWord* findScriptNamedConstant(std::string_view text) {
    return findWord(kNamedConstants, text);
}
