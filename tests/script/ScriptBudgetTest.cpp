// A script can neither run on for ever nor grow the document or its undo step without bound:
// each top-level call is stopped by its step, time or growth budget, with one message, and
// Undo takes back what it did.
#include "ScriptSupport.h"

#include "storage/CStringManager.h"
#include "undo/CUndoStructure.h"

#include <limits>

namespace {

constexpr const char* kTooLong = "The script was stopped because it ran too long.";
constexpr const char* kTooMuchMemory = "The script was stopped because it used too much memory.";

// Two nested loops of a thousand passes each around the body: a million runs of it.
std::string millionTimes(const std::string& body) {
    return " define variable i, j\n let i = 0\n while i < 1000\n let i = i + 1\n let j = 0\n"
           "  while j < 1000\n let j = j + 1\n" +
           body + "  end while\n end while\n";
}

// Three nested loops: a billion runs of the body, far past any budget.
std::string billionTimes(const std::string& body) {
    return " define variable h, i, j\n let h = 0\n while h < 1000\n let h = h + 1\n"
           " let i = 0\n while i < 1000\n let i = i + 1\n let j = 0\n"
           "  while j < 1000\n let j = j + 1\n" +
           body + "  end while\n end while\n end while\n";
}

} // namespace

TEST(ScriptBudgets, EachBudgetStopsTheCallOnceAndUndoTakesItBack) {
    struct Case {
        const char* name;
        std::string body;
        CScript::RGrowthLimits limits;
        int64_t milliseconds;
        CScript::RStopReason reason;
        const char* message;
    };
    const CScript::RGrowthLimits generous;
    CScript::RGrowthLimits fewRecords;
    fewRecords.records = 500;
    CScript::RGrowthLimits fewTasks;
    fewTasks.undoTasks = 2000;
    CScript::RGrowthLimits fewBytes;
    fewBytes.stringBytes = 5000;
    const Case cases[] = {
        // A loop with nothing in it but arithmetic, far past any step budget left to itself.
        {"time", billionTimes("  let after = j * 2\n"), generous, 30,
         CScript::RStopReason::kTooLong, kTooLong},
        {"records", millionTimes("  let n = create-daughter-to-left(n)\n"), fewRecords, 600000,
         CScript::RStopReason::kTooMuchMemory, kTooMuchMemory},
        {"undo tasks", millionTimes("  let case(n) = j\n"), fewTasks, 600000,
         CScript::RStopReason::kTooMuchMemory, kTooMuchMemory},
        {"string bytes", millionTimes("  let case(n) = \"0123456789\" & j\n"), fewBytes, 600000,
         CScript::RStopReason::kTooMuchMemory, kTooMuchMemory},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptHarness runner({"case"});
        const std::vector<int32_t> tree = runner.buildTree();
        ASSERT_EQ(runner.compile("define variable n, after\n"
                                 "define function grow\n" +
                                 c.body + " let after = 1\nend define\n"),
                  kNoErr);
        runner.setGlobal("n", tree[3]);
        runner.script().setStepBudget(std::numeric_limits<int64_t>::max() / 2);
        runner.script().setTimeLimit(c.milliseconds);
        runner.script().setGrowthLimits(c.limits);
        const int32_t nodesBefore = countAllNodes(runner.tree);

        ASSERT_EQ(runner.run("grow"), kNoErr);
        EXPECT_TRUE(runner.script().lastCallWasStopped());
        EXPECT_EQ(runner.script().lastStopReason(), c.reason);
        EXPECT_NE(runner.global("after"), "1");
        ASSERT_EQ(runner.alerts().size(), 1u);
        EXPECT_EQ(runner.alerts()[0], c.message);
        EXPECT_TRUE(runner.bugReports().empty());
        EXPECT_EQ(runner.script().callDepth(), 0);

        ASSERT_EQ(runner.tree.undoStructure().undo(), kNoErr);
        EXPECT_EQ(countAllNodes(runner.tree), nodesBefore);
        EXPECT_EQ(runner.featureText(tree[3], "case"), "");

        // The next call starts with budgets of its own.
        runner.script().setGrowthLimits(generous);
        ASSERT_EQ(runner.compile("define variable after\n"
                                 "define function quick\n let after = 1\nend define\n"),
                  kNoErr);
        ASSERT_EQ(runner.run("quick"), kNoErr);
        EXPECT_FALSE(runner.script().lastCallWasStopped());
        EXPECT_EQ(runner.script().lastStopReason(), CScript::RStopReason::kNone);
        EXPECT_EQ(runner.global("after"), "1");
    }
}

