#pragma once

#include "support/HierarchyTestSupport.h"
#include "support/TestSupport.h"

#include "model/CTree.h"
#include "script/CMiddleInterface.h"
#include "script/CScript.h"
#include "script/RecordingUserInterface.h"
#include "storage/CRString.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

// An argument of a native function: a number or a text.
struct RArg {
    RArg(int32_t number) : text(std::to_string(number)) {}
    RArg(const char* value) : text(value) {}
    RArg(std::string value) : text(std::move(value)) {}
    std::string text;
};

using Texts = std::vector<std::string>;

// A grammar (new, with the features a test names, or read from a document in tests/data) with
// the platform and the application recorded; scripts are compiled and run the way the main
// window does, and natives can be run directly on their frames.
class ScriptHarness {
public:
    explicit ScriptHarness(const Texts& features = {}, bool standardCategories = false);
    struct FromDocument {};
    // The document tests/data/<file>, read from the text form.
    ScriptHarness(FromDocument, const std::string& file);
    virtual ~ScriptHarness();
    ScriptHarness(const ScriptHarness&) = delete;
    ScriptHarness& operator=(const ScriptHarness&) = delete;

    CScript& script() { return *tree.script(); }
    CMiddleInterface& middle() { return script().middleInterface(); }
    CUndoStructure& undo() { return tree.undoStructure(); }

    // Replaces the script text outside the history.
    void setText(const std::string& text);
    // Sets the text and compiles it inside a set-up step that is then forgotten.
    RErr compile(const std::string& text, bool studentMode = true);
    // Runs a menu command inside an undo step labelled "Menu".
    RErr run(const std::string& functionName);
    std::string global(const std::string& name);
    int32_t number(const std::string& name) { return std::stoi("0" + global(name)); }
    void setGlobal(const std::string& name, int32_t value);
    int32_t featureRecord(const std::string& name) const;
    std::string featureText(int32_t node, const std::string& feature);

    // The message boxes of the title ("Run Time Error"; "" for alerts), and the bug reports.
    Texts boxes(const std::string& title) const;
    Texts runTimeErrors() const { return boxes("Run Time Error"); }
    Texts alerts() const { return boxes(""); }
    Texts bugReports() const { return platform.recorder.bugReports(); }
    // The texts of the application's "message" requests, in order; forgets every request.
    Texts takeMessages();

    // A tree in the tree area: root with daughters a (over c) and b; returns {root, a, b, c}.
    std::vector<int32_t> buildTree();
    // A tree from a compact description on the work area, as one undo step; gives its root.
    int32_t build(const std::string& shape);
    int32_t node(const std::string& label) const { return nodes.at(label); }
    std::string labelOf(int32_t record);
    int32_t cell(int32_t record, int32_t attribute) {
        return tree.tablet().cell(record, attribute);
    }

    // Runs the native on a frame holding the arguments, outside any undo step; err receives
    // what performNativeFunction returned.
    CRString perform(const std::string& name, const std::vector<RArg>& args, RErr& err);
    // The same inside one "Menu" undo step (lastErr receives the error).
    CRString call(const std::string& name, const std::vector<RArg>& args = {});
    // The same as an undo step whose undo and redo are checked against the whole state.
    CRString callUndoable(const std::string& name, const std::vector<RArg>& args = {});

    RecordingPlatformScope platform;

private:
    std::unique_ptr<CTree> owned;

public:
    CTree& tree;
    RecordingUserInterface ui;
    std::ostringstream trace;
    std::map<std::string, int32_t> nodes;
    RErr lastErr = kNoErr;

private:
    void install();
    std::vector<std::pair<std::string, int32_t>> features;
};

// Natives run on a grammar with the standard categories; the script's trace is kept.
class NativeTest : public ::testing::Test, public ScriptHarness {
protected:
    NativeTest() : ScriptHarness({}, true) { script().setTraceOutput(&trace); }
};

// The number of the native with the name, 0 when there is none.
int32_t nativeNumber(const std::string& name);

// The run-time error box text for an error raised by the native outside any user function.
std::string nativeErrorText(const std::string& native, const std::string& message);
