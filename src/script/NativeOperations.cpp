#include "model/CTree.h"
#include "script/CMiddleInterface.h"
#include "script/NativeFunctions.h"
#include "storage/CRString.h"

#include <memory>

// The natives that change the trees. Every change goes through the undoable operations of the
// tree database, so it belongs to the undo step the menu command or hook opened.

namespace {

constexpr int32_t kLowestProjection = -1;
constexpr int32_t kHighestProjection = 2;

using RPairOperation = RErr (CTree::*)(int32_t, int32_t);
using RNewNodeOperation = RErr (CTree::*)(int32_t, int32_t&);

// Two nodes in, result 1 (0 when the operation fails).
RErr pairAction(CNativeCall& call, RPairOperation operation) {
    call.setResult(1);
    const int32_t first = call.node(1);
    const int32_t second = call.node(2);
    if (call.refused())
        return kNoErr;
    return call.actionResult((call.tree().*operation)(first, second));
}

// One node in, the node the operation made out.
RErr newNodeQuery(CNativeCall& call, RNewNodeOperation operation) {
    const int32_t node = call.node(1);
    if (call.refused())
        return kNoErr;
    int32_t made = 0;
    const RErr err = (call.tree().*operation)(node, made);
    return call.queryResult(err, made);
}

RErr apply(CNativeCall& call) {
    call.setResult(0);
    const int32_t first = call.node(1);
    const int32_t second = call.node(2);
    if (call.refused())
        return kNoErr;
    int32_t root = 0;
    const RErr err = call.tree().apply(first, second, root);
    return call.queryResult(err, root);
}

RErr compose(CNativeCall& call) {
    const int32_t first = call.node(1);
    const int32_t second = call.node(2);
    if (call.refused())
        return kNoErr;
    int32_t root = 0;
    const RErr err = call.tree().compose(first, second, root);
    return call.queryResult(err, root);
}

// A label the categorial parser cannot read is the script's mistake: a run-time error, and
// no answer.
RErr canCombine(CNativeCall& call, bool composing) {
    const int32_t first = call.node(1);
    const int32_t second = call.node(2);
    if (call.refused())
        return kNoErr;
    bool can = false;
    bool badLabel = false;
    const RErr err = composing ? call.tree().canCompose(first, second, can, badLabel)
                               : call.tree().canApply(first, second, can, badLabel);
    if (!err && badLabel) {
        call.reportRunTimeError(CMiddleInterface::kRunTimeInvalidCategoryLabel);
        return kNoErr;
    }
    return call.queryResult(err, can ? 1 : 0);
}

RErr canUnify(CNativeCall& call) {
    const int32_t first = call.node(1);
    const int32_t second = call.node(2);
    if (call.refused())
        return kNoErr;
    bool can = false;
    const RErr err = call.tree().canUnify(first, second, can);
    return call.queryResult(err, can ? 1 : 0);
}

RErr autoNodeLabel(CNativeCall& call) {
    call.setResult(1);
    const int32_t node = call.node(1);
    if (call.refused())
        return kNoErr;
    return call.actionResult(call.tree().autoNodeLabel(node));
}

// A root is already detached: it stays as it is.
RErr detach(CNativeCall& call) {
    call.setResult(1);
    const int32_t node = call.node(1);
    if (call.refused())
        return kNoErr;
    int32_t isRoot = 0;
    RErr err = call.tree().isRootNode(node, isRoot);
    if (!err && !isRoot)
        err = call.tree().detach(node);
    return call.actionResult(err);
}

RErr killNode(CNativeCall& call) {
    const int32_t node = call.node(1);
    if (call.refused())
        return kNoErr;
    int32_t isRoot = 0;
    RErr err = call.tree().isRootNode(node, isRoot);
    if (!err && !isRoot)
        err = call.tree().detach(node);
    if (!err)
        err = call.tree().killRootNode(node);
    return err;
}

RErr newIndex(CNativeCall& call) {
    std::unique_ptr<CRString> index;
    const RErr err = call.tree().newIndex(index);
    return call.queryResult(err, index.get());
}

RErr setNodeCategory(CNativeCall& call) {
    const int32_t node = call.node(1);
    int32_t category = 0;
    RErr err = call.tree().convertCategoryLabelToIndex(call.text(2), category);
    if (!err && category < 0)
        call.refuseWith(CMiddleInterface::kRunTimeInvalidCategory);
    if (err || call.refused())
        return err;
    return call.tree().setNodeCategory(node, category);
}

RErr setNodeLabel(CNativeCall& call) {
    call.setResult(1);
    const int32_t node = call.node(1);
    const CRString& text = call.text(2);
    if (call.refused())
        return kNoErr;
    return call.actionResult(call.tree().setNodeLabel(node, text));
}

RErr setNodeProjection(CNativeCall& call) {
    call.setResult(1);
    const int32_t node = call.node(1);
    const int32_t projection = call.number(2);
    if (projection < kLowestProjection || projection > kHighestProjection)
        call.refuseWith(CMiddleInterface::kRunTimeInvalidProjection);
    if (call.refused())
        return kNoErr;
    return call.actionResult(call.tree().setNodeProjection(node, projection));
}

RErr setOffendingNode(CNativeCall& call, bool single) {
    call.setResult(1);
    const int32_t node = call.node(1);
    if (call.refused())
        return kNoErr;
    RErr err = single ? call.tree().turnOffAllOffendingNodes() : kNoErr;
    if (!err)
        err = call.tree().setOffendingNodeValue(node, 1);
    return call.actionResult(err);
}

RErr turnOffOffendingNodes(CNativeCall& call) {
    call.setResult(1);
    return call.actionResult(call.tree().turnOffAllOffendingNodes());
}

RErr setSubscript(CNativeCall& call) {
    call.setResult(1);
    const int32_t node = call.node(1);
    const CRString& text = call.text(2);
    if (call.refused())
        return kNoErr;
    return call.actionResult(call.tree().setSubscript(node, &text));
}

RErr substitute(CNativeCall& call) {
    call.setResult(1);
    const int32_t root = call.node(1);
    const int32_t node = call.node(2);
    if (call.refused())
        return kNoErr;
    int32_t isRoot = 0;
    RErr err = call.tree().isRootNode(root, isRoot);
    if (!err && !isRoot)
        call.refuseWith(CMiddleInterface::kRunTimeNotARoot);
    if (err || call.refused())
        return call.actionResult(err);
    return call.actionResult(call.tree().substitute(root, node));
}

// Adjoins only where adjunction is possible; otherwise nothing changes and the answer is 0.
RErr tagAdjoin(CNativeCall& call) {
    const int32_t auxiliary = call.node(1);
    const int32_t node = call.node(2);
    if (call.refused())
        return kNoErr;
    int32_t can = 0;
    RErr err = call.tree().canTagAdjoin(auxiliary, node, can);
    if (!err && can)
        err = call.tree().tagAdjoin(auxiliary, node);
    call.setResult(!err && can ? 1 : 0);
    return err;
}

} // namespace