TEST(ScriptBudgets, AMillionAssignmentsOfAGlobalLeaveOneUndoTask) {
    ScriptHarness runner;
    ASSERT_EQ(runner.compile("define variable g, h\n"
                             "define function count\n" +
                             millionTimes("let g = g + 1\n") +
                             " let h = \"first\"\n let h = h & \" then last\"\nend define\n"),
              kNoErr);
    runner.setGlobal("g", 7);
    runner.script().setTimeLimit(600000);
    CUndoStructure& undo = runner.tree.undoStructure();
    const uint64_t tasksBefore = undo.tasksAddedSoFar();
    ASSERT_EQ(runner.run("count"), kNoErr);
    EXPECT_FALSE(runner.script().lastCallWasStopped());
    EXPECT_EQ(runner.global("g"), "1000007");
    EXPECT_EQ(runner.global("h"), "first then last");
    // One task for g and one for h, however often each was assigned.
    EXPECT_EQ(undo.tasksAddedSoFar() - tasksBefore, 2u);

    ASSERT_EQ(undo.undo(), kNoErr);
    EXPECT_EQ(runner.global("g"), "7");
    EXPECT_EQ(runner.global("h"), "");
    ASSERT_EQ(undo.redo(), kNoErr);
    EXPECT_EQ(runner.global("g"), "1000007");
    EXPECT_EQ(runner.global("h"), "first then last");

    // A second call is a step of its own: its undo goes back to the first call's result.
    ASSERT_EQ(runner.run("count"), kNoErr);
    EXPECT_EQ(runner.global("g"), "2000007");
    ASSERT_EQ(undo.undo(), kNoErr);
    EXPECT_EQ(runner.global("g"), "1000007");
}

TEST(ScriptBudgets, ATextPastTheStoredLimitStopsTheCallWithARunTimeError) {
    for (const bool debugging : {false, true}) {
        SCOPED_TRACE(debugging);
        ScriptHarness runner({"case"});
        const std::vector<int32_t> tree = runner.buildTree();
        const std::string text = "define variable s, n, doublings, after\n"
                                 "define function grow\n define variable i\n let s = \"ab\"\n"
                                 " let i = 0\n while i < 40\n let i = i + 1\n let s = s & s\n"
                                 "  let doublings = i\n let case(n) = s\n end while\n"
                                 " let after = 1\nend define\n";
        ASSERT_EQ(runner.compile(debugging ? text + "debug" : text), kNoErr);
        runner.setGlobal("n", tree[1]);
        ASSERT_EQ(runner.run("grow"), kNoErr);
        // "ab" doubled 14 times is 32,768 bytes; the 15th doubling would pass 32,999.
        EXPECT_EQ(runner.global("doublings"), "14");
        EXPECT_EQ(runner.global("s").size(), 32768u);
        EXPECT_EQ(runner.featureText(tree[1], "case").size(), 32768u);
        EXPECT_EQ(runner.global("after"), "");
        EXPECT_TRUE(runner.script().lastCallWasStopped());
        EXPECT_EQ(runner.script().lastStopReason(), CScript::RStopReason::kStringTooLong);
        EXPECT_TRUE(runner.bugReports().empty());
        EXPECT_TRUE(runner.alerts().empty());
        if (debugging) {
            ASSERT_EQ(runner.runTimeErrors().size(), 1u);
            EXPECT_EQ(runner.runTimeErrors()[0],
                      "A run time error occurred in the user function \"grow\".\r\n"
                      "Error Message: Text longer than 32,999 bytes");
        } else {
            EXPECT_TRUE(runner.runTimeErrors().empty());
        }
        ASSERT_EQ(runner.tree.undoStructure().undo(), kNoErr);
        EXPECT_EQ(runner.global("s"), "");
        EXPECT_EQ(runner.featureText(tree[1], "case"), "");
    }
    // Up to the limit itself a text is an ordinary value.
    EXPECT_EQ(CStringManager::kMaxStoredTextBytes, 32999);
}

