#include "model/CTree.h"
#include "script/NativeFunctions.h"
#include "storage/CRString.h"

#include <array>
#include <memory>

// The natives that only read the trees: each checks its node arguments and passes the
// relation's output on as its result.

namespace {

using RUnaryRelation = RErr (CTree::*)(int32_t, int32_t&) const;
using RBinaryRelation = RErr (CTree::*)(int32_t, int32_t, int32_t&) const;

struct RUnaryEntry {
    int32_t number;
    RUnaryRelation relation;
};

struct RBinaryEntry {
    int32_t number;
    RBinaryRelation relation;
};

// One node in, a node, a number or a truth value out.
constexpr std::array<RUnaryEntry, 21> kUnaryRelations = {{
    {kNativeBottomMax, &CTree::bottomMax},
    {kNativeComplement, &CTree::complement},
    {kNativeFoot, &CTree::foot},
    {kNativeHasDaughters, &CTree::hasDaughters},
    {kNativeHead, &CTree::head},
    {kNativeHowManyDaughters, &CTree::howManyDaughters},
    {kNativeIsBranchingNode, &CTree::isBranchingNode},
    {kNativeIsFoot, &CTree::isFoot},
    {kNativeIsHead, &CTree::isHead},
    {kNativeIsLeftmostSister, &CTree::isLeftmostSister},
    {kNativeIsMaximalProjection, &CTree::isMaximalProjection},
    {kNativeIsRightmostSister, &CTree::isRightmostSister},
    {kNativeIsRootNode, &CTree::isRootNode},
    {kNativeLeftSister, &CTree::getPreviousSister},
    {kNativeLeftmostDaughter, &CTree::leftmostDaughter},
    {kNativeMother, &CTree::getMother},
    {kNativeProjection, &CTree::getProjection},
    {kNativeRightSister, &CTree::getNextSister},
    {kNativeRightmostDaughter, &CTree::getRightmostDaughter},
    {kNativeSpec, &CTree::spec},
    {kNativeTopMax, &CTree::topMax},
}};

// Two nodes in, a truth value out.
constexpr std::array<RBinaryEntry, 12> kBinaryRelations = {{
    {kNativeBelongToSameSpine, &CTree::belongToSameSpine},
    {kNativeCCommand, &CTree::cCommand},
    {kNativeCanTagAdjoin, &CTree::canTagAdjoin},
    {kNativeDominate, &CTree::dominate},
    {kNativeImmediatelyDominate, &CTree::immediatelyDominate},
    {kNativeIsComplementOf, &CTree::isComplementOf},
    {kNativeIsSisterOf, &CTree::isSisterOf},
    {kNativeIsSpecOf, &CTree::isSpecOf},
    {kNativeMCommand, &CTree::mCommand},
    {kNativeNonReflexiveDominate, &CTree::nonReflexiveDominate},
    {kNativePrecede, &CTree::precede},
    {kNativeSame, &CTree::same},
}};

RErr unaryRelation(CNativeCall& call, RUnaryRelation relation) {
    const int32_t node = call.node(1);
    if (call.refused())
        return kNoErr;
    int32_t value = 0;
    const RErr err = (call.tree().*relation)(node, value);
    return call.queryResult(err, value);
}

RErr binaryRelation(CNativeCall& call, RBinaryRelation relation) {
    const int32_t first = call.node(1);
    const int32_t second = call.node(2);
    if (call.refused())
        return kNoErr;
    int32_t value = 0;
    const RErr err = (call.tree().*relation)(first, second, value);
    return call.queryResult(err, value);
}

// The name of the node's category, "None" without one. A number that is not a node is left
// for the tree database to report: the result stays 0.
RErr category(CNativeCall& call) {
    call.setResult(0);
    const int32_t node = call.number(1);
    if (node == 0)
        return kNoErr;
    int32_t record = 0;
    RErr err = call.tree().getCategory(node, record);
    if (err)
        return err;
    if (record == 0) {
        call.setResult("None");
        return kNoErr;
    }
    const CRString* name = nullptr;
    err = call.tree().getNameString(record, name);
    return call.queryResult(err, name);
}

RErr label(CNativeCall& call, bool subscript) {
    const int32_t node = call.node(1);
    if (call.refused())
        return kNoErr;
    const CRString* text = nullptr;
    const RErr err =
        subscript ? call.tree().getSubscript(node, text) : call.tree().getLabel(node, text);
    return call.queryResult(err, text);
}

RErr isMainTerminalNode(CNativeCall& call) {
    const int32_t node = call.node(1);
    if (call.refused())
        return kNoErr;
    int32_t value = 0;
    const RErr err = call.tree().isMainTerminalNode(node, true, value);
    return call.queryResult(err, value);
}

RErr nextNode(CNativeCall& call) {
    const int32_t node = call.node(1);
    if (call.refused())
        return kNoErr;
    int32_t next = 0;
    const RErr err = call.tree().getNextNode(node, 0, next);
    return call.queryResult(err, next);
}

RErr subtreeTerminalString(CNativeCall& call) {
    const int32_t node = call.node(1);
    if (call.refused())
        return kNoErr;
    std::unique_ptr<CRString> text;
    const RErr err = call.tree().subtreeTerminalString(node, text);
    return call.queryResult(err, text.get());
}

RErr terminalString(CNativeCall& call) {
    std::unique_ptr<CRString> text;
    const RErr err = call.tree().terminalString(text);
    return call.queryResult(err, text.get());
}

RErr howManyRootNodes(CNativeCall& call) {
    int32_t count = 0;
    const RErr err = call.tree().howManyRootNodes(count);
    return call.queryResult(err, count);
}

RErr selection(CNativeCall& call) {
    int32_t node = 0;
    const RErr err = call.tree().selection(node);
    return call.queryResult(err, node);
}

} // namespace

bool performRelationNative(int32_t number, CNativeCall& call, RErr& err) {
    for (const RUnaryEntry& entry : kUnaryRelations) {
        if (entry.number == number) {
            err = unaryRelation(call, entry.relation);
            return true;
        }
    }
    for (const RBinaryEntry& entry : kBinaryRelations) {
        if (entry.number == number) {
            err = binaryRelation(call, entry.relation);
            return true;
        }
    }
    switch (number) {
    case kNativeCategory:
        err = category(call);
        return true;
    case kNativeLabel:
        err = label(call, false);
        return true;
    case kNativeGetSubscript:
        err = label(call, true);
        return true;
    case kNativeIsMainTerminalNode:
        err = isMainTerminalNode(call);
        return true;
    case kNativeNextNode:
        err = nextNode(call);
        return true;
    case kNativeSubtreeTerminalString:
        err = subtreeTerminalString(call);
        return true;
    case kNativeTerminalString:
        err = terminalString(call);
        return true;
    case kNativeHowManyRootNodes:
        err = howManyRootNodes(call);
        return true;
    case kNativeSelection:
        err = selection(call);
        return true;
    default:
        return false;
    }
}
