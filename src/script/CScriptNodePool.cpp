#include "script/CScriptNodePool.h"

#include "script/CScriptNode.h"
#include "storage/CRString.h"

CScriptNodePool::CScriptNodePool() = default;

CScriptNodePool::~CScriptNodePool() = default;

const CScriptNode* CScriptNodePool::node(int32_t kind, const CScriptNode* left,
                                         const CScriptNode* right) {
    return &nodes.emplace_back(kind, left, right);
}

const CScriptNode* CScriptNodePool::symbolLeaf(CSymbol* symbol, const CScriptNode* arguments) {
    return &nodes.emplace_back(symbol, arguments);
}

const CScriptNode* CScriptNodePool::textLeaf(const CRString* text) {
    return &nodes.emplace_back(text);
}

const CRString* CScriptNodePool::keepText(std::unique_ptr<CRString> text) {
    texts.push_back(std::move(text));
    return texts.back().get();
}
