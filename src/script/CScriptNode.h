#pragma once

#include "storage/CRMemory.h"

#include <cstdint>
#include <string>

class CRString;
class CSymbol;

// One node of a compiled script's parse tree. An inner node has a kind (a token code or an
// RNodeKind) and up to two children; a leaf names a symbol or holds a literal's text. A call
// is a symbol leaf whose left child is its first argument cell. Nodes never change once
// built; the compiled script's node pool owns them and their texts.
class CScriptNode {
public:
    CScriptNode(int32_t kind, const CScriptNode* left, const CScriptNode* right);
    CScriptNode(CSymbol* symbol, const CScriptNode* left);
    explicit CScriptNode(const CRString* text);

    int32_t kind() const { return theKind; }
    const CScriptNode* left() const { return leftNode; }
    const CScriptNode* right() const { return rightNode; }
    CSymbol* symbol() const { return theSymbol; }
    const CRString* text() const { return theText; }
    bool isLeaf() const { return theSymbol || theText; }
    // True when running this subtree can give the status that leaves the current function:
    // it holds an "exit", an "if", "while" or "for every node" (which run statements), or a
    // "search upward". A called function's body is not part of the subtree. Children are
    // built before their parents, so this is known from the start.
    bool canLeaveFunction() const { return leavesFunction; }

    // The subtree as text, every operator application in parentheses, for tests and
    // debugging: "(a + (b * 2))", "[let x = 1; return x]".
    std::string debugString() const;

private:
    RObjectCounter<kKindCScriptNode> counter;
    int32_t theKind = 0;
    const CScriptNode* leftNode = nullptr;
    const CScriptNode* rightNode = nullptr;
    CSymbol* theSymbol = nullptr;
    const CRString* theText = nullptr;
    bool leavesFunction = false;
};
