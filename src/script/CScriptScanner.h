#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class CRString;
class CScript;
class CSymbol;
class CSymbolTable;

// What the scanner hands over with a token: the symbol of a name, or the new text of a
// literal or named constant.
struct RScannedToken {
    int32_t code = 0;
    CSymbol* symbol = nullptr;
    std::unique_ptr<CRString> text;
};

// Turns a script's text into tokens. It reads the text through CScript::yyinput, takes the
// longest piece that a rule matches (keywords and named constants before names), counts
// line feeds in the script's line counter, skips comments ('#' outside a string literal, to the
// end of the line), and classifies names through the symbol table, in the scope of the
// function being compiled first.
class CScriptScanner {
public:
    CScriptScanner();
    // Forgets all buffered text; the next token starts at the script's input cursor.
    void reset();
    // The next token; code 0 at the end of the text.
    void nextToken(CScript& script, CSymbolTable& table, RScannedToken& token);
    // True when the text holds nothing but blanks, line feeds and comments: such a script is
    // not parsed at all and defines nothing.
    static bool isBlankScript(const std::string& text);

private:
    // The byte at a buffer position, reading more text as needed; 0 past the end.
    char at(CScript& script, std::size_t index);
    // A keyword, a named constant or a name looked up in the symbol table.
    void scanName(CScript& script, CSymbolTable& table, const std::string& word,
                  RScannedToken& token);
    void classifyName(CScript& script, CSymbolTable& table, const std::string& name,
                      RScannedToken& token);

    std::string buffer;
    std::size_t position = 0;
    bool exhausted = false;
};
