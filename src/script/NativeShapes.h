#pragma once

#include "model/CTree.h"
#include "script/NativeFunctions.h"

#include <cstdint>

// The shapes many natives share, one function per tree operation: the native table names
// them with the operation, as in nodeRelation<&CTree::getMother>.

// One node in, the relation's node, number or truth value out.
template <RErr (CTree::*relation)(int32_t, int32_t&) const> RErr nodeRelation(CNativeCall& call) {
    const int32_t node = call.node(1);
    if (call.refused())
        return kNoErr;
    int32_t value = 0;
    const RErr err = (call.tree().*relation)(node, value);
    return call.queryResult(err, value);
}

// Two nodes in, a truth value out.
template <RErr (CTree::*relation)(int32_t, int32_t, int32_t&) const>
RErr pairRelation(CNativeCall& call) {
    const int32_t first = call.node(1);
    const int32_t second = call.node(2);
    if (call.refused())
        return kNoErr;
    int32_t value = 0;
    const RErr err = (call.tree().*relation)(first, second, value);
    return call.queryResult(err, value);
}

// Two nodes in, an action: the result stays 1 unless the operation fails.
template <RErr (CTree::*operation)(int32_t, int32_t)> RErr pairAction(CNativeCall& call) {
    const int32_t first = call.node(1);
    const int32_t second = call.node(2);
    if (call.refused())
        return kNoErr;
    return call.actionResult((call.tree().*operation)(first, second));
}

// One node in, the node the operation made out.
template <RErr (CTree::*operation)(int32_t, int32_t&)> RErr newNodeQuery(CNativeCall& call) {
    const int32_t node = call.node(1);
    if (call.refused())
        return kNoErr;
    int32_t made = 0;
    const RErr err = (call.tree().*operation)(node, made);
    return call.queryResult(err, made);
}
