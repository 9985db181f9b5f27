#pragma once

#include "base/ErrorCodes.h"
#include "cli/GrammarText.h"

#include <string>

class CTree;

// Writes a grammar or document in the text form (.rgt): the header, the words sorted by
// citation form, the work-area trees in root-list order and the script, with {...} only
// where a value differs from what the label implies or from the default. Reading the text
// back and writing it again gives the same text.
class GrammarTextWriter {
public:
    // Reads what the text form holds from the database.
    RErr extract(CTree& tree, RGrammarText& grammar);
    // Prints the text form.
    std::string format(const RGrammarText& grammar) const;
    // Both.
    RErr write(CTree& tree, std::string& text);
};
