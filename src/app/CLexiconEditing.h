#pragma once

#include "base/ErrorCodes.h"

#include <cstdint>
#include <initializer_list>
#include <string>

class CTree;

// The user-interface task codes of the author side, recorded in the steps below.
enum RAuthorTask : int32_t {
    kTaskRebuildWords = 1,
    kTaskRebuildCategories = 2,
    kTaskRebuildFeatures = 3,
    kTaskInvalidateTree = 4,
    kTaskSelectNode = 5,
    kTaskSelectWord = 6,
    kTaskSelectCategory = 7,
    kTaskSelectFeature = 8,
    kTaskShowEditor = 10,
    kTaskShowCategories = 11,
    kTaskShowFeatures = 12,
    kTaskShowScript = 13,
    // The drawing settings changed: the port takes the grammar's font again and every tree is
    // laid out anew; the selections stay.
    kTaskRefreshDrawing = 14,
};

// Why Delete Node refused (no step was made, nothing is an error).
enum class RDeleteRefusal { None, FootNode, MainTerminalNode };

// The lexicon editor's changes to a grammar, each one whole undo step with the label and the
// user-interface tasks that put the editor's lists and selection back on undo and redo. A step
// that fails is closed as far as it got and the error is reported under the command's name.
class CLexiconEditing {
public:
    explicit CLexiconEditing(CTree& tree) : theCTree(tree) {}

    // Category: the blessed category, projection 0, the label made from them.
    RErr initializeNode(int32_t node);

    RErr newWord(int32_t previousWord, int32_t& root, int32_t& leaf);
    // The four-node spine of category c: XP, X', X and the terminal under them.
    RErr newXBarSpine(int32_t category, int32_t previousWord, int32_t& root, int32_t& terminal);
    RErr clearWord(int32_t word, int32_t nextWord);
    RErr duplicateWord(int32_t word, int32_t& copy, int32_t& copyMainTerminal);

    RErr createMother(int32_t node, int32_t& root);
    RErr createDaughter(int32_t node, bool toLeft, int32_t& daughter);
    RErr createSister(int32_t node, bool toLeft, int32_t& sister);
    // The foot and the main terminal node are refused (refusal set, no step).
    RErr deleteNode(int32_t word, int32_t node, RDeleteRefusal& refusal, int32_t& rootAfter);

    RErr changeWordCategory(int32_t word, int32_t category);
    RErr changeNodeType(int32_t word, int32_t node, int32_t category, int32_t projection);
    // value 0 clears the text style, 1, 2 or 4 adds that bit.
    RErr changeStyle(int32_t node, int32_t value);
    RErr changeColor(int32_t node, int32_t color);
    // Nothing at all (no step) when the node already is the word's main terminal or foot node.
    RErr setMainTerminal(int32_t word, int32_t node, bool& changed);
    RErr setFoot(int32_t word, int32_t node, bool& changed);

    // Size clamped to 8..144.
    RErr changeFont(const std::string& faceName, int32_t size);

private:
    // Opens a step; close() finishes it whatever happened and reports the first error.
    RErr open(int32_t label);
    RErr close(const char* name, RErr err);
    RErr task(int32_t code, int32_t undoIndex, int32_t doIndex);
    struct RTaskIndexes {
        int32_t code;
        int32_t undoIndex;
        int32_t doIndex;
    };
    // The tasks in order; the first error stops them.
    RErr tasks(std::initializer_list<RTaskIndexes> list);
    RErr setRootReference(bool foot, int32_t word, int32_t node, bool& changed);
    RErr changeLook(int32_t node, bool styleNotColor, int32_t value);
    RErr newArbitraryWordName(int32_t root, int32_t leaf);

    CTree& theCTree;
};
