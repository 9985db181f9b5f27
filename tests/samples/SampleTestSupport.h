#pragma once
// Documents made from the sample grammars (samples/), and what their scripts print.
#include "cli/CliTestSupport.h"

// A sample grammar's text with `tree:` lines after it, so that the sample stays the one source
// of the grammar; or a document a hook wrote with -o. Nodes are named by label and which one
// of that label they are, counted in the order the script's "for every node" visits them.
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
    std::string node(const std::string& label, int occurrence = 0) const {
        return nodeNumber(nodes, label, occurrence);
    }
    // "N,M" for --args.
    std::string pair(const std::string& first, int firstOccurrence, const std::string& second,
                     int secondOccurrence) const {
        return node(first, firstOccurrence) + "," + node(second, secondOccurrence);
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
    // `run --hook`, with --args when given, and saved as `output` (in the folder) when named.
    CommandResult hook(const std::string& name, const std::string& arguments,
                       const std::string& output = "") const {
        std::vector<std::string> words = {"run", file, "--hook", name};
        if (!arguments.empty())
            words.insert(words.end(), {"--args", arguments});
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

// What `run --hook` prints for a hook that shows one message and leaves `dirty` so.
inline std::string hookOutput(const std::string& hook, const std::string& message,
                              bool dirty = false) {
    return "message: " + message + "\nhook " + hook +
           ": exists=1 answer=0\noffending:\ndirty: " + (dirty ? "1" : "0") + "\n";
}

// The closing message of a check that marked this many nodes.
inline std::string problemsFound(std::size_t problems) {
    return problems == 1 ? "1 problem found: the node is marked, and the note beside it says why."
                         : std::to_string(problems) + " problems found: the nodes are marked, and "
                                                      "the note beside each says why.";
}

struct RNote {
    const char* label;
    int occurrence;
    const char* text;
};

// What `run --call` prints for a check that marks exactly these nodes, in tree order, with
// these notes, and then shows the summary message.
inline std::string checkOutput(const CSampleDocument& document, const std::vector<RNote>& notes,
                               const std::string& summary) {
    std::string out;
    std::string offending;
    for (const RNote& note : notes) {
        out += "pop-up " + document.node(note.label, note.occurrence) + ": " + note.text + "\n";
        offending += " " + document.node(note.label, note.occurrence);
    }
    return out + "message: " + summary + "\noffending:" + offending +
           "\ndirty: " + (notes.empty() ? "0" : "1") + "\n";
}

// Runs the hook on each node and expects its one message, with nothing changed.
inline void expectNodeMessages(const CSampleDocument& document, const std::string& hook,
                               const std::vector<RNote>& rows) {
    for (const RNote& row : rows)
        EXPECT_EQ(document.hook(hook, document.node(row.label, row.occurrence)).out,
                  hookOutput(hook, row.text))
            << row.label << " " << row.occurrence;
}

// A tree dropped on a node, and whether the sample's landing hook lets it land there.
struct RLanding {
    const char* dragged;
    int draggedOccurrence;
    const char* target;
    int targetOccurrence;
    bool allowed;
};

inline void expectLandings(const CSampleDocument& document, const std::vector<RLanding>& drops) {
    for (const RLanding& drop : drops)
        EXPECT_EQ(
            document
                .hook("is-landing-allowed", document.pair(drop.dragged, drop.draggedOccurrence,
                                                          drop.target, drop.targetOccurrence))
                .out,
            std::string("hook is-landing-allowed: exists=1 answer=") + (drop.allowed ? "1" : "0") +
                "\noffending:\ndirty: 0\n")
            << drop.dragged << " on " << drop.target << " " << drop.targetOccurrence;
}

// Drops the tree at `dragged` on `target` ("N,M"), saves the result as `to` in the same folder
// and gives the one line the script showed before the hook's own.
inline std::string dropMessage(const CSampleDocument& from, const std::string& nodes,
                               const std::string& to) {
    const CommandResult result = from.hook("drag-completed", nodes, to);
    EXPECT_EQ(result.status, kExitSuccess) << result.err;
    const std::size_t lineEnd = result.out.find('\n');
    EXPECT_EQ(result.out.substr(lineEnd + 1),
              "hook drag-completed: exists=1 answer=0\noffending:\ndirty: 1\n")
        << result.out;
    return result.out.substr(0, lineEnd);
}
