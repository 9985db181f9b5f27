#include "SampleTestSupport.h"

#include "cli/CliCheckScript.h"
#include "cli/CliCommand.h"
#include "cli/CliGrammarCommands.h"
#include "cli/CliRun.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

namespace {

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << path << " cannot be read";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The line `run` prints for a pop-up note at a node.
std::string popUpLine(int32_t node, const std::string& text) {
    return "pop-up " + std::to_string(node) + ": " + text + "\n";
}

} // namespace

std::string samplePath(const std::string& name) {
    const char* folder = std::getenv("RAMEX_SAMPLES");
    return std::string(folder == nullptr ? RAMEX_SAMPLES_DIR : folder) + "/" + name;
}

RCommandOutput runCommand(const std::string& command, const std::vector<std::string>& arguments) {
    std::ostringstream out;
    testing::internal::CaptureStderr();
    int status = kExitUsage;
    if (command == "build")
        status = buildCommand(arguments);
    else if (command == "check-script")
        status = checkScript(arguments, out);
    else if (command == "info")
        status = infoCommand(arguments, out);
    else if (command == "qtree")
        status = qtreeCommand(arguments, out);
    else if (command == "run")
        status = runScript(arguments, out);
    else
        ADD_FAILURE() << "no command " << command;
    return {status, out.str(), testing::internal::GetCapturedStderr()};
}

CSampleDocument::CSampleDocument(const TempDir& folder, const std::string& sample,
                                 const std::string& trees)
    : file(folder.file("document.rgt")) {
    std::ofstream out(file, std::ios::binary);
    out << readWholeFile(samplePath(sample)) << "\n" << trees;
    out.close();
    readNodes();
}

CSampleDocument::CSampleDocument(const TempDir& folder, const std::string& existingFile)
    : file(folder.file(existingFile)) {
    readNodes();
}

void CSampleDocument::readNodes() {
    RecordingPlatformScope platform;
    std::unique_ptr<CTree> tree;
    testing::internal::CaptureStderr();
    const bool opened = openAnyFile(file, tree);
    const std::string reason = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(opened && tree) << reason;
    int32_t node = 0;
    RErr err = tree->getFirstRoot(node);
    while (!err && node != 0) {
        int32_t root = 0;
        int32_t where = 0;
        err = tree->findRoot(node, root);
        if (!err)
            err = tree->getWhereIsTree(root, where);
        const CRString* label = nullptr;
        if (!err && where == kTreeOnWorkArea)
            err = tree->getLabel(node, label);
        int32_t daughters = 0;
        if (!err && label != nullptr)
            err = tree->hasDaughters(node, daughters);
        if (!err && label != nullptr)
            labelled.push_back({label->str(), node, root, daughters == 0});
        if (!err)
            err = tree->getNextNode(node, 0, node);
    }
    EXPECT_EQ(err, kNoErr);
    EXPECT_TRUE(platform.recorder.bugReports().empty());
}

int32_t CSampleDocument::node(const std::string& label, int occurrence) const {
    for (const RLabelled& each : labelled)
        if (each.label == label && occurrence-- == 0)
            return each.node;
    ADD_FAILURE() << "no node " << label << " in " << file;
    return 0;
}

int32_t CSampleDocument::rootOf(const std::string& word) const {
    for (const RLabelled& each : labelled)
        if (each.leaf && each.label == word)
            return each.root;
    ADD_FAILURE() << "no word " << word << " in " << file;
    return 0;
}

int32_t CSampleDocument::nodeIn(const std::string& label, int occurrence,
                                const std::string& word) const {
    const int32_t root = rootOf(word);
    for (const RLabelled& each : labelled)
        if (each.root == root && each.label == label && occurrence-- == 0)
            return each.node;
    ADD_FAILURE() << "no node " << label << " in the tree of " << word << " in " << file;
    return 0;
}

std::string CSampleDocument::nodes(const std::string& first, const std::string& second) const {
    return std::to_string(node(first)) + "," + std::to_string(node(second));
}

RCommandOutput CSampleDocument::call(const std::string& name) const {
    return runCommand("run", {file, "--call", name});
}

RCommandOutput CSampleDocument::hook(const std::string& name, const std::string& arguments,
                                     const std::string& output) const {
    std::vector<std::string> words = {file, "--hook", name};
    if (!arguments.empty()) {
        words.emplace_back("--args");
        words.push_back(arguments);
    }
    if (!output.empty()) {
        words.emplace_back("-o");
        words.push_back(output);
    }
    return runCommand("run", words);
}

std::string CSampleDocument::qtree() const {
    const RCommandOutput result = runCommand("qtree", {file});
    EXPECT_EQ(result.status, kExitSuccess) << result.err;
    return result.out;
}

std::string checkOutput(const CSampleDocument& document, const std::vector<RNote>& notes,
                        const std::string& summary) {
    std::string out;
    std::string offending;
    for (const RNote& note : notes) {
        const int32_t node = document.node(note.label, note.occurrence);
        out += popUpLine(node, note.text);
        offending += " " + std::to_string(node);
    }
    return out + "message: " + summary + "\noffending:" + offending +
           "\ndirty: " + (notes.empty() ? "0" : "1") + "\n";
}

void expectLandings(const CSampleDocument& document, const std::vector<RLanding>& landings) {
    for (const RLanding& drop : landings) {
        const std::string arguments =
            std::to_string(document.node(drop.dragged, drop.draggedOccurrence)) + "," +
            std::to_string(document.node(drop.target, drop.targetOccurrence));
        EXPECT_EQ(document.hook("is-landing-allowed", arguments).out,
                  std::string("hook is-landing-allowed: exists=1 answer=") +
                      (drop.allowed ? "1" : "0") + "\noffending:\ndirty: 0\n")
            << drop.dragged << " on " << drop.target << " " << drop.targetOccurrence;
    }
}

std::string hookOutput(const std::string& hook, const std::string& message, bool dirty) {
    return "message: " + message + "\nhook " + hook +
           ": exists=1 answer=0\noffending:\ndirty: " + (dirty ? "1" : "0") + "\n";
}

std::string problemsFound(std::size_t problems) {
    return problems == 1 ? "1 problem found: the node is marked, and the note beside it says why."
                         : std::to_string(problems) +
                               " problems found: the nodes are marked, and the note beside each "
                               "says why.";
}

std::string dropMessage(const CSampleDocument& from, int32_t dragged, int32_t target,
                        const std::string& to) {
    const std::string folder = from.path().substr(0, from.path().find_last_of("/\\") + 1);
    const RCommandOutput result = from.hook(
        "drag-completed", std::to_string(dragged) + "," + std::to_string(target), folder + to);
    EXPECT_EQ(result.status, kExitSuccess) << result.err;
    const std::size_t lineEnd = result.out.find('\n');
    EXPECT_EQ(result.out.substr(lineEnd + 1),
              "hook drag-completed: exists=1 answer=0\noffending:\ndirty: 1\n")
        << result.out;
    return result.out.substr(0, lineEnd);
}

void expectNodeMessages(const CSampleDocument& document, const std::string& hook,
                        const std::vector<RNodeMessage>& rows) {
    for (const RNodeMessage& row : rows)
        EXPECT_EQ(document.hook(hook, std::to_string(document.node(row.label, row.occurrence))).out,
                  hookOutput(hook, row.message))
            << row.label << " " << row.occurrence;
}