TEST(ScriptBudgets, WalksOverNodesSurviveABodyThatChangesTheTree) {
    struct Case {
        const char* name;
        const char* body;
        int32_t visited;
        int32_t nodesAfter;
        std::vector<std::string> reports;
    };
    // The tree is root(a(c), b): four nodes. The walk takes its list when it starts and skips
    // numbers that no longer name a node; nodes the body makes are not visited.
    const Case cases[] = {
        {"kill", "  kill-node(x)\n", 1, 0, {}},
        {"detach", "  detach(x)\n", 4, 4, {}},
        // The root cannot be replaced by its own daughter (reported); the other nodes can.
        {"substitute",
         "  let y = create-daughter-to-left(x)\n  substitute(x, y)\n  detach(x)\n",
         4,
         8,
         {"CTree::substitute (invalid parameter)"}},
        {"create", "  create-daughter-to-left(x)\n", 4, 8, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptHarness runner;
        runner.buildTree();
        ASSERT_EQ(runner.compile(std::string("define variable x, y, visited, after\n"
                                             "define function walk\n let visited = 0\n"
                                             " for every node x\n  let visited = visited + 1\n") +
                                 c.body + " end for\n let after = 1\nend define\n"),
                  kNoErr);
        ASSERT_EQ(runner.run("walk"), kNoErr);
        EXPECT_FALSE(runner.script().lastCallWasStopped());
        EXPECT_EQ(runner.global("after"), "1");
        EXPECT_EQ(runner.bugReports(), c.reports);
        EXPECT_EQ(runner.number("visited"), c.visited);
        EXPECT_EQ(countAllNodes(runner.tree), c.nodesAfter);
        ASSERT_EQ(runner.tree.undoStructure().undo(), kNoErr);
        EXPECT_EQ(countAllNodes(runner.tree), 4);
    }
}

TEST(ScriptBudgets, SearchUpwardEndsWhenItsConditionKillsTheNodeItStandsOn) {
    ScriptHarness runner;
    const std::vector<int32_t> tree = runner.buildTree();
    ASSERT_EQ(runner.compile("define variable start, found, after\n"
                             "define function climb\n"
                             " let found = search upward(start, kill-node(candidate) = 9)\n"
                             " let after = 1\nend define\n"),
              kNoErr);
    runner.setGlobal("start", tree[3]);
    ASSERT_EQ(runner.run("climb"), kNoErr);
    EXPECT_EQ(runner.global("found"), "0");
    EXPECT_EQ(runner.global("after"), "1");
    EXPECT_TRUE(runner.bugReports().empty());
}

TEST(ScriptBudgets, ARepeatedErrorIsShownOnceAndCountedAtTheEndOfTheCall) {
    ScriptHarness runner;
    ASSERT_EQ(runner.compile("define function fail\n define variable i, j\n let i = 0\n"
                             " while i < 500\n let i = i + 1\n let j = 0\n"
                             "  while j < 200\n let j = j + 1\n mother(0)\n end while\n"
                             " end while\n mother(0)\nend define\ndebug"),
              kNoErr);
    ASSERT_EQ(runner.run("fail"), kNoErr);
    const std::string error = "A run time error occurred in the user function \"fail\" while "
                              "calling native function \"mother\".\r\n"
                              "Error Message: Invalid node argument";
    EXPECT_EQ(runner.runTimeErrors(),
              (std::vector<std::string>{error, error + " ... and 100,000 more of the same"}));
    // Every other report is collapsed alike: a handful of boxes in all, not 100,001.
    EXPECT_LT(runner.platform.recorder.calls().size(), 10u);

    // The next call shows its first error again.
    runner.platform.recorder.clear();
    ASSERT_EQ(runner.compile("define function once\n mother(0)\nend define\ndebug"), kNoErr);
    ASSERT_EQ(runner.run("once"), kNoErr);
    EXPECT_EQ(runner.runTimeErrors(),
              (std::vector<std::string>{"A run time error occurred in the user function "
                                        "\"once\" while calling native function \"mother\".\r\n"
                                        "Error Message: Invalid node argument"}));
}
