#pragma once

#include <string>

// What the file operations ask of the window: to show which grammar is the current one.
class RGrammarLabel {
public:
    virtual ~RGrammarLabel() = default;
    // `valid` false: there is no current grammar and `grammarPath` means nothing.
    virtual void setGrammarLabel(const std::string& grammarPath, bool valid) = 0;
};
