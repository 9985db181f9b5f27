#pragma once

#include "ModelTestSupport.h"

#include <functional>
#include <sstream>

// Runs "operation argument ..." where each argument is a node's label, a number, an attribute's
// name (for "cell") or, after a quote, a text; `answer` receives what the operation makes, finds
// or answers, a node as its label.
inline RErr runCall(CTree& tree, const std::map<std::string, int32_t>& nodes,
                    const std::string& call, std::string& answer) {
    static const std::map<std::string, int32_t> attributes = {
        {"color", kAttrColor},
        {"dirty", kAttrDirty},
        {"style", kAttrTextStyle},
        {"selected", kAttrSelected},
        {"category", kAttrCategory},
        {"projection", kAttrProjection},
        {"subscript", kAttrSubscript},
        {"previousRoot", kAttrPreviousRoot},
        {"mother", kAttrMother},
        {"relH", kAttrRelativeH},
        {"relV", kAttrRelativeV},
        {"absH", kAttrAbsoluteH},
        {"absV", kAttrAbsoluteV},
        {"footNode", kAttrFootNode},
        {"nextWord", kAttrNextWordInCategory},
        {"sortParent", kAttrSortParent},
        {"nextSister", kAttrNextSister},
        {"wordCounter", kHdrWordNameCounter},
        {"categoryCounter", kHdrCategoryNameCounter},
        {"featureCounter", kHdrFeatureNameCounter},
        {"isMainTerminal", kAttrIsMainTerminal},
        {"type", kAttrType},
        {"triangle", kAttrTriangle},
        {"depth", kAttrFishSpineDepth},
        {"offending", kAttrOffending},
        {"xOffset", kAttrXOffset},
        {"rectRight", kAttrNodeRectRight},
    };
    std::istringstream words(call);
    std::string name, word;
    words >> name;
    std::vector<int32_t> n;
    std::unique_ptr<CRString> text;
    while (words >> word)
        if (word[0] == '\'')
            text = std::make_unique<CRString>(word.substr(1), 1);
        else
            n.push_back(nodes.count(word)        ? nodes.at(word)
                        : attributes.count(word) ? attributes.at(word)
                                                 : std::stoi(word));
    n.resize(3, 0);
    const int32_t a = n[0], b = n[1];
    const CRString* t = text.get();
    const auto label = [&](int32_t value) {
        for (const auto& [key, record] : nodes)
            if (record == value && value != 0)
                return key;
        return std::to_string(value);
    };
    int32_t value = 0;
    bool yes = false;
    const CRString* found = nullptr;
    // Each gives the call's error, keeping its answer.
    const auto number = [&](RErr err) { return answer = label(value), err; };
    const auto boolean = [&](RErr err) { return answer = std::to_string(yes), err; };
    const auto string = [&](RErr err) { return answer = str(found), err; };
    using RGetter = RErr (CTree::*)(int32_t, int32_t&) const;
    const auto get = [&](RGetter getter) {
        return [&, getter] { return number((tree.*getter)(a, value)); };
    };
    using RText = RErr (CTree::*)(int32_t, const CRString*&);
    const auto getText = [&](RText getter) {
        return [&, getter] { return string((tree.*getter)(a, found)); };
    };
    // The names of a list in order, or of each slot's feature ("-" for none), joined by commas.
    const auto names = [&] {
        RErr err = tree.getFirstName(a, value);
        for (int guard = 0; value != 0 && !err && guard < 100; ++guard) {
            err = firstError({tree.getNameString(value, found), tree.getNextName(value, value)});
            answer += (answer.empty() ? "" : ",") + str(found);
        }
        return err;
    };
    const auto owners = [&] {
        RErr err = kNoErr;
        for (int32_t slot = kFirstFeatureSlot; slot <= tree.attributeCount() && !err; ++slot) {
            err = tree.convertAttributeIndexToFeatureRecord(slot, value);
            if (!err && value != 0)
                err = tree.getNameString(value, found);
            answer += (answer.empty() ? "" : ",") + (value ? str(found) : "-");
        }
        return err;
    };
    const auto sorted = [&] {
        std::vector<int32_t> array;
        const RErr err = tree.getSortedList(a, array);
        for (const int32_t record : array)
            answer += (answer.empty() ? "" : ",") + label(record);
        return err;
    };
    std::unique_ptr<CRString> made;
    const auto terminals = [&](RErr err) { return answer = "[" + str(made.get()) + "]", err; };
    // canApply or canCompose as "can,error", or "?" when an answer was left as it was before.
    using RCan = RErr (CTree::*)(int32_t, int32_t, bool&, bool&);
    const auto can = [&](RCan canDo) {
        return [&, canDo] {
            std::string both[2];
            RErr err = kNoErr;
            for (const bool start : {false, true}) {
                bool error = start;
                yes = start;
                err = firstError({err, (tree.*canDo)(a, b, yes, error)});
                both[start] = std::to_string(yes) + "," + std::to_string(error);
            }
            return answer = both[0] == both[1] ? both[0] : "?", err;
        };
    };
    const std::map<std::string, std::function<RErr()>> calls = {
        {"canApply", can(&CTree::canApply)},
        {"canCompose", can(&CTree::canCompose)},
        {"names", names},
        {"owners", owners},
        {"sorted", sorted},
        {"newName",
         [&] {
             return number(
                 firstError({tree.newName(a, value), t ? tree.setMainString(value, *t) : kNoErr}));
         }},
        {"removeName", [&] { return tree.removeName(a); }},
        {"makeName", [&] { return tree.makeArbitraryName(a); }},
        {"name", getText(&CTree::getNameString)},
        {"firstName", [&] { return number(tree.getFirstName(a, value)); }},
        {"nextName", [&] { return number(tree.getNextName(a, value)); }},
        {"blessed", [&] { return number(tree.getBlessedCategory(value)); }},
        {"type", [&] { return number(tree.getRecordType(a, value)); }},
        {"freeList", [&] { return number(tree.getRootOfList(kHdrFirstUnusedRecord, value)); }},
        {"slotOf", [&] { return number(tree.convertToAttributeIndex(a, value)); }},
        {"featureOf", [&] { return number(tree.convertAttributeIndexToFeatureRecord(a, value)); }},
        {"value", [&] { return string(tree.getAuthorFeatureValue(a, b, found)); }},
        {"deallocate", [&] { return tree.deallocateAttribute(a); }},
        {"zeroOut", [&] { return tree.zeroOutAttribute(a); }},
        {"data", [&] { return tree.dataTask(a, b, n[2]); }},
        {"categoryOf", [&] { return number(tree.convertCategoryLabelToIndex(*t, value)); }},
        {"isCategory", [&] { return boolean(tree.validateCategory(a, yes)); }},
        {"checkCategory", [&] { return tree.validateCategoryWithError(a); }},
        {"inUse", [&] { return boolean(tree.categoryIsInUse(a, yes)); }},
        {"firstWord", [&] { return number(tree.getFirstWordInCategory(a, value)); }},
        {"nextWord", get(&CTree::getNextWordInCategory)},
        {"attachLeft", [&] { return tree.attachDaughterToLeft(a, b); }},
        {"attachRight", [&] { return tree.attachDaughterToRight(a, b); }},
        {"detach", [&] { return tree.detach(a); }},
        {"detachClone", [&] { return number(tree.detachClone(a, value)); }},
        {"moveDaughters", [&] { return tree.moveDaughters(a, b); }},
        {"substitute", [&] { return tree.substitute(a, b); }},
        {"canTagAdjoin", [&] { return number(tree.canTagAdjoin(a, b, value)); }},
        {"tagAdjoin", [&] { return tree.tagAdjoin(a, b); }},
        {"cloneForAdjunction", [&] { return number(tree.cloneForAdjunction(a, value)); }},
        {"copySubtree", [&] { return tree.copySubtree(a, b); }},
        {"apply", [&] { return number(tree.apply(a, b, value)); }},
        {"compose", [&] { return number(tree.compose(a, b, value)); }},
        {"canDelete", [&] { return boolean(tree.canDeleteNode(a, yes)); }},
        {"deleteNode", [&] { return number(tree.deleteNode(a, value)); }},
        {"kill", [&] { return tree.killRootNode(a); }},
        {"killWithoutDetaching", [&] { return tree.killNodeWithoutDetaching(a); }},
        {"cloneTree", [&] { return number(tree.cloneTree(a, value)); }},
        {"removeFromRootList", [&] { return tree.removeNodeFromRootList(a); }},
        {"addToRootList", [&] { return tree.addNodeToRootList(a); }},
        {"newRoot", [&] { return number(tree.newRoot(value)); }},
        {"newDaughterLeft", [&] { return number(tree.newDaughterToLeft(a, value)); }},
        {"newDaughterRight", [&] { return number(tree.newDaughterToRight(a, value)); }},
        {"treeDirty", [&] { return tree.treeDirty(a); }},
        {"setSubscript", [&] { return tree.setSubscript(a, t); }},
        {"setCitation", [&] { return tree.setCitationForm(a, t); }},
        {"setWordCategory", [&] { return tree.setWordCategory(a, b); }},
        {"setMainTerminal", [&] { return tree.setMainTerminalNode(a, b); }},
        {"setFoot", [&] { return tree.setFootNode(a, b); }},
        {"setLowestSpine", [&] { return tree.setLowestXBarSpineNode(a, b); }},
        {"setBelongsToSpine", [&] { return tree.setBelongsToXBarSpine(a); }},
        {"setWhereIsTree", [&] { return tree.setWhereIsTree(a, b); }},
        {"moveRootInfo", [&] { return tree.moveRootInfo(a, b); }},
        {"setOffending", [&] { return tree.setOffendingNodeValue(a, b); }},
        {"turnOffAllOffending", [&] { return tree.turnOffAllOffendingNodes(); }},
        {"setColor", [&] { return tree.setColor(a, b); }},
        {"addStyle", [&] { return tree.addTextAttribute(a, b); }},
        {"hasStyle", [&] { return number(tree.hasTextAttribute(a, b, value)); }},
        {"verifyNode", [&] { return number((value = tree.verifyNode(a), kNoErr)); }},
        {"validateNode", [&] { return tree.validateNodeWithError(a); }},
        {"validateRoot", [&] { return tree.validateRootWithError(a); }},
        {"firstRoot", [&] { return number(tree.getFirstRoot(value)); }},
        {"nextRoot", get(&CTree::getNextRoot)},
        {"findRoot", get(&CTree::findRoot)},
        {"mother", get(&CTree::getMother)},
        {"first", get(&CTree::getLeftmostDaughter)},
        {"last", get(&CTree::getRightmostDaughter)},
        {"previous", get(&CTree::getPreviousSister)},
        {"next", get(&CTree::getNextSister)},
        {"daughters", get(&CTree::howManyDaughters)},
        {"nextNode", [&] { return number(tree.getNextNode(a, b, value)); }},
        {"offending", get(&CTree::getOffendingNodeValue)},
        {"color", get(&CTree::getColor)},
        {"wordCategory", get(&CTree::getWordCategory)},
        {"mainTerminal", get(&CTree::getMainTerminalNode)},
        {"foot", get(&CTree::getFootNode)},
        {"lowestSpine", get(&CTree::getLowestXBarSpineNode)},
        {"belongsToSpine", get(&CTree::getBelongsToXBarSpine)},
        {"whereIsTree", get(&CTree::getWhereIsTree)},
        {"label", getText(&CTree::getLabel)},
        {"subscript", getText(&CTree::getSubscript)},
        {"citation", getText(&CTree::getCitationForm)},
        {"setSelected", [&] { return tree.setSelectedValue(a, b); }},
        {"poke", [&] { return tree.tablet().setValue(a, b, n[2]); }}, // layout's own writes
        {"assign", [&] { return tree.attributeAssignment(a, b, t); }},
        {"text", [&] { return string(tree.getAnyString(a, b, found)); }},
        {"canUnify", [&] { return boolean(tree.canUnify(a, b, yes)); }},
        {"unify", [&] { return tree.unify(a, b); }},
        {"copyFeatures", [&] { return tree.copyFeatures(a, b); }},
        {"setLabel", [&] { return tree.setNodeLabel(a, *t); }},
        {"setCategory", [&] { return tree.setNodeCategory(a, b); }},
        {"setProjection", [&] { return tree.setNodeProjection(a, b); }},
        {"autoLabel", [&] { return tree.autoNodeLabel(a); }},
        {"setPref", [&] { return tree.setDrawingPref(a, b, t); }},
        {"prefs", // padding, line height, vertical padding, thickness, font size and face
         [&] {
             int32_t p[5] = {};
             const RErr err = tree.getDrawingPrefs(p[0], p[1], p[2], p[3], p[4], found);
             return answer = joined(p, ",") + "," + str(found), err;
         }},
        {"qtree", [&] { return tree.makeQTreeForThisNodeAndBelow(a, answer); }},
        {"newRecord", [&] { return number(tree.newRecord(value, kRecordNode)); }},
        {"discard", [&] { return tree.discardRecord(a); }},
        {"kind",
         [&] {
             return firstError(
                 {tree.dataTask(a, kAttrCategory, b), tree.dataTask(a, kAttrProjection, n[2])});
         }},
        {"stray", // a node that names its mother without being one of her daughters
         [&] {
             return firstError(
                 {tree.newRecord(value, kRecordNode), tree.dataTask(value, kAttrMother, a)});
         }},
        {"search", [&] { return number(tree.searchForSpecOrComplement(a, b, value)); }},
        {"footOf", get(&CTree::foot)},
        {"isFoot", get(&CTree::isFoot)},
        {"headOf", get(&CTree::head)},
        {"isMainTerminal", [&] { return number(tree.isMainTerminalNode(a, b, value)); }},
        {"selection", [&] { return number(tree.selection(value)); }},
        {"rootCount", [&] { return number(tree.howManyRootNodes(value)); }},
        {"terminals", [&] { return terminals(tree.subtreeTerminalString(a, made)); }},
        {"allTerminals", [&] { return terminals(tree.terminalString(made)); }},
        {"precede", [&] { return number(tree.precede(a, b, value)); }},
        {"lowestCommon", [&] { return number(tree.findLowestCommonDominator(a, b, value)); }},
        {"spine", [&] { return number((value = tree.fishSpine(a) != nullptr, kNoErr)); }},
        {"cell", [&] { return number((value = tree.tablet().cell(a, b), kNoErr)); }},
    };
    const auto entry = calls.find(name);
    EXPECT_NE(entry, calls.end()) << "no call " << name;
    return entry == calls.end() ? kErrGeneral : entry->second();
}

