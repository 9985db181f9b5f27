#pragma once

#include "script/CScriptNode.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

class CRString;
class CSymbol;

// Owns every node and literal text one compile makes, including those a failed compile
// leaves unattached; all of it goes at once with the compiled script. Trees of any depth
// are therefore freed without recursion.
class CScriptNodePool {
public:
    CScriptNodePool();
    ~CScriptNodePool();
    CScriptNodePool(const CScriptNodePool&) = delete;
    CScriptNodePool& operator=(const CScriptNodePool&) = delete;

    const CScriptNode* node(int32_t kind, const CScriptNode* left = nullptr,
                            const CScriptNode* right = nullptr);
    const CScriptNode* symbolLeaf(CSymbol* symbol, const CScriptNode* arguments = nullptr);
    const CScriptNode* textLeaf(const CRString* text);
    const CRString* keepText(std::unique_ptr<CRString> text);

    std::size_t nodeCount() const { return nodes.size(); }

private:
    std::deque<CScriptNode> nodes;
    std::vector<std::unique_ptr<CRString>> texts;
};
