#pragma once

#include "support/HierarchyTestSupport.h"

#include "model/CTree.h"
#include "script/CMiddleInterface.h"
#include "script/CScript.h"
#include "script/RecordingUserInterface.h"
#include "storage/CRString.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
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

// A new grammar with the standard categories, trees built from compact descriptions, a
// recording platform and user interface, and natives run directly on their frames.
class NativeTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    CScript& script() { return *tree.script(); }
    CMiddleInterface& middle() { return script().middleInterface(); }
    // Builds the tree on the work area as one undo step and gives its root.
    int32_t build(const std::string& shape);
    int32_t node(const std::string& label) const { return nodes.at(label); }
    int32_t cell(int32_t record, int32_t attribute) const {
        return tree.tablet().cell(record, attribute);
    }
    std::string labelOf(int32_t record);

    // Runs the native named `name` on a frame holding the arguments, outside any undo step,
    // and gives its result (slot 0). err receives what performNativeFunction returned.
    CRString perform(const std::string& name, const std::vector<RArg>& args, RErr& err);
    // The same inside one "Menu" undo step; the step is expected to close.
    CRString run(const std::string& name, const std::vector<RArg>& args = {});
    // The same as an undo step whose undo and redo are checked against the whole state.
    CRString runUndoable(const std::string& name, const std::vector<RArg>& args = {});
    RErr lastErr = kNoErr;

    // The texts of the run-time error boxes shown so far.
    std::vector<std::string> runTimeErrors() const;
    std::vector<std::string> bugReports() const { return platform.recorder.bugReports(); }

    RecordingPlatformScope platform;
    CTree tree;
    RecordingUserInterface ui;
    std::ostringstream trace;
    std::map<std::string, int32_t> nodes;
};

// The number of the native with the name, 0 when there is none.
int32_t nativeNumber(const std::string& name);

// The run-time error box text for an error raised by the native outside any user function.
std::string nativeErrorText(const std::string& native, const std::string& message);