// A report as "function" for an invalid parameter of a CTree function, otherwise whole.
inline std::string shortReport(const std::string& report) {
    const std::string prefix = "CTree::", suffix = " (invalid parameter)";
    const bool mine = report.rfind(prefix, 0) == 0 && report.size() > suffix.size() &&
                      report.compare(report.size() - suffix.size(), suffix.size(), suffix) == 0;
    return mine ? report.substr(prefix.size(), report.size() - prefix.size() - suffix.size())
                : report;
}

// Runs the calls ("call; call ...") in order, each one's answer ("-" for none), or "!" and its
// newest report when refused, joined to `answers`. A call that succeeds reports nothing.
inline RErr runCalls(CTree& tree, const std::map<std::string, int32_t>& nodes,
                     const std::string& calls, std::string& answers,
                     const RecordingPlatform& recorder) {
    std::istringstream parts(calls);
    RErr first = kNoErr;
    for (std::string part, answer; std::getline(parts, part, ';'); answer.clear()) {
        const std::size_t earlier = recorder.bugReports().size();
        const RErr err = runCall(tree, nodes, part, answer);
        const RReports reports = recorder.bugReports();
        EXPECT_TRUE(err || reports.size() == earlier) << part << " reported " << reports.back();
        answers += " " + (err ? "!" + shortReport(reports.empty() ? "" : reports.back())
                          : answer.empty() ? "-"
                                           : answer);
        first = first ? first : err;
    }
    return first;
}

