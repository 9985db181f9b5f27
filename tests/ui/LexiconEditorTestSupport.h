#pragma once

#include "UiTestSupport.h"

#include <cstdint>
#include <string>
#include <vector>

class CLexicalItemsDialog;
class CTree;

// Every cell a user's change can reach, string cells by their text: records in use (not the
// free ones) and every attribute but those written directly (selection and offending marks,
// sorters, layout results, positions).
std::vector<std::string> databaseSnapshot(CTree& tree);
std::string cellText(CTree& tree, int32_t record, int32_t attribute);
int32_t cellValue(CTree& tree, int32_t record, int32_t attribute);

// An application with a grammar open in the lexicon editor.
class EditorTest : public AppTest {
protected:
    // Builds `text` into a grammar, selects it and opens it for authoring; with no text, a
    // new grammar.
    void openGrammar(const std::string& text = std::string());
    CLexicalItemsDialog& editor();
    CTree& tree();
    // The word of the list whose citation form is `cited`; 0 when none.
    int32_t word(const std::string& cited);
    // The node of the selected word's tree labelled `label`, in pre-order; 0 when none.
    int32_t node(const std::string& label);
    // Undoes and redoes the last step, comparing the whole database with `before` and
    // `after` (the state now).
    void expectUndoRedo(const std::vector<std::string>& before);
    // Undoes every step there is, through the editor.
    void undoAll();
};
