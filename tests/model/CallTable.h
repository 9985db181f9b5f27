#pragma once

#include "ModelTestSupport.h"

#include <functional>
#include <sstream>

// Runs "operation argument ..." where each argument is a node's label or a number; `made`
// receives what the operation makes, finds or answers.
inline RErr runCall(CTree& tree, const std::map<std::string, int32_t>& nodes,
                    const std::string& call, int32_t& made) {
    std::istringstream words(call);
    std::string name, word;
    words >> name;
    std::vector<int32_t> n;
    while (words >> word)
        n.push_back(nodes.count(word) ? nodes.at(word) : std::stoi(word));
    n.resize(2, 0);
    const int32_t a = n[0], b = n[1];
    bool yes = false;
    const std::map<std::string, std::function<RErr()>> calls = {
        {"attachLeft", [&] { return tree.attachDaughterToLeft(a, b); }},
        {"attachRight", [&] { return tree.attachDaughterToRight(a, b); }},
        {"detach", [&] { return tree.detach(a); }},
        {"detachClone", [&] { return tree.detachClone(a, made); }},
        {"moveDaughters", [&] { return tree.moveDaughters(a, b); }},
        {"substitute", [&] { return tree.substitute(a, b); }},
        {"canTagAdjoin", [&] { return tree.canTagAdjoin(a, b, made); }},
        {"tagAdjoin", [&] { return tree.tagAdjoin(a, b); }},
        {"cloneForAdjunction", [&] { return tree.cloneForAdjunction(a, made); }},
        {"copySubtree", [&] { return tree.copySubtree(a, b); }},
        {"apply", [&] { return tree.apply(a, b, made); }},
        {"compose", [&] { return tree.compose(a, b, made); }},
        {"canDelete",
         [&] {
             const RErr err = tree.canDeleteNode(a, yes);
             made = yes;
             return err;
         }},
        {"deleteNode", [&] { return tree.deleteNode(a, made); }},
        {"kill", [&] { return tree.killRootNode(a); }},
        {"killWithoutDetaching", [&] { return tree.killNodeWithoutDetaching(a); }},
        {"cloneTree", [&] { return tree.cloneTree(a, made); }},
        {"setFoot", [&] { return tree.setFootNode(a, b); }},
        {"removeFromRootList", [&] { return tree.removeNodeFromRootList(a); }},
        {"addToRootList", [&] { return tree.addNodeToRootList(a); }},
    };
    return calls.at(name)();
}

// Builds the trees of `setup` (separated by ";", each a new root, or a call when it starts
// with ".") in a new grammar, then runs the call as one step. For an `after` of "!report" the
// step is refused with that report and changes nothing; for "=value" it answers the value and
// changes nothing; otherwise it undoes and redoes exactly, leaves the root list `after`, no
// report and no node outside the trees.
inline void expectCall(const char* setup, const char* call, const std::string& after) {
    SCOPED_TRACE(std::string(setup) + " / " + call);
    RecordingPlatformScope platform;
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    std::map<std::string, int32_t> nodes;
    std::istringstream parts(setup);
    int32_t made = 0;
    for (std::string part; std::getline(parts, part, ';');)
        ASSERT_EQ(inStep(tree, kLabelNewTree,
                         [&] {
                             const std::size_t dot = part.find('.');
                             return dot != std::string::npos
                                        ? runCall(tree, nodes, part.substr(dot + 1), made)
                                        : buildTree(tree, part, made, nodes);
                         }),
                  kNoErr)
            << part;
    made = -1;
    const auto run = [&] { return runCall(tree, nodes, call, made); };
    const DatabaseState before = captureState(tree);
    if (after[0] == '!' || after[0] == '=') {
        const RErr code = after[0] == '='                                    ? kNoErr
                          : after.find("general error") != std::string::npos ? kErrGeneral
                                                                             : kErrInvalidParameter;
        EXPECT_EQ(inStep(tree, kLabelMenu, run), code);
        EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
        const RReports reports = platform.recorder.bugReports();
        const std::string last = reports.empty() ? "" : reports.back();
        EXPECT_EQ(after[0] == '=' ? "=" + std::to_string(made) + last : "!" + last, after);
        return;
    }
    expectStepUndoesAndRedoes(tree, run);
    EXPECT_EQ(describeRootList(tree), after);
    EXPECT_EQ(platform.recorder.bugReports(), RReports{});
    // A root taken off the list is the caller's to place again.
    if (std::string(call).rfind("removeFromRootList", 0) != 0) {
        EXPECT_EQ(countRecords(tree, kRecordNode), countAllNodes(tree))
            << "a node left out of the trees";
    }
}
