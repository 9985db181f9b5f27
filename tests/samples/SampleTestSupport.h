#pragma once
// Documents made from the sample grammars (samples/), and what their scripts print.
#include "cli/CliTestSupport.h"

#include <cctype>
#include <utility>

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

// A sample grammar's text with `tree:` lines after it, so that the sample stays the one source
// of the grammar; or a document a hook wrote with -o.
class CSampleDocument {
public:
    CSampleDocument(const TempDir& dir, const std::string& sample, const std::string& trees)
        : folder(&dir), file(dir.file("document.rgt")) {
        const std::string grammar = readTextFile(samplePath(sample));
        EXPECT_NE(grammar, "") << sample;
        writeTextFile(file, grammar + "\n" + trees);
        nodes = workAreaNodes(file);
    }
    CSampleDocument(const TempDir& dir, const std::string& written)
        : folder(&dir), file(dir.file(written)), nodes(workAreaNodes(file)) {}

    const std::string& path() const { return file; }
    // Names joined by ',' as the numbers joined so: "LABEL" or "LABEL.K" is the K-th (from 0)
    // node of that label in the order "for every node" visits them; a number stays itself.
    std::string node(const std::string& names) const {
        std::string numbers;
        std::istringstream in(names);
        for (std::string name; std::getline(in, name, ',');) {
            const auto dot = name.rfind('.');
            const bool counted = dot != std::string::npos && dot + 1 < name.size() &&
                                 std::isdigit(static_cast<unsigned char>(name[dot + 1]));
            numbers += (numbers.empty() ? "" : ",") +
                       (std::isdigit(static_cast<unsigned char>(name[0]))
                            ? name
                            : nodeNumber(nodes, counted ? name.substr(0, dot) : name,
                                         counted ? std::stoi(name.substr(dot + 1)) : 0));
        }
        return numbers;
    }
    // The root of the tree holding the leaf `word`, or the occurrence-th node with this label
    // in that tree.
    std::string in(const std::string& word, const std::string& label = "",
                   int occurrence = 0) const {
        int32_t root = 0;
        for (const RLabelledNode& each : nodes)
            if (each.leaf && each.label == word && root == 0)
                root = each.root;
        for (const RLabelledNode& each : nodes)
            if (each.root == root && root != 0 &&
                (label.empty() ? each.node == root : each.label == label && occurrence-- == 0))
                return std::to_string(each.node);
        ADD_FAILURE() << "no node " << label << " in the tree of " << word;
        return "0";
    }

    CommandResult call(const std::string& name) const { return cli({"run", file, "--call", name}); }
    // `run --hook` on the named nodes, saved as `output` (in the folder) when named.
    CommandResult hook(const std::string& name, const std::string& names,
                       const std::string& output = "") const {
        std::vector<std::string> words = {"run", file, "--hook", name};
        if (!names.empty())
            words.insert(words.end(), {"--args", node(names)});
        if (!output.empty())
            words.insert(words.end(), {"-o", folder->file(output)});
        return cli(words);
    }
    std::string qtree() const {
        const CommandResult result = cli({"qtree", file});
        EXPECT_EQ(result.status, kExitSuccess) << result.err;
        return result.out;
    }

private:
    const TempDir* folder;
    std::string file;
    std::vector<RLabelledNode> nodes;
};

using RRows = std::vector<std::pair<std::string, std::string>>;

// What `run --hook` prints for a hook that shows one message and leaves `dirty` so.
inline std::string hookOutput(const std::string& hook, const std::string& message,
                              bool dirty = false) {
    return "message: " + message + "\nhook " + hook +
           ": exists=1 answer=0\noffending:\ndirty: " + (dirty ? "1" : "0") + "\n";
}

// Runs the hook on each named node ("DRAGGED,TARGET" for the landing hook) and expects, with
// nothing changed, its one message, or the landing hook's answer ("1" lets the tree land).
inline void expectHooks(const CSampleDocument& document, const std::string& hook,
                        const RRows& rows) {
    for (const auto& [names, shown] : rows)
        EXPECT_EQ(document.hook(hook, names).out,
                  hook == "is-landing-allowed" ? "hook is-landing-allowed: exists=1 answer=" +
                                                     shown + "\noffending:\ndirty: 0\n"
                                               : hookOutput(hook, shown))
            << names;
}

// The closing message of a check that marked this many nodes.
inline std::string problemsFound(std::size_t problems) {
    return problems == 1 ? "1 problem found: the node is marked, and the note beside it says why."
                         : std::to_string(problems) + " problems found: the nodes are marked, and "
                                                      "the note beside each says why.";
}

// What `run --call` prints for a check that marks exactly these nodes, in tree order, with
// these notes, and then shows the summary message.
inline std::string checkOutput(const CSampleDocument& document, const RRows& notes,
                               const std::string& summary) {
    std::string out;
    std::string offending;
    for (const auto& [name, note] : notes) {
        out += "pop-up " + document.node(name) + ": " + note + "\n";
        offending += " " + document.node(name);
    }
    return out + "message: " + summary + "\noffending:" + offending +
           "\ndirty: " + (notes.empty() ? "0" : "1") + "\n";
}

// Drops a tree on a node ("DRAGGED,TARGET"), saves the result as `to` in the same folder and
// gives the one line the script showed before the hook's own.
inline std::string dropMessage(const CSampleDocument& from, const std::string& names,
                               const std::string& to) {
    const CommandResult result = from.hook("drag-completed", names, to);
    EXPECT_EQ(result.status, kExitSuccess) << result.err;
    const std::size_t lineEnd = result.out.find('\n');
    EXPECT_EQ(result.out.substr(lineEnd + 1),
              "hook drag-completed: exists=1 answer=0\noffending:\ndirty: 1\n")
        << result.out;
    return result.out.substr(0, lineEnd);
}
