#include "storage/CRString.h"
#include "storage/CStringManager.h"
#include "storage/CTablet.h"
#include "support/TestSupport.h"
#include "undo/CDatabaseTask.h"
#include "undo/CFishSpineTask.h"
#include "undo/CStringTask.h"
#include "undo/CTypingTask.h"
#include "undo/CUndoStructure.h"
#include "undo/CUserInterfaceTask.h"
#include "undo/CVariableTask.h"
#include "undo/RUndoClients.h"
#include "undo/UndoLabels.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <set>
#include <sstream>

namespace {

// The parts written one after the other.
template <typename... Parts> std::string cat(const Parts&... parts) {
    std::ostringstream out;
    (out << ... << parts);
    return out.str();
}

// The window, the tree and a script variable as the undo layer sees them: every call, in
// order. A window task whose code, or a spine whose node, is in `failing` fails.
struct Recorder : RUserInterfaceSink, RFishSpineOwner, RVariable {
    RErr doUserInterfaceUndoTask(int32_t code, int32_t to) override {
        return note(cat("ui ", code, " ", to), code, kErrGeneral);
    }
    RErr notifyUserInterfaceOfTypingTask(int32_t record, int32_t attribute, const CRString* text,
                                         int32_t start, int32_t end) override {
        return note(cat("type ", record, ".", attribute, " ", text ? text->str() : "none", " ",
                        start, "-", end),
                    0, kNoErr);
    }
    RErr allocateFishspine(int32_t n) override {
        return note(cat("allocate ", n), n, kErrMallocFailed);
    }
    RErr deallocateFishspine(int32_t n) override {
        return note(cat("free ", n), n, kErrInvalidParameter);
    }
    const CRString& variableValue() const override { return value; }
    void setVariableValue(const CRString& to) override {
        note("set " + (value = to).str(), 0, kNoErr);
    }
    RErr note(const std::string& call, int32_t key, RErr err) {
        log += (log.empty() ? "" : "; ") + call;
        return failing.count(key) ? err : kNoErr;
    }

    std::string log;
    std::set<int32_t> failing;
    CRString value{"", 0};
};

// A tablet of 10 records by 8 attributes, its strings and their history (destroyed first, as a
// tree database does); the platform and the clients recorded, every bug report looked at.
class Undo : public ::testing::Test {
protected:
    static constexpr int32_t kRecords = 10;
    static constexpr int32_t kAttributes = 8;

    Undo() {
        EXPECT_FALSE(tablet.createTablet() || tablet.setMaxRecords(kRecords) ||
                     tablet.setMaxAttributes(kAttributes) || strings.createStringStructure());
    }
    void TearDown() override { EXPECT_EQ(reports(), ""); }

