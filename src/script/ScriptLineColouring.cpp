#include "script/ScriptLineColouring.h"

#include "script/CScript.h"
#include "script/NativeFunctionTable.h"
#include "script/ScriptLexemes.h"
#include "script/ScriptWords.h"

#include <cstring>

namespace {

// The characters a script uses as operators and punctuation.
bool isOperatorCharacter(int32_t code) {
    return code > 0 && code < 128 && std::strchr("=><&+-*/%(),", static_cast<char>(code));
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Names are looked up ignoring letter case, as the symbol table does.
bool isNativeFunctionName(const std::string& lower) {
    for (int32_t number = 1; number <= kNativeFunctionCount; ++number)
        if (lower == nativeFunction(number)->name)
            return true;
    return false;
}

void addSpan(std::vector<RScriptColourSpan>& spans, std::size_t start, std::size_t end,
             RScriptColour colour) {
    // Neighbouring invalid characters (the bytes of one accented letter) make one piece.
    if (!spans.empty() && spans.back().colour == colour && colour == RScriptColour::Invalid &&
        spans.back().start + spans.back().length == start) {
        spans.back().length += end - start;
        return;
    }
    spans.push_back({start, end - start, colour});
}

template <class At>
void colourLine(At&& at, std::size_t length, std::vector<RScriptColourSpan>& spans) {
    spans.clear();
    std::size_t position = 0;
    while (position < length) {
        const RLexemeSpan span = nextScriptLexeme(at, position);
        if (span.kind == RLexeme::End)
            break;
        const std::size_t end = span.end > length ? length : span.end;
        switch (span.kind) {
        case RLexeme::Name: {
            std::string word;
            for (std::size_t i = position; i < end; ++i)
                word += static_cast<char>(at(i));
            std::string lower = word;
            for (char& c : lower)
                c = lowerAscii(c);
            if (findScriptKeyword(word))
                addSpan(spans, position, end, RScriptColour::Keyword);
            else if (findScriptNamedConstant(word))
                addSpan(spans, position, end, RScriptColour::NamedConstant);
            else if (CScript::hookNumber(lower))
                addSpan(spans, position, end, RScriptColour::Hook);
            else if (isNativeFunctionName(lower))
                addSpan(spans, position, end, RScriptColour::NativeFunction);
            break;
        }
        case RLexeme::Integer:
            addSpan(spans, position, end, RScriptColour::Number);
            break;
        case RLexeme::String:
        case RLexeme::UnclosedString:
            addSpan(spans, position, end, RScriptColour::String);
            break;
        case RLexeme::Comment:
            addSpan(spans, position, end, RScriptColour::Comment);
            break;
        case RLexeme::Character:
            if (!isOperatorCharacter(span.code))
                addSpan(spans, position, end, RScriptColour::Invalid);
            break;
        default:
            break;
        }
        position = span.end;
    }
}

} // namespace

void colourScriptLine(const char16_t* text, std::size_t length,
                      std::vector<RScriptColourSpan>& spans) {
    // The end of the line stands for its line feed, so a literal left open ends there.
    colourLine([text, length](std::size_t i) -> uint32_t { return i < length ? text[i] : '\n'; },
               length, spans);
}

void colourScriptLine(const std::string& text, std::vector<RScriptColourSpan>& spans) {
    colourLine(
        [&text](std::size_t i) -> uint32_t {
            return i < text.size() ? static_cast<unsigned char>(text[i]) : '\n';
        },
        text.size(), spans);
}