// Builds the trees of `setup` (separated by ";", each a new root, or a call when it starts
// with "."), each as one step.
inline void buildSetup(CTree& tree, std::map<std::string, int32_t>& nodes,
                       const std::string& setup) {
    std::istringstream parts(setup);
    int32_t root = 0;
    std::string ignored;
    for (std::string part; std::getline(parts, part, ';');)
        ASSERT_EQ(inStep(tree, kLabelNewTree,
                         [&] {
                             const std::size_t dot = part.find('.');
                             return dot != std::string::npos
                                        ? runCall(tree, nodes, part.substr(dot + 1), ignored)
                                        : buildTree(tree, part, root, nodes);
                         }),
                  kNoErr)
            << part;
}

struct RCallRow {
    const char *setup, *call, *after;
};

// Builds the trees of `setup` in a new grammar, then runs the calls as one step. An `after` of
// "!report" means the step is refused with that report (a bare name stands for "CTree::name
// (invalid parameter)") and changes nothing; "=answers" means the calls are queries that change
// nothing and give those answers ("!report" for a refused one). Otherwise the step undoes and
// redoes exactly, leaves the root list `after`, no report and no node outside the trees; calls
// after a "?" are then asked, and their answers follow the root list after " =" (an empty root
// list leaves only the space).
inline void expectCall(const RCallRow& row) {
    SCOPED_TRACE(std::string(row.setup) + " / " + row.call);
    RecordingPlatformScope platform;
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    std::map<std::string, int32_t> nodes;
    ASSERT_NO_FATAL_FAILURE(buildSetup(tree, nodes, row.setup));
    const std::string call = row.call, after = row.after;
    const std::size_t mark = call.find('?');
    std::string answers;
    const auto run = [&] {
        return runCalls(tree, nodes, call.substr(0, mark), answers, platform.recorder);
    };
    const DatabaseState before = captureState(tree);
    if (after[0] == '!' || after[0] == '=') {
        const RErr code = after[0] == '='                                    ? kNoErr
                          : after.find("general error") != std::string::npos ? kErrGeneral
                                                                             : kErrInvalidParameter;
        const auto body = [&] { return after[0] == '=' ? (run(), kNoErr) : run(); };
        EXPECT_EQ(inStep(tree, kLabelMenu, body), code);
        EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
        EXPECT_EQ((after[0] == '=' ? "=" : "") + answers.substr(1), after);
        return;
    }
    expectStepUndoesAndRedoes(tree, run);
    std::string queries;
    if (mark != std::string::npos) {
        EXPECT_EQ(runCalls(tree, nodes, call.substr(mark + 1), queries, platform.recorder), kNoErr);
    }
    EXPECT_EQ(describeRootList(tree) + (queries.empty() ? "" : " =" + queries.substr(1)), after);
    EXPECT_EQ(platform.recorder.bugReports(), RReports{});
    // A root taken off the list, or a bare new record, is the caller's to place.
    if (call.rfind("removeFromRootList", 0) != 0 && call.rfind("newRecord", 0) != 0) {
        EXPECT_EQ(countRecords(tree, kRecordNode), countAllNodes(tree))
            << "a node left out of the trees";
    }
}

inline void expectCalls(std::initializer_list<RCallRow> rows) {
    for (const RCallRow& row : rows)
        expectCall(row);
}