    RErr setCell(int32_t record, int32_t attribute, int32_t value) {
        return CDatabaseTask::construct(undo, tablet, record, attribute, value);
    }
    // An idle history: "Undo X/Redo Y dirty <steps>|<record.attribute=value of each non-zero
    // cell>|<each string ID in use, C current or U undone, and its text>", "-" for a command
    // the Edit menu does not offer.
    std::string dump() const {
        bool dirty = false, canUndo = false, canRedo = false;
        int32_t undoLabel = -1, redoLabel = -1;
        EXPECT_FALSE(undo.isDirty(dirty) || undo.canUndo(canUndo) || undo.canRedo(canRedo) ||
                     undo.currentUndoLabel(undoLabel) || undo.currentRedoLabel(redoLabel));
        auto offer = [](const char* verb, bool can, int32_t label) {
            return can ? verb + std::string(undoString(label)) : label ? "?" : "-";
        };
        std::string out =
            cat(offer("Undo ", canUndo, undoLabel), "/", offer("Redo ", canRedo, redoLabel),
                dirty ? " dirty " : " clean ", undo.stepCount(), "|");
        std::string cells;
        for (int32_t record = 1; record <= kRecords; ++record)
            for (int32_t attribute = 1; attribute <= kAttributes; ++attribute)
                if (const int32_t value = tablet.cell(record, attribute))
                    cells += cat(cells.empty() ? "" : " ", record, ".", attribute, "=", value);
        std::string texts;
        const CRString* text = nullptr;
        for (int32_t id = 1, s = 0; id <= strings.maxArrayIndex(); ++id)
            if (strings.getStringStatus(id, s) == kNoErr && s != CStringManager::kUnused)
                texts +=
                    cat(texts.empty() ? "" : " ", id, s == CStringManager::kCurrent ? "C:" : "U:",
                        strings.getPointerToString(id, text) ? "<none>" : text->str());
        return out + cells + "|" + texts;
    }
    // The bug reports since the last look.
    std::string reports() {
        std::string out;
        for (const std::string& report : scope.recorder.bugReports())
            out += (out.empty() ? "" : "; ") + report;
        scope.recorder.clear();
        return out;
    }
    // After the moves (u undo, r redo, s save, z forget the history, k kill the undone step),
    // the dump, then the clients' calls and the bug reports since the last look.
    std::string state(const std::string& moves = "") {
        RErr (CUndoStructure::*const steps[])() = {
            &CUndoStructure::undo, &CUndoStructure::redo, &CUndoStructure::resetDirty,
            &CUndoStructure::zeroOut, &CUndoStructure::killLastTaskList};
        for (const char move : moves)
            EXPECT_EQ((undo.*steps[std::string("urszk").find(move)])(), kNoErr) << move;
        const std::string out = dump(), calls = ui.log, bugs = reports();
        ui.log.clear();
        return out + (calls.empty() ? "" : " calls: " + calls) +
               (bugs.empty() ? "" : " bugs: " + bugs);
    }
    // One command under the label named, with the tasks in order: "r.a=7" sets a cell,
    // "r.a=text" a text, "r.a=none" no text; "t2.3=a@0-3" is the first keystroke typed in a
    // field over the selection 0-3, "s5.5=a" the cell kept the same as it; "+4" allocates the
    // spine of node 4, "-4" frees it; "w3=10>12" tells the window 3 went from 10 to 12; "v=y"
    // sets the variable.
    RErr command(const std::string& label, const std::string& tasks) {
        int32_t code = 0;
        while (code < kUndoLabelCount && label != undoString(code))
            ++code;
        RErr err = undo.startTaskList(code);
        std::istringstream in(tasks);
        for (std::string t; !err && in >> t;) {
            const std::size_t from = t.find('=') + 1;
            const std::string v = t.substr(from, t.find('@') - from);
            const CRString string(v == "none" ? "" : v, 0);
            const CRString* text = v == "none" ? nullptr : &string;
            int a = 0, b = 0, c = 0, d = 0;
            if (t[0] == '+' || t[0] == '-')
                err = CFishSpineTask::construct(undo, ui, std::stoi(t.substr(1)), t[0] == '+');
            else if (std::sscanf(t.c_str(), "w%d=%d>%d", &a, &b, &c) == 3)
                err = CUserInterfaceTask::construct(undo, ui, a, b, c);
            else if (t[0] == 'v')
                err = CVariableTask::construct(undo, ui, string);
            else if (std::sscanf(t.c_str(), "t%d.%d=%*[^@]@%d-%d", &a, &b, &c, &d) == 4)
                err = CTypingTask::construct(undo, tablet, strings, ui, a, b, text, c, d, typing);
            else if (std::sscanf(t.c_str(), "s%d.%d", &a, &b) == 2)
                err = typing->addSynchronizedTask(undo, a, b, text);
            else if (std::sscanf(t.c_str(), "%d.%d=", &a, &b) == 2)
                err = std::isdigit(static_cast<unsigned char>(v[0]))
                          ? setCell(a, b, std::stoi(v))
                          : CStringTask::construct(undo, tablet, strings, a, b, text);
        }
        const RErr finished = undo.finishTaskList(); // the first error wins
        return err ? err : finished;
    }
    // The step just done shows `done`; undone it shows `undone`, redone `done` again.
    void roundTrip(const std::string& done, const std::string& undone) {
        EXPECT_EQ(state(), done);
        EXPECT_EQ(state("u"), undone);
        EXPECT_EQ(state("r"), done);
    }

