#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What a piece of one line of script is, for colouring it in the editor. The pieces come from
// the scanner's own rules and word tables, so the colours follow the language exactly.
enum class RScriptColour {
    Keyword,
    NamedConstant, // a colour or style word: "red", "bold", ...
    Number,
    String,
    Comment,
    NativeFunction,
    Hook,    // a name the program calls: "open", "drag-completed", ...
    Invalid, // a character that no script may hold outside a string literal or comment
};

struct RScriptColourSpan {
    std::size_t start = 0;
    std::size_t length = 0;
    RScriptColour colour = RScriptColour::Keyword;
};

// The coloured pieces of one line (without its line feed), left to right; plain names, blanks
// and operators are left out. A string literal left open at the end of the line is a string,
// as the scanner reads it.
void colourScriptLine(const char16_t* text, std::size_t length,
                      std::vector<RScriptColourSpan>& spans);
void colourScriptLine(const std::string& text, std::vector<RScriptColourSpan>& spans);
