#pragma once

#include "cli/GrammarText.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CTree;

// What the text form is built into: a grammar holds words only; a document is made as New
// makes it from a grammar (the words prepared for student mode), then gets its trees.
enum class RTextTarget { Grammar, Document };

// Why a text could not be read: the 1-based line and the message.
struct RTextError {
    int32_t line = 0;
    std::string message;
    // "FILE:LINE: message".
    std::string describe(const std::string& file) const;
};

// Reads the text form (.rgt): parses the whole text first, so that a bad line stops the
// build before anything is made, then builds the database through the ordinary CTree
// operations inside one undo list and clears the history.
class GrammarTextReader {
public:
    // folder: where "script-file:" names are looked up (the text file's folder).
    GrammarTextReader(RTextTarget target, std::string folder);

    // Parses the text; on failure gives false and fills error.
    bool parse(const std::string& text, RGrammarText& grammar, RTextError& error);
    // Builds a new database from parsed text; on failure gives false, fills error and
    // leaves `tree` empty.
    bool build(RGrammarText& grammar, std::unique_ptr<CTree>& tree, RTextError& error);
    // Both steps.
    bool read(const std::string& text, std::unique_ptr<CTree>& tree, RTextError& error);

private:
    RTextTarget target;
    std::string folder;
};

// Reads a whole file, line ends CR LF or LF, as the text form and builds it; the error's
// line is 0 when the file itself cannot be read.
bool readGrammarTextFile(const std::string& path, RTextTarget target, std::unique_ptr<CTree>& tree,
                         RTextError& error);
