#pragma once

#include "storage/CRString.h"
#include "storage/CStringManager.h"
#include "storage/CTablet.h"
#include "support/TestSupport.h"
#include "undo/CDatabaseTask.h"
#include "undo/CStringTask.h"
#include "undo/CUndoStructure.h"
#include "undo/RUndoClients.h"
#include "undo/UndoLabels.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

// The window side as the undo layer sees it: every refresh and typing notice, in order.
class RecordingUserInterface : public RUserInterfaceSink {
public:
    using Refresh = std::pair<int32_t, int32_t>; // task code, value
    // Record, attribute, text (nullopt: the field has none), selection start and end.
    using TypingNotice = std::tuple<int32_t, int32_t, std::optional<std::string>, int32_t, int32_t>;

    RErr doUserInterfaceUndoTask(int32_t taskCode, int32_t value) override {
        refreshes.push_back({taskCode, value});
        return failingCodes.count(taskCode) ? kErrGeneral : kNoErr;
    }
    RErr notifyUserInterfaceOfTypingTask(int32_t record, int32_t attribute, const CRString* text,
                                         int32_t selectionStart, int32_t selectionEnd) override {
        notices.emplace_back(record, attribute,
                             text ? std::optional<std::string>(text->str()) : std::nullopt,
                             selectionStart, selectionEnd);
        return kNoErr;
    }

    std::vector<Refresh> refreshes;
    std::vector<TypingNotice> notices;
    std::set<int32_t> failingCodes;
};

class RecordingFishSpineOwner : public RFishSpineOwner {
public:
    RErr allocateFishspine(int32_t node) override {
        calls.push_back("allocate " + std::to_string(node));
        return failingNodes.count(node) ? kErrMallocFailed : kNoErr;
    }
    RErr deallocateFishspine(int32_t node) override {
        calls.push_back("free " + std::to_string(node));
        return failingNodes.count(node) ? kErrInvalidParameter : kNoErr;
    }

    std::vector<std::string> calls;
    std::set<int32_t> failingNodes;
};

class FakeVariable : public RVariable {
public:
    explicit FakeVariable(const char* initial) : value(initial, 0) {}
    const CRString& variableValue() const override { return value; }
    void setVariableValue(const CRString& newValue) override {
        value = newValue;
        ++assignments;
    }

    CRString value;
    int assignments = 0;
};

// A tablet of 10 records by 8 attributes, its string manager and their history, destroyed
// history first as a tree database does.
struct UndoDatabase {
    static constexpr int32_t kRecords = 10;
    static constexpr int32_t kAttributes = 8;

    UndoDatabase() {
        EXPECT_EQ(tablet.createTablet(), kNoErr);
        EXPECT_EQ(tablet.setMaxRecords(kRecords), kNoErr);
        EXPECT_EQ(tablet.setMaxAttributes(kAttributes), kNoErr);
        EXPECT_EQ(strings.createStringStructure(), kNoErr);
    }

    int32_t cell(int32_t record, int32_t attribute) const {
        int32_t value = -1;
        EXPECT_EQ(tablet.getValue(record, attribute, value), kNoErr);
        return value;
    }
    int32_t status(int32_t id) const {
        int32_t value = 0;
        EXPECT_EQ(strings.getStringStatus(id, value), kNoErr);
        return value;
    }
    // The text of a registered ID, or "<none>" when the entry holds none.
    std::string text(int32_t id) const {
        const CRString* string = nullptr;
        EXPECT_EQ(strings.getPointerToString(id, string), kNoErr);
        return string ? string->str() : "<none>";
    }
    std::string cellText(int32_t record, int32_t attribute) const {
        const int32_t id = cell(record, attribute);
        return id == 0 ? "" : text(id);
    }
    RErr setCell(int32_t record, int32_t attribute, int32_t value) {
        return CDatabaseTask::construct(undo, tablet, record, attribute, value);
    }
    // A text, or no text for nullptr, as a string task.
    RErr setText(int32_t record, int32_t attribute, const char* text) {
        const CRString string(text ? text : "", 0);
        return CStringTask::construct(undo, tablet, strings, record, attribute,
                                      text ? &string : nullptr);
    }
    // One command under the label: opens a list, runs the change, closes it; first error wins.
    template <typename Body> RErr command(int32_t label, Body body) {
        RErr err = undo.startTaskList(label);
        if (!err)
            err = body();
        const RErr finishErr = undo.finishTaskList();
        return err ? err : finishErr;
    }
    // "Undo " or "Redo " and the label's text, or "" when the Edit menu does not offer it.
    std::string menu(bool redo) const {
        bool can = false;
        int32_t label = -1;
        EXPECT_EQ(redo ? undo.canRedo(can) : undo.canUndo(can), kNoErr);
        EXPECT_EQ(redo ? undo.currentRedoLabel(label) : undo.currentUndoLabel(label), kNoErr);
        EXPECT_TRUE(can || label == 0);
        return can ? (redo ? "Redo " : "Undo ") + std::string(undoString(label)) : "";
    }
    std::string undoMenu() const { return menu(false); }
    std::string redoMenu() const { return menu(true); }
    // How many entries have the given status.
    int32_t countWithStatus(int32_t wanted) const {
        int32_t count = 0;
        for (int32_t id = 1; id <= strings.maxArrayIndex(); ++id)
            count += status(id) == wanted ? 1 : 0;
        return count;
    }
    // Registers a text and frees it again at once: the ID the next registration will get.
    int32_t nextFreeId() {
        int32_t id = 0;
        EXPECT_EQ(strings.registerString(CRString("probe", 0), id), kNoErr);
        EXPECT_EQ(strings.setStringStatus(id, CStringManager::kUnused), kNoErr);
        return id;
    }

    CTablet tablet;
    CStringManager strings;
    CUndoStructure undo;
};

struct Cell {
    int32_t record;
    int32_t attribute;
    int32_t value;
};

// The whole observable state of an idle history, as the Edit menu and the document see it.
struct Expected {
    std::string undoMenu; // "Undo " and the label's text, or "" when Undo is not offered
    std::string redoMenu;
    bool dirty;
    std::vector<Cell> cells;
};

// One test's database, with the platform and the application recorded from the start.
class UndoFixture : public ::testing::Test {
protected:
    // None of the queries may report anything.
    void expectState(const Expected& expected) {
        bool dirty = false;
        EXPECT_EQ(db.undo.isDirty(dirty), kNoErr);
        EXPECT_EQ(db.undoMenu(), expected.undoMenu);
        EXPECT_EQ(db.redoMenu(), expected.redoMenu);
        EXPECT_EQ(dirty, expected.dirty);
        for (const Cell& cell : expected.cells)
            EXPECT_EQ(db.cell(cell.record, cell.attribute), cell.value)
                << "record " << cell.record << " attribute " << cell.attribute;
        EXPECT_TRUE(scope.recorder.bugReports().empty());
    }
    void undoTo(const Expected& expected) {
        ASSERT_EQ(db.undo.undo(), kNoErr);
        expectState(expected);
    }
    void redoTo(const Expected& expected) {
        ASSERT_EQ(db.undo.redo(), kNoErr);
        expectState(expected);
    }
    // The step just done shows `done`; undone it shows `undone`, redone `done` again.
    void roundTrip(const Expected& done, const Expected& undone) {
        expectState(done);
        undoTo(undone);
        redoTo(done);
    }
    using Reports = std::vector<std::string>;
    Reports reports() const { return scope.recorder.bugReports(); }

    RecordingPlatformScope scope;
    UndoDatabase db;
    RecordingUserInterface ui;
};