bool performOperationNative(int32_t number, CNativeCall& call, RErr& err) {
    switch (number) {
    case kNativeApply:
        err = apply(call);
        return true;
    case kNativeAttachDaughterToLeft:
        err = pairAction(call, &CTree::attachDaughterToLeft);
        return true;
    case kNativeAttachDaughterToRight:
        err = pairAction(call, &CTree::attachDaughterToRight);
        return true;
    case kNativeAutoNodeLabel:
        err = autoNodeLabel(call);
        return true;
    case kNativeCanApply:
        err = canCombine(call, false);
        return true;
    case kNativeCanCompose:
        err = canCombine(call, true);
        return true;
    case kNativeCanUnify:
        err = canUnify(call);
        return true;
    case kNativeCloneForAdjunction:
        err = newNodeQuery(call, &CTree::cloneForAdjunction);
        return true;
    case kNativeCompose:
        err = compose(call);
        return true;
    case kNativeCopyFeatures:
        err = pairAction(call, &CTree::copyFeatures);
        return true;
    case kNativeCopySubtree:
        err = pairAction(call, &CTree::copySubtree);
        return true;
    case kNativeCreateDaughterToLeft:
        err = newNodeQuery(call, &CTree::newDaughterToLeft);
        return true;
    case kNativeCreateDaughterToRight:
        err = newNodeQuery(call, &CTree::newDaughterToRight);
        return true;
    case kNativeDetach:
        err = detach(call);
        return true;
    case kNativeDetachClone:
        err = newNodeQuery(call, &CTree::detachClone);
        return true;
    case kNativeKillNode:
        err = killNode(call);
        return true;
    case kNativeMoveDaughters:
        err = pairAction(call, &CTree::moveDaughters);
        return true;
    case kNativeNewIndex:
        err = newIndex(call);
        return true;
    case kNativeSetNodeCategory:
        err = setNodeCategory(call);
        return true;
    case kNativeSetNodeLabel:
        err = setNodeLabel(call);
        return true;
    case kNativeSetNodeProjection:
        err = setNodeProjection(call);
        return true;
    case kNativeSetOffendingNode:
        err = setOffendingNode(call, false);
        return true;
    case kNativeSetSingleOffendingNode:
        err = setOffendingNode(call, true);
        return true;
    case kNativeSetSubscript:
        err = setSubscript(call);
        return true;
    case kNativeSubstitute:
        err = substitute(call);
        return true;
    case kNativeTagAdjoin:
        err = tagAdjoin(call);
        return true;
    case kNativeTurnOffOffendingNodes:
        err = turnOffOffendingNodes(call);
        return true;
    case kNativeUnify:
        err = pairAction(call, &CTree::unify);
        return true;
    default:
        return false;
    }
}
