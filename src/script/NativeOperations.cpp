// The natives that change the trees, beyond the shared shapes of NativeShapes.h.

#include "model/CTree.h"
#include "script/CMiddleInterface.h"
#include "script/NativeFunctions.h"
#include "storage/CRString.h"

#include <memory>

// Every change goes through the undoable operations of the tree database, so it belongs to
// the undo step the menu command or hook opened.

namespace {

constexpr int32_t kLowestProjection = -1;
constexpr int32_t kHighestProjection = 2;

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

RErr markOffending(CNativeCall& call, bool single) {
    const int32_t node = call.node(1);
    if (call.refused())
        return kNoErr;
    RErr err = single ? call.tree().turnOffAllOffendingNodes() : kNoErr;
    if (!err)
        err = call.tree().setOffendingNodeValue(node, 1);
    return call.actionResult(err);
}

} // namespace

RErr nativeApply(CNativeCall& call) {
    call.setResult(0);
    const int32_t first = call.node(1);
    const int32_t second = call.node(2);
    if (call.refused())
        return kNoErr;
    int32_t root = 0;
    const RErr err = call.tree().apply(first, second, root);
    return call.queryResult(err, root);
}

RErr nativeCompose(CNativeCall& call) {
    const int32_t first = call.node(1);
    const int32_t second = call.node(2);
    if (call.refused())
        return kNoErr;
    int32_t root = 0;
    const RErr err = call.tree().compose(first, second, root);
    return call.queryResult(err, root);
}

RErr nativeCanApply(CNativeCall& call) {
    return canCombine(call, false);
}

RErr nativeCanCompose(CNativeCall& call) {
    return canCombine(call, true);
}

RErr nativeCanUnify(CNativeCall& call) {
    const int32_t first = call.node(1);
    const int32_t second = call.node(2);
    if (call.refused())
        return kNoErr;
    bool can = false;
    const RErr err = call.tree().canUnify(first, second, can);
    return call.queryResult(err, can ? 1 : 0);
}

RErr nativeAutoNodeLabel(CNativeCall& call) {
    const int32_t node = call.node(1);
    if (call.refused())
        return kNoErr;
    return call.actionResult(call.tree().autoNodeLabel(node));
}

// A root is already detached: it stays as it is.
RErr nativeDetach(CNativeCall& call) {
    const int32_t node = call.node(1);
    if (call.refused())
        return kNoErr;
    int32_t isRoot = 0;
    RErr err = call.tree().isRootNode(node, isRoot);
    if (!err && !isRoot)
        err = call.tree().detach(node);
    return call.actionResult(err);
}

RErr nativeKillNode(CNativeCall& call) {
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

RErr nativeNewIndex(CNativeCall& call) {
    std::unique_ptr<CRString> index;
    const RErr err = call.tree().newIndex(index);
    return call.queryResult(err, index.get());
}

RErr nativeSetNodeCategory(CNativeCall& call) {
    const int32_t node = call.node(1);
    int32_t category = 0;
    RErr err = call.tree().convertCategoryLabelToIndex(call.text(2), category);
    if (!err && category < 0)
        call.refuseWith(CMiddleInterface::kRunTimeInvalidCategory);
    if (err || call.refused())
        return err;
    return call.tree().setNodeCategory(node, category);
}

RErr nativeSetNodeLabel(CNativeCall& call) {
    const int32_t node = call.node(1);
    const CRString& text = call.text(2);
    if (call.refused())
        return kNoErr;
    return call.actionResult(call.tree().setNodeLabel(node, text));
}

RErr nativeSetNodeProjection(CNativeCall& call) {
    const int32_t node = call.node(1);
    const int32_t projection = call.number(2);
    if (projection < kLowestProjection || projection > kHighestProjection)
        call.refuseWith(CMiddleInterface::kRunTimeInvalidProjection);
    if (call.refused())
        return kNoErr;
    return call.actionResult(call.tree().setNodeProjection(node, projection));
}

RErr nativeSetOffendingNode(CNativeCall& call) {
    return markOffending(call, false);
}

RErr nativeSetSingleOffendingNode(CNativeCall& call) {
    return markOffending(call, true);
}

RErr nativeTurnOffOffendingNodes(CNativeCall& call) {
    return call.actionResult(call.tree().turnOffAllOffendingNodes());
}

RErr nativeSetSubscript(CNativeCall& call) {
    const int32_t node = call.node(1);
    const CRString& text = call.text(2);
    if (call.refused())
        return kNoErr;
    return call.actionResult(call.tree().setSubscript(node, &text));
}

RErr nativeSubstitute(CNativeCall& call) {
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
RErr nativeTagAdjoin(CNativeCall& call) {
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
