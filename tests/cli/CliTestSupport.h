#pragma once
// Header only, so that the sample tests share it without a library of their own.

#include "cli/CliCommand.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "support/TestData.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

struct CommandResult {
    int status = -1;
    std::string out;
    std::string err;
};

// `ramex-cli WORDS...` in-process: the command is found by name in the program's own list.
inline CommandResult cli(const std::vector<std::string>& words) {
    for (const CliCommand& command : cliCommands()) {
        if (words.at(0) != command.name)
            continue;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int status = command.run({words.begin() + 1, words.end()});
        std::cout.flush();
        const std::string out = testing::internal::GetCapturedStdout();
        return {status, out, testing::internal::GetCapturedStderr()};
    }
    ADD_FAILURE() << "no command " << words[0];
    return {};
}

// Builds the text into a grammar or document file (by the extension of `output`).
inline std::string built(const TempDir& dir, const std::string& output, const std::string& text) {
    writeTextFile(dir.file(output + ".rgt"), text);
    const CommandResult result = cli({"build", dir.file(output + ".rgt"), "-o", dir.file(output)});
    EXPECT_EQ(result.status, kExitSuccess) << result.err;
    return dir.file(output);
}

// A node on the work area, in the order "for every node" visits them.
struct RLabelledNode {
    std::string label;
    int32_t node;
    int32_t root;
    bool leaf;
};

inline std::vector<RLabelledNode> workAreaNodes(const std::string& path) {
    RecordingPlatformScope platform;
    std::unique_ptr<CTree> tree;
    testing::internal::CaptureStderr();
    const bool opened = openAnyFile(path, tree);
    const std::string reason = testing::internal::GetCapturedStderr();
    std::vector<RLabelledNode> nodes;
    EXPECT_TRUE(opened && tree) << reason;
    int32_t node = 0;
    if (!opened || tree->getFirstRoot(node) != kNoErr)
        return nodes;
    while (node != 0) {
        int32_t root = 0;
        int32_t where = 0;
        int32_t daughters = 0;
        const CRString* label = nullptr;
        const RErr err = tree->findRoot(node, root) || tree->getWhereIsTree(root, where) ||
                         tree->getLabel(node, label) || tree->hasDaughters(node, daughters);
        EXPECT_EQ(err, kNoErr);
        if (where == kTreeOnWorkArea && label != nullptr)
            nodes.push_back({label->str(), node, root, daughters == 0});
        if (err || tree->getNextNode(node, 0, node) != kNoErr) {
            ADD_FAILURE() << "cannot walk the nodes of " << path;
            break;
        }
    }
    EXPECT_TRUE(platform.recorder.bugReports().empty());
    return nodes;
}

// The occurrence-th (from 0) work-area node with this label, as a number; the test fails
// when there is none.
inline std::string nodeNumber(const std::vector<RLabelledNode>& nodes, const std::string& label,
                              int occurrence = 0) {
    for (const RLabelledNode& each : nodes)
        if (each.label == label && occurrence-- == 0)
            return std::to_string(each.node);
    ADD_FAILURE() << "no node " << label;
    return "0";
}
