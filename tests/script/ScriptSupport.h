#pragma once

#include "support/HierarchyTestSupport.h"
#include "support/TestSupport.h"

#include "model/CTree.h"
#include "script/CMiddleInterface.h"
#include "script/CScript.h"
#include "script/RecordingUserInterface.h"
#include "storage/CRString.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

// The number of the native function with the name.
int32_t nativeNumber(const std::string& name);

// A grammar (new, with the features named, or read from a document in tests/data) with the
// platform and the application recorded; scripts are compiled and run the way the main window
// does, and natives can be run directly on their frames.
class ScriptHarness {
public:
    explicit ScriptHarness(const std::vector<std::string>& features = {},
                           bool standardCategories = false);
    struct FromDocument {};
    ScriptHarness(FromDocument, const std::string& file);
    virtual ~ScriptHarness() { middle().installCRamexApp(nullptr); }
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
    // Compiles the text, runs the function and gives show(names).
    std::string exec(const std::string& text, const std::string& function,
                     const std::string& names);
    std::string global(const std::string& name);
    int32_t number(const std::string& name) { return std::stoi("0" + global(name)); }
    void setGlobal(const std::string& name, int32_t value);
    int32_t featureRecord(const std::string& name) const { return features.at(name); }
    // "a=1 b=x" for the names separated by spaces; then, after " | ", what take() gives.
    std::string show(const std::string& names);
    // Every request to the platform, the application and the trace since the last look, then
    // forgets them, separated by " | ": "!text" an alert, "E user/native: message" a run-time
    // error box, "bug: text", "beep", "pause N", "ask: text", "msg: text" a message,
    // "pop-up N: text", "trace: text".
    std::string take();

    // A tree from a compact description in the tree area, outside the history; gives its root.
    int32_t buildTree(const std::string& shape = "R(A(C) B)");
    // A tree from a compact description on the work area, as one undo step; gives its root.
    int32_t build(const std::string& shape);
    int32_t node(const std::string& label) const { return nodes.at(label); }

    // Runs the native on a frame holding the arguments inside one "Menu" undo step; lastErr
    // receives what performNativeFunction returned. With checkUndo, undo and redo of the step
    // must give back the whole state from before and after it.
    CRString call(const std::string& name, const std::vector<std::string>& args = {},
                  bool checkUndo = false);

    RecordingPlatformScope platform;

private:
    void install();
    std::unique_ptr<CTree> owned;
    std::map<std::string, int32_t> features;

public:
    CTree& tree;
    RecordingUserInterface ui;
    std::ostringstream trace;
    std::map<std::string, int32_t> nodes;
    RErr lastErr = kNoErr;
};