    RecordingPlatformScope scope;
    CTablet tablet;
    CStringManager strings;
    CUndoStructure undo;
    Recorder ui;
    CTypingTask* typing = nullptr;
};

const std::string kUnbalanced = " (unbalanced undo list bracketing)";
const std::string kAddTask = "CUndoStructure::addTask" + kUnbalanced;

} // namespace

TEST_F(Undo, CommandsAreStepsUndoneLastTaskFirstAndRedoneUnderTheirLabels) {
    ASSERT_EQ(tablet.setValue(2, 3, 7), kNoErr);
    EXPECT_EQ(state(), "-/- clean 0|2.3=7|");
    ASSERT_EQ(undo.startTaskList(kLabelCreateDaughter), kNoErr);
    ASSERT_EQ(setCell(2, 3, 70), kNoErr);
    ASSERT_EQ(setCell(4, 1, 41), kNoErr);
    EXPECT_EQ(tablet.cell(2, 3), 70); // done at once, before the list is closed
    ASSERT_EQ(undo.finishTaskList(), kNoErr);
    roundTrip("Undo Create Daughter/- dirty 1|2.3=70 4.1=41|",
              "-/Redo Create Daughter dirty 1|2.3=7|");
    ASSERT_EQ(command("Change Color", "2.3=700"), kNoErr);
    const std::string second = "Undo Change Color/- dirty 2|2.3=700 4.1=41|";
    EXPECT_EQ(state("uu"), "-/Redo Create Daughter dirty 2|2.3=7|");
    EXPECT_EQ(state("rr"), second);
    ASSERT_EQ(command("Drag", "1.1=10 1.1=20 1.1=30"), kNoErr);
    const std::string cells = "|1.1=30 2.3=700 4.1=41|";
    roundTrip("Undo Drag/- dirty 3" + cells, "Undo Change Color/Redo Drag dirty 3|2.3=700 4.1=41|");
    // A command without changes is a step that leaves the document clean until undone.
    ASSERT_EQ(undo.zeroOut(), kNoErr);
    ASSERT_EQ(command("Magnifying Glass", ""), kNoErr);
    EXPECT_EQ(state(), "Undo Magnifying Glass/- clean 1" + cells);
    EXPECT_EQ(state("u"), "-/Redo Magnifying Glass dirty 1" + cells);
    // Saved, a failed undo changes nothing; redo and undo make it dirty again.
    ASSERT_EQ(undo.resetDirty(), kNoErr);
    EXPECT_EQ(undo.undo(), kErrCantUndoRedo);
    EXPECT_EQ(state(), "-/Redo Magnifying Glass clean 1" + cells +
                           " bugs: CUndoStructure::undo (cant undo or redo)");
    EXPECT_EQ(state("r"), "Undo Magnifying Glass/- dirty 1" + cells);
    EXPECT_EQ(state("su"), "-/Redo Magnifying Glass dirty 1" + cells);
    EXPECT_EQ(state("rz"), "-/- clean 0" + cells);
    EXPECT_EQ(std::string(undoString(kLabelTyping)) + undoString(0) + undoString(1) +
                  undoString(kLabelNeverUndoable) + undoString(kUndoLabelCount) + undoString(-1),
              "Typing");
}

