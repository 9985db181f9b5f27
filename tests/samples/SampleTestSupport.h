#pragma once

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The sample grammars (samples/, found through RAMEX_SAMPLES) and documents made from them.

// The path of a sample's text form, such as "english.rgt".
std::string samplePath(const std::string& name);

// What a command printed and gave back.
struct RCommandOutput {
    int status = 0;
    std::string out;
    std::string err;
};

// ramex-cli's commands, called in-process.
RCommandOutput runCommand(const std::string& command, const std::vector<std::string>& arguments);

// A work-area document: a sample grammar's text with `tree:` lines after it, written into a
// temporary folder, so that the sample stays the one source of the grammar. Nodes are named
// by label, counted in the order the script's "for every node" visits them.
class CSampleDocument {
public:
    CSampleDocument(const TempDir& folder, const std::string& sample, const std::string& trees);
    // A document file written by a command (a hook run with -o), in the same folder.
    CSampleDocument(const TempDir& folder, const std::string& existingFile);

    const std::string& path() const { return file; }
    // The record of the occurrence-th (from 0) work-area node with this label; 0 when there
    // is none, which fails the test.
    int32_t node(const std::string& label, int occurrence = 0) const;
    // The root of the tree holding a leaf with this label; 0 when there is none, which
    // fails the test.
    int32_t rootOf(const std::string& word) const;
    // The occurrence-th (from 0) node with this label in the tree holding the leaf `word`.
    int32_t nodeIn(const std::string& label, int occurrence, const std::string& word) const;
    // "N,M" for --args.
    std::string nodes(const std::string& first, const std::string& second) const;

    // `run FILE --call NAME`, `run FILE --hook HOOK --args ...`, and either with -o OUT.
    RCommandOutput call(const std::string& name) const;
    RCommandOutput hook(const std::string& name, const std::string& arguments,
                        const std::string& output = "") const;
    // `qtree FILE`: the work-area trees, one line each.
    std::string qtree() const;

private:
    void readNodes();

    std::string file;
    struct RLabelled {
        std::string label;
        int32_t node;
        int32_t root;
        bool leaf;
    };
    std::vector<RLabelled> labelled; // in visiting order
};

// A node named by its label and which one of that label it is.
struct RNodeName {
    const char* label;
    int occurrence;
};

// What `run --hook` prints for a hook that shows one message and leaves `dirty` so.
std::string hookOutput(const std::string& hook, const std::string& message, bool dirty = false);

// The closing message of a check that marked this many nodes.
std::string problemsFound(std::size_t problems);

// Drops the tree `dragged` on `target` in the document `from`, saves the result as `to` in
// the same folder and gives the one message the script showed.
std::string dropMessage(const CSampleDocument& from, int32_t dragged, int32_t target,
                        const std::string& to);

// A node and the message a hook shows for it.
struct RNodeMessage {
    const char* label;
    int occurrence;
    const char* message;
};

// Runs the hook on each node and expects its one message, with nothing changed.
void expectNodeMessages(const CSampleDocument& document, const std::string& hook,
                        const std::vector<RNodeMessage>& rows);

// A node named by its label and which one of that label it is, with the note a check must
// show beside it.
struct RNote {
    const char* label;
    int occurrence;
    const char* text;
};

// What `run --call` prints for a check that marks exactly these nodes, in tree order, with
// these notes, and then shows the summary message.
std::string checkOutput(const CSampleDocument& document, const std::vector<RNote>& notes,
                        const std::string& summary);

// A tree dropped on a node, each named by its label and which one of that label it is, and
// whether the sample's landing hook lets it land there.
struct RLanding {
    const char* dragged;
    int draggedOccurrence;
    const char* target;
    int targetOccurrence;
    bool allowed;
};

// Asks the landing hook about every drop and expects its answer.
void expectLandings(const CSampleDocument& document, const std::vector<RLanding>& landings);
