#pragma once

#include "script/ScriptTokens.h"

#include <cstddef>
#include <cstdint>

// The shapes of the script language's text, before names are looked up: the one set of rules
// behind both the scanner and the editor's colouring. At each point the longest piece that a
// rule matches is taken; keywords and named constants are names here (ScriptWords tells them
// apart).
enum class RLexeme {
    End,            // no more text
    Blank,          // a run of spaces and tabs
    LineFeed,       // one line feed
    Comment,        // '#' up to, not including, the line feed
    Name,           // a letter, then letters and digits, a single hyphen between two of them
    Integer,        // an optional '-' right before one or more digits
    String,         // '"' ... '"' on one line
    UnclosedString, // '"' up to a line feed, which belongs to it
    Operator,       // ">=", "<=" or "<>"
    Character,      // any other single character
};

struct RLexemeSpan {
    RLexeme kind = RLexeme::End;
    std::size_t end = 0; // one past the last character of the piece
    int32_t code = 0;    // tGE, tLE or tNE for an operator; the character code for a character
};

inline bool isScriptLetter(uint32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

inline bool isScriptDigit(uint32_t c) {
    return c >= '0' && c <= '9';
}

inline bool isScriptNameCharacter(uint32_t c) {
    return isScriptLetter(c) || isScriptDigit(c);
}

// The piece of text that starts at position. at(i) gives the character at index i as an
// unsigned code, 0 past the end of the text.
template <class At> RLexemeSpan nextScriptLexeme(At&& at, std::size_t position) {
    RLexemeSpan span;
    const uint32_t c = at(position);
    std::size_t end = position + 1;
    if (c == 0) {
        span.end = position;
        return span;
    }
    if (c == ' ' || c == '\t') {
        while (at(end) == ' ' || at(end) == '\t')
            ++end;
        span.kind = RLexeme::Blank;
    } else if (c == '\n') {
        span.kind = RLexeme::LineFeed;
    } else if (c == '#') {
        // A comment: '#' cannot stand outside a string literal in a script without comments.
        for (uint32_t d = at(end); d != 0 && d != '\n'; d = at(++end)) {
        }
        span.kind = RLexeme::Comment;
    } else if (isScriptLetter(c)) {
        for (;;) {
            const uint32_t d = at(end);
            if (isScriptNameCharacter(d))
                ++end;
            else if (d == '-' && isScriptNameCharacter(at(end + 1)))
                end += 2;
            else
                break;
        }
        span.kind = RLexeme::Name;
    } else if (isScriptDigit(c) || (c == '-' && isScriptDigit(at(end)))) {
        while (isScriptDigit(at(end)))
            ++end;
        span.kind = RLexeme::Integer;
    } else if ((c == '>' && at(end) == '=') || (c == '<' && (at(end) == '=' || at(end) == '>'))) {
        const uint32_t next = at(end);
        span.code = c == '>' ? tGE : (next == '=' ? tLE : tNE);
        ++end;
        span.kind = RLexeme::Operator;
    } else if (c == '"') {
        uint32_t d = at(end);
        while (d != 0 && d != '"' && d != '\n')
            d = at(++end);
        if (d == 0) {
            // No closing quote before the end of the text: the quote stands alone.
            end = position + 1;
            span.kind = RLexeme::Character;
            span.code = static_cast<int32_t>(c);
        } else {
            ++end;
            span.kind = d == '"' ? RLexeme::String : RLexeme::UnclosedString;
        }
    } else {
        span.kind = RLexeme::Character;
        span.code = static_cast<int32_t>(c);
    }
    span.end = end;
    return span;
}