TEST_F(Undo, StringTasksKeepOneEntryEachAndFreeOnlyTheTextsNothingCanRestore) {
    for (const char* text : {"first", "second", "third"})
        ASSERT_EQ(command("Change Attribute", std::string("1.2=") + text), kNoErr);
    // Undone and redone again and again, each text keeps its one entry.
    for (int round = 0; round < 2; ++round)
        roundTrip("Undo Change Attribute/- dirty 3|1.2=3|1U:first 2U:second 3C:third",
                  "Undo Change Attribute/Redo Change Attribute dirty 3|1.2=2|1U:first 2C:second "
                  "3U:third");
    // A new command discards both undone steps, the farthest first, so 2 is reused first.
    EXPECT_EQ(state("uu"), "Undo Change Attribute/Redo Change Attribute dirty 3|1.2=1|1C:first "
                           "2U:second 3U:third");
    ASSERT_EQ(command("Delete Node", "5.5=1"), kNoErr);
    const std::string kept = "|1.2=1 5.5=1|1C:first", deleted = "Undo Delete Node/- dirty 2" + kept;
    EXPECT_EQ(state(), deleted);
    // Withdrawn, a command leaves the history as before it; with nothing to kill, no harm.
    ASSERT_EQ(command("Drag", "6.6=a 7.7=b"), kNoErr);
    EXPECT_EQ(state(), "Undo Drag/- dirty 3|1.2=1 5.5=1 6.6=2 7.7=3|1C:first 2C:a 3C:b");
    EXPECT_EQ(state("uk"), deleted);
    EXPECT_EQ(state("k"), deleted);
    // Emptying a cell undoes to its text.
    ASSERT_EQ(command("Typing", "1.2=none"), kNoErr);
    roundTrip("Undo Typing/- dirty 3|5.5=1|1U:first",
              "Undo Delete Node/Redo Typing dirty 3" + kept);
    // Forgetting the history keeps only the texts the cells hold.
    ASSERT_EQ(command("Typing", "2.1=replacement"), kNoErr);
    ASSERT_EQ(command("Typing", "3.1=undone"), kNoErr);
    EXPECT_EQ(state("uz"), "-/- clean 0|2.1=2 5.5=1|2C:replacement");
}

TEST_F(Undo, BracketingErrorsAreReportedAndChangeNothing) {
    EXPECT_EQ(undo.finishTaskList(), kErrUnbalancedUndo);
    EXPECT_EQ(undo.redo(), kErrCantUndoRedo);
    EXPECT_EQ(reports(), "CUndoStructure::finishTaskList" + kUnbalanced +
                             "; CUndoStructure::redo (cant undo or redo)");
    bool canUndo = true, canRedo = true, dirty = true;
    int32_t undoLabel = -1, redoLabel = -1;
    ASSERT_EQ(undo.startTaskList(kLabelCreateSister), kNoErr);
    EXPECT_EQ(undo.isDirty(dirty), kErrUnbalancedUndo);
    EXPECT_FALSE(dirty); // opening a list changes nothing yet
    ASSERT_EQ(setCell(3, 3, 33), kNoErr);
    EXPECT_EQ(std::vector<RErr>({undo.startTaskList(kLabelScissors), undo.undo(), undo.redo(),
                                 undo.canUndo(canUndo), undo.canRedo(canRedo),
                                 undo.currentUndoLabel(undoLabel), undo.currentRedoLabel(redoLabel),
                                 undo.zeroOut(), undo.killLastTaskList(), undo.isDirty(dirty),
                                 undo.resetDirty()}),
              std::vector<RErr>(11, kErrUnbalancedUndo));
    // The flag is still given and cleared while composing.
    EXPECT_EQ(std::make_tuple(canUndo, canRedo, undoLabel, redoLabel, dirty),
              std::make_tuple(false, false, 0, 0, true));
    EXPECT_EQ(undo.isDirty(dirty), kErrUnbalancedUndo);
    EXPECT_FALSE(dirty);
    std::string expected;
    for (const char* name :
         {"isDirty", "startTaskList", "undo", "redo", "canUndo", "canRedo", "currentUndoLabel",
          "currentUndoLabel", "zeroOut", "killLastTaskList", "isDirty", "resetDirty", "isDirty"})
        expected += (expected.empty() ? "CUndoStructure::" : "; CUndoStructure::") +
                    std::string(name) + kUnbalanced;
    EXPECT_EQ(reports(), expected);
    // The open list kept its label and its task through all of that.
    ASSERT_EQ(setCell(3, 4, 34), kNoErr);
    ASSERT_EQ(undo.finishTaskList(), kNoErr);
    roundTrip("Undo Create Sister/- dirty 1|3.3=33 3.4=34|", "-/Redo Create Sister dirty 1||");
}

