// The natives that read the trees beyond the shared relation shapes of NativeShapes.h.

#include "model/CTree.h"
#include "script/NativeFunctions.h"
#include "storage/CRString.h"

#include <memory>

// Each checks its node arguments and passes the relation's output on as its result.

// The name of the node's category, "None" without one. A number that is not a node is left
// for the tree database to report: the result stays 0.
RErr nativeCategory(CNativeCall& call) {
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

namespace {

RErr labelOrSubscript(CNativeCall& call, bool subscript) {
    const int32_t node = call.node(1);
    if (call.refused())
        return kNoErr;
    const CRString* text = nullptr;
    const RErr err =
        subscript ? call.tree().getSubscript(node, text) : call.tree().getLabel(node, text);
    return call.queryResult(err, text);
}

} // namespace

RErr nativeLabel(CNativeCall& call) {
    return labelOrSubscript(call, false);
}

RErr nativeGetSubscript(CNativeCall& call) {
    return labelOrSubscript(call, true);
}

RErr nativeIsMainTerminalNode(CNativeCall& call) {
    const int32_t node = call.node(1);
    if (call.refused())
        return kNoErr;
    int32_t value = 0;
    const RErr err = call.tree().isMainTerminalNode(node, true, value);
    return call.queryResult(err, value);
}

RErr nativeNextNode(CNativeCall& call) {
    const int32_t node = call.node(1);
    if (call.refused())
        return kNoErr;
    int32_t next = 0;
    const RErr err = call.tree().getNextNode(node, 0, next);
    return call.queryResult(err, next);
}

RErr nativeSubtreeTerminalString(CNativeCall& call) {
    const int32_t node = call.node(1);
    if (call.refused())
        return kNoErr;
    std::unique_ptr<CRString> text;
    const RErr err = call.tree().subtreeTerminalString(node, text);
    return call.queryResult(err, text.get());
}

RErr nativeTerminalString(CNativeCall& call) {
    std::unique_ptr<CRString> text;
    const RErr err = call.tree().terminalString(text);
    return call.queryResult(err, text.get());
}

RErr nativeHowManyRootNodes(CNativeCall& call) {
    int32_t count = 0;
    const RErr err = call.tree().howManyRootNodes(count);
    return call.queryResult(err, count);
}

RErr nativeSelection(CNativeCall& call) {
    int32_t node = 0;
    const RErr err = call.tree().selection(node);
    return call.queryResult(err, node);
}