TEST_F(Undo, TasksOutsideAListOrOnAnInvalidCellLeaveNothingAndAGoneHistoryFreesAll) {
    ASSERT_EQ(command("New Tree", "1.3=word"), kNoErr);
    ASSERT_EQ(undo.resetDirty(), kNoErr);
    const CRMemory& memory = CRMemory::shared();
    auto live = [&] {
        return std::make_tuple(memory.live(kKindCTask), memory.live(kKindCTaskList),
                               memory.live(kKindCUndoStructure));
    };
    const auto [tasks, lists, structures] = live();
    const CRString text("t", 0);
    EXPECT_EQ(setCell(2, 2, 5), kErrUnbalancedUndo);
    EXPECT_EQ(CStringTask::construct(undo, tablet, strings, 1, 3, &text), kErrUnbalancedUndo);
    EXPECT_EQ(CTypingTask::construct(undo, tablet, strings, ui, 1, 1, &text, 0, 0, typing),
              kErrUnbalancedUndo);
    EXPECT_EQ(typing, nullptr);
    EXPECT_EQ(live(), std::make_tuple(tasks, lists, structures));
    EXPECT_EQ(command("Change Attribute", "0.1=5"), kErrInvalidParameter);
    EXPECT_EQ(command("Change Attribute", "1.9=5"), kErrInvalidParameter);
    EXPECT_EQ(command("Change Attribute", "11.1=lost"), kErrInvalidParameter);
    const std::string invalid = " (invalid parameter)";
    // The empty commands are steps, but nothing in them changed the document, and no task
    // nor text was kept.
    std::string bugs = " bugs: ";
    for (const char* task : {"CDatabaseTask", "CStringTask", "CTypingTask"})
        bugs += kAddTask + "; " + task + "::" + task + kUnbalanced + "; ";
    for (const char* task : {"CDatabaseTask", "CDatabaseTask", "CStringTask"})
        bugs += "CTablet::getValue" + invalid + "; " + task + "::" + task + invalid + "; ";
    EXPECT_EQ(state() + "; ", "Undo Change Attribute/- clean 4|1.3=1|1C:word" + bugs);
    EXPECT_EQ(live(), std::make_tuple(tasks, lists + 3, structures));
    {
        // An open list counts too; destroyed while open, its tasks go with it.
        CUndoStructure history;
        ASSERT_EQ(history.startTaskList(kLabelCreateMother), kNoErr);
        ASSERT_EQ(CDatabaseTask::construct(history, tablet, 1, 1, 2), kNoErr);
        EXPECT_EQ(live(), std::make_tuple(tasks + 1, lists + 4, structures + 1));
    }
    EXPECT_EQ(live(), std::make_tuple(tasks, lists + 3, structures));
}

TEST_F(Undo, MillionTaskStepUndoesAndRedoesWithoutDeepStack) {
    constexpr int32_t kCells = 1000000;
    ASSERT_EQ(tablet.setMaxRecords(kCells), kNoErr);
    RErr err = undo.startTaskList(kLabelDeleteNode);
    for (int32_t record = 1; record <= kCells && !err; ++record)
        err = setCell(record, 2, record);
    ASSERT_EQ(err ? err : undo.finishTaskList(), kNoErr);
    // No cell differs from 0 once undone, nor from what the step set once redone.
    ASSERT_EQ(undo.undo(), kNoErr);
    int32_t wrong = 0;
    for (int32_t record = 1; record <= kCells; ++record)
        wrong += tablet.cell(record, 2) != 0;
    ASSERT_EQ(undo.redo(), kNoErr);
    for (int32_t record = 1; record <= kCells; ++record)
        wrong += tablet.cell(record, 2) != record;
    EXPECT_EQ(wrong, 0);
}

TEST_F(Undo, PrintSummaryDescribesEveryStepAndTask) {
    ASSERT_EQ(tablet.setValue(4, 2, 9), kNoErr);
    ui.value.setStringValue("x");
    ASSERT_EQ(command("Change Color", "4.2=12 5.3=red"), kNoErr);
    ASSERT_EQ(command("Menu", "+3 v=y w5=1>2"), kNoErr);
    EXPECT_EQ(state("u"), "Undo Change Color/Redo Menu dirty 2|4.2=12 5.3=1|1C:red calls: "
                          "allocate 3; set y; ui 5 2; ui 5 1; set x; free 3");
    testing::internal::CaptureStdout();
    undo.printSummary();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Undo history: 2 steps, 1 done.\n"
              "\tTask list 7 \"Change Color\" with 2 tasks:\n"
              "\t\tSet attribute 2 of record 4 from 9 to 12.\n"
              "\t\tSet attribute 3 of record 5 from string 0 to string 1 (done).\n"
              "\tTask list 20 \"Menu\" with 3 tasks:\n"
              "\t\tAllocate the fish spine of record 3.\n"
              "\t\tSet a variable from \"x\" to \"y\" (undone).\n"
              "\t\tTell the user interface 5 from 1 to 2.\n");
}

TEST_F(Undo, FishSpineVariableAndWindowTasksRunBothWaysAndAFailureSparesTheRest) {
    ASSERT_EQ(command("Triangle", "+4 -6"), kNoErr);
    roundTrip("Undo Triangle/- dirty 1|| calls: allocate 4; free 6",
              "-/Redo Triangle dirty 1|| calls: allocate 6; free 4");
    ASSERT_EQ(command("Drawing Preferences", "w3=10>12 1.8=12 w4=10>12"), kNoErr);
    const std::string undone =
        "Undo Triangle/Redo Drawing Preferences dirty 2|| calls: ui 4 10; ui 3 10";
    roundTrip("Undo Drawing Preferences/- dirty 2|1.8=12| calls: ui 3 12; ui 4 12", undone);
    // A failing task reports itself and the rest of its list still runs.
    ui.failing = {4};
    EXPECT_EQ(state("u"), undone + " bugs: CUserInterfaceTask::undoSelf (general error)");

    // A variable gets back its own copy of the old text, whatever changed it meanwhile.
    ui.value.setStringValue("before");
    CRString newText("after", 0);
    ASSERT_EQ(undo.startTaskList(kLabelMenu), kNoErr);
    ASSERT_EQ(CVariableTask::construct(undo, ui, newText), kNoErr);
    ASSERT_EQ(undo.finishTaskList(), kNoErr);
    newText.setStringValue("changed by the caller");
    ui.value.setStringValue("changed by the script");
    EXPECT_EQ(CVariableTask::construct(undo, ui, newText), kErrUnbalancedUndo);
    EXPECT_EQ(state("ur"), "Undo Menu/- dirty 2|| calls: set after; set before; set after bugs: " +
                               kAddTask + "; CVariableTask::CVariableTask" + kUnbalanced);

    ASSERT_EQ(undo.zeroOut(), kNoErr);
    ASSERT_EQ(command("Delete Node", "1.1=10 -7 2.1=20"), kNoErr);
    ui.failing.insert(7);
    EXPECT_EQ(state("u"), "-/Redo Delete Node dirty 1|| calls: free 7; allocate 7 bugs: "
                          "CFishSpineTask::undoSelf (malloc failed)");
    EXPECT_EQ(state("r"), "Undo Delete Node/- dirty 1|1.1=10 2.1=20| calls: free 7 bugs: "
                          "CFishSpineTask::doSelf (invalid parameter)");
    // A failure while the task is first done is reported and returned.
    EXPECT_EQ(command("Triangle", "+7"), kErrMallocFailed);
    EXPECT_EQ(state(), "Undo Triangle/- dirty 2|1.1=10 2.1=20| calls: allocate 7 bugs: "
                       "CFishSpineTask::doSelf (malloc failed); CFishSpineTask::CFishSpineTask "
                       "(malloc failed)");
}

TEST_F(Undo, TypingRunsAreOneStepThatRestoresTheCellsAndTheSelection) {
    // A word's citation form (2.3) and its main terminal's label (5.5); "dog" selected from 0
    // to 3 and replaced by the first keystroke, which the field already shows.
    ASSERT_EQ(command("New Tree", "2.3=dog 5.5=dog"), kNoErr);
    ASSERT_EQ(command("Typing", "t2.3=a@0-3 s5.5=a"), kNoErr);
    CTypingTask* const task = typing;
    ASSERT_NE(task->synchronizedTask(), nullptr);
    EXPECT_EQ(state(), "Undo Typing/- dirty 2|2.3=3 5.5=4|1U:dog 2U:dog 3C:a 4C:a");
    ASSERT_EQ(undo.resetDirty(), kNoErr); // amending after a save makes it dirty again
    ASSERT_EQ(task->amendNewValue(CRString("ab", 0)), kNoErr);
    ASSERT_EQ(task->amendNewValue(CRString("abc", 0)), kNoErr);
    // Amended in place; undone, the label first, then the field with the caret as it was.
    const std::string done = "Undo Typing/- dirty 2|2.3=3 5.5=4|1U:dog 2U:dog 3C:abc 4C:abc";
    EXPECT_EQ(state(), done + " calls: type 2.3 ab 0-0; type 5.5 ab 0-0; type 2.3 abc 0-0; "
                              "type 5.5 abc 0-0");
    EXPECT_EQ(state("u"), "Undo New Tree/Redo Typing dirty 2|2.3=1 5.5=2|1C:dog 2C:dog 3U:abc "
                          "4U:abc calls: type 5.5 dog 0-0; type 2.3 dog 0-3");
    EXPECT_EQ(state("r"), done + " calls: type 2.3 abc 0-0; type 5.5 abc 0-0");

    // The synchronized task needs the open list, and there is only one.
    ASSERT_EQ(command("Typing", "t2.3=w@0-0"), kNoErr);
    const CRString first("a", 0);
    EXPECT_EQ(typing->addSynchronizedTask(undo, 5, 5, &first), kErrUnbalancedUndo);
    EXPECT_EQ(typing->synchronizedTask(), nullptr);
    ASSERT_EQ(command("Typing", "s5.5=a"), kNoErr);
    CTypingTask* synchronized = typing->synchronizedTask();
    EXPECT_EQ(command("Typing", "s7.5=a"), kErrInvalidParameter);
    EXPECT_EQ(typing->synchronizedTask(), synchronized);
    EXPECT_EQ(state(), "Undo Typing/- dirty 5|2.3=5 5.5=6|1U:dog 2U:dog 3U:abc 4U:abc 5C:w 6C:a"
                       " bugs: " +
                           kAddTask + "; CTypingTask::CTypingTask" + kUnbalanced +
                           "; CTypingTask::addSynchronizedTask" + kUnbalanced +
                           "; CTypingTask::addSynchronizedTask (invalid parameter)");

    // A run into an empty field undoes to no text; one that began by emptying the field
    // registers its text on the first amendment, and frees it when discarded.
    ASSERT_EQ(undo.zeroOut(), kNoErr);
    ASSERT_EQ(command("Typing", "t4.2=x@0-0"), kNoErr);
    EXPECT_EQ(typing->oldStringID(), 0);
    EXPECT_EQ(state("u"),
              "-/Redo Typing dirty 1|2.3=5 5.5=6|1U:x 5C:w 6C:a calls: type 4.2 none 0-0");
    EXPECT_FALSE(typing->done());
    ASSERT_EQ(command("Typing", "t2.3=none@0-1"), kNoErr);
    EXPECT_EQ(typing->newStringID(), 0);
    ASSERT_EQ(typing->amendNewValue(CRString("n", 0)), kNoErr);
    EXPECT_EQ(typing->newStringID(), 1); // the first freed ID
    ASSERT_EQ(typing->amendNewValue(CRString("ne", 0)), kNoErr);
    EXPECT_EQ(state("u"), "-/Redo Typing dirty 1|2.3=5 5.5=6|1U:ne 5C:w 6C:a calls: type 2.3 n "
                          "0-0; type 2.3 ne 0-0; type 2.3 w 0-1");
    EXPECT_EQ(state("k"), "-/- dirty 0|2.3=5 5.5=6|5C:w 6C:a");
}
