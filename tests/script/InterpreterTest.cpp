#include "ScriptSupport.h"
#include "support/AllocationLimit.h"
#include "undo/CUndoStructure.h"

#include <limits>
#include <tuple>

namespace {

constexpr const char* kTooLong = "!The script was stopped because it ran too long.";
constexpr const char* kTooMuchMemory = "!The script was stopped because it used too much memory.";

// A script, the menu command run, the globals shown afterwards and what show() gives then;
// "g=L" in marks sets the global g to the node labelled L of R(A(C) B) first.
struct RRun {
    std::string text;
    const char* function;
    const char* names;
    std::string expected;
    const char* marks = "";
};

std::string runOnTree(ScriptHarness& runner, const RRun& row) {
    runner.buildTree();
    EXPECT_EQ(runner.compile(row.text), kNoErr);
    std::istringstream marks(row.marks);
    for (std::string mark; marks >> mark;)
        runner.setGlobal(mark.substr(0, mark.find('=')),
                         runner.node(mark.substr(mark.find('=') + 1)));
    EXPECT_EQ(runner.run(row.function), kNoErr);
    EXPECT_EQ(runner.script().callDepth(), 0);
    EXPECT_EQ(runner.script().executingUserFunction(), "");
    return runner.show(row.names);
}

// Two nested loops of a thousand passes each around the body: a million runs of it.
std::string millionTimes(const std::string& body) {
    return " define variable i, j let i = 0 while i < 1000 let i = i + 1 let j = 0 while j < 1000 "
           "let j = j + 1 " +
           body + "  end while\n end while\n";
}

// Evaluates each "expression -> value" row in one function and compares every value.
void expectValues(const std::vector<std::string>& rows) {
    std::string text = "define variable ", body, names, expected;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string r = "r" + std::to_string(i), row = rows[i];
        text += (i ? ", " : "") + r;
        body += " let " + r + " = " + row.substr(0, row.find(" -> ")) + "\n";
        names += r + " ";
        expected += (i ? " " : "") + r + "=" + row.substr(row.find(" -> ") + 4);
    }
    ScriptHarness runner;
    EXPECT_EQ(runner.exec(text + " define function f" + body + "end define", "f", names), expected);
}

} // namespace

TEST(ScriptInterpreter, OperatorsOnNumbersAndTexts) {
    // Division by 0 gives 0; quotients go toward zero; sums wrap. Texts compare with eq and
    // ne, ignoring case; "=" compares numbers. A minus before digits is the literal's: 3--1
    // subtracts a negative number. The last line ends in a comment.
    expectValues({"7 / 0 -> 0", "7 % 0 -> 0", "-7 / 2 -> -3", "-7 % 2 -> -1", "17 % -5 -> 2",
                  "2147483647 + 1 -> -2147483648", "65536 * 65536 + 5 -> 5", "7 - 10 * 2 -> -13",
                  "3 > 2 -> 1", "2 >= 3 -> 0", "3 <> 3 -> 0", "2 <= 2 -> 1",
                  "1 + 2 + 3 + 4 - 5 -> 5"});
    expectValues({"\"abc\" eq \"ABC\" -> 1", "\"abc\" ne \"abd\" -> 1", "\"5\" = \"05\" -> 1",
                  "\"5\" eq \"05\" -> 0", "\"x\" & 12 & \"y\" -> x12y",
                  "\"\xC3\xA9\" eq \"e\" -> 0", "not (1 = 2) -> 1", "3 - -1 -> 4", "3--1 -> 4",
                  "7 * -2 -> -14", "\"a # b\" & \"#\" # a comment -> a # b#"});
    // The one quotient that does not fit wraps, and its remainder is 0; nothing traps.
    constexpr int32_t low = std::numeric_limits<int32_t>::min();
    const std::tuple<int32_t, int32_t, int32_t, int32_t> wraps[] = {
        {'/', low, -1, low},
        {'%', low, -1, 0},
        {'*', low, -1, low},
        {'-', low, 1, std::numeric_limits<int32_t>::max()},
        {'/', low, 2, low / 2}};
    for (const auto& [op, a, b, expected] : wraps) {
        CRString left(152), right(152);
        left.setNumericValue(a);
        right.setNumericValue(b);
        int32_t result = 0;
        EXPECT_EQ(CScript::applyOperator(op, left, right, result), kNoErr);
        EXPECT_EQ(result, expected) << char(op) << " " << b;
    }
}

TEST(ScriptInterpreter, ScriptsLeaveTheirGlobalsAndReportsAsWorkedOutByHand) {
    const std::string recursion = "define variable count, deepest define function rec let count = "
                                  "count + 1 let deepest = rec & \"|\" end define ";
    const std::string loops =
        "define variable i, j, k, after define function forever let i = 0 while true let i = i + 1 "
        "end while let after = 1 end define define function short let j = 0 while j < 5 let j = j "
        "+ 1 end while end define define function exact let k = 0 while k < 1000 let k = k + 1 end "
        "while end define debug";
    const std::string forward =
        "define variable after define function later forward define function main let after = "
        "later let after = 2 end define define variable v";
    const std::string walk = "define variable x, y, visited, after define function walk let "
                             "visited = 0 for every node x let visited = visited + 1 ";
    const RRun rows[] = {
        // and and or evaluate both operands.
        {"define variable calls, r, s define function f(x) let calls = calls & \"f\" return x end "
         "define define function g(x) let calls = calls & \"g\" return x end define define "
         "function main let r = f(0) and g(2) let s = f(1) or g(0) end define",
         "main", "calls r s", "calls=fgfg r=0 s=1"},
        // The last return sets the result and exit leaves the function.
        {"define variable a, b, after, never define function twice return 1 return 2 end define "
         "define function leave return 1 exit let never = 1 return 3 end define define function "
         "nothing let after = 0 end define define function main let a = twice let b = leave let "
         "after = nothing & \"|\" end define",
         "main", "a b never after", "a=2 b=1 never= after=|"},
        // Reading a variable as a statement of its own leaves it intact; a parameter hides the
        // global of the same name.
        {"define variable r, x define function add(x, y) define variable z let z = x + y z x "
         "return z end define define function main define variable local let local = 5 local let x "
         "= 40 let r = add(local, 2) & \"/\" & local & \"/\" & x end define",
         "main", "r", "r=7/5/40"},
        // Texts read as numbers (each digit's code less 48) stay the texts they were.
        {"define variable t, n define function main define variable local let t = \"12a\" let "
         "local = \"007\" let n = (t + 0) & \"/\" & (local * 1) end define",
         "main", "n t", "n=169/7 t=12a"},
        // A function left from inside an operand returns the value the expression had then.
        {"define variable r1, r2, r3 define function leaveWithText return (if \"abc\" then exit "
         "end if) + 1 end define define function leaveAfterOperand return \"05\" + search "
         "upward(0, true) end define define function leaveInNot return not (if 7 then exit end if) "
         "end define define function main let r1 = leaveWithText let r2 = leaveAfterOperand let r3 "
         "= leaveInNot end define",
         "main", "r1 r2 r3", "r1=abc r2=05 r3=0"},
        {"define variable a define function arg(x) return x end define define function main define "
         "variable local let local = \"007\" let a = arg(1 + 1) & \"/\" & arg(\"a\" & \"b\") & "
         "\"/\" & arg(local) end define",
         "main", "a", "a=2/ab/007"},
        // main is level 1; down runs at levels 2 to 99 and the call at level 100 yields nothing.
        {"define variable deep, refused define function down(k) if k > 0 then return down(k - 1) + "
         "1 end if end define define function main let deep = down(97) let refused = down(150) end "
         "define",
         "main", "deep refused", "deep=97 refused=98"},
        // The refused call yields the empty value; every level above appends its bar.
        {recursion, "rec", "count", "count=99"},
        {recursion + "debug", "rec", "count deepest",
         "count=99 deepest=| | E rec/: Excessive recursion"},
        // The 1000th pass is reported although the condition has just become false.
        {loops, "forever", "i after", "i=1000 after=1 | E forever/: Excessive 'while' looping"},
        {loops, "short", "j", "j=5"},
        {loops, "exact", "k", "k=1000 | E exact/: Excessive 'while' looping"},
        // A function declared forward and never defined abandons its caller.
        {forward, "missing", "after", "after="},
        {forward, "MAIN", "after",
         "after= | bug: CScript::executeAnyFunction: non-function symbol type."},
        {"define variable v debug", "missing", "",
         " | E /: There is no function in the script corresponding to the menu command."},
        // An invalid start leaves the function as "exit" would; so does a feature of no node.
        {"define variable found, after define function f(n) return 1 end define define function "
         "invalid let found = search upward(0, f(candidate)) let after = 1 end define ",
         "invalid", "found after", "found= after="},
        {"define variable after define function badnode let case(0) = \"x\" let after = 1 end "
         "define debug",
         "badnode", "after", "after="},
        {"define variable start, found, after define function climb let found = search "
         "upward(start, kill-node(candidate) = 9) let after = 1 end define ",
         "climb", "found after", "found=0 after=1", "start=C"},
        // A walk takes its list when it starts and skips numbers that no longer name a node;
        // nodes the body makes are not visited. The root cannot be replaced by its daughter.
        {walk + "  kill-node(x) end for let after = 1 end define ", "walk", "visited after",
         "visited=1 after=1"},
        {walk + "  detach(x) end for let after = 1 end define ", "walk", "visited after",
         "visited=4 after=1"},
        {walk + "  create-daughter-to-left(x) end for let after = 1 end define ", "walk",
         "visited after", "visited=4 after=1"},
        {walk + "  let y = create-daughter-to-left(x) substitute(x, y) detach(x) end for let after "
                "= 1 end define ",
         "walk", "visited after", "visited=4 after=1 | bug: CTree::substitute (invalid parameter)"},
    };
    for (const RRun& row : rows) {
        SCOPED_TRACE(row.text);
        ScriptHarness runner({"case"});
        EXPECT_EQ(runOnTree(runner, row), row.expected);
        EXPECT_FALSE(runner.script().lastCallWasStopped());
        ASSERT_EQ(runner.undo().undo(), kNoErr);
        EXPECT_EQ(describeRootList(runner.tree), "R(A(C) B)");
    }
    // A variable is not a menu command.
    ScriptHarness runner;
    ASSERT_EQ(runner.compile(forward), kNoErr);
    EXPECT_EQ(runner.run("v"), kErrGeneral);
    EXPECT_EQ(runner.take(), "bug: Invalid symbol type for menu command "
                             "(CScript::executeAuthorDefinedMenuCommand)");
}

TEST(ScriptInterpreter, WalksOverTheTreeAreaAreUndoneWithTheMenuStep) {
    ScriptHarness runner({"case"});
    runner.buildTree();
    runner.buildTree("S(X(Z) Y)");
    ASSERT_EQ(runner.compile(
                  "define variable v, order, sub, start, bad, n, copy define function all for "
                  "every node v let order = order & label(v) end for end define define function "
                  "below define variable w for every node w dominated by start let sub = sub & "
                  "label(w) end for end define define function invalid define variable w for every "
                  "node w dominated by 0 let bad = bad + 1 end for end define define function mark "
                  "let case(n) = \"nom\" & 1 let copy = case(n) & \"!\" end define debug"),
              kNoErr);
    // Pre-order, the newest tree first.
    ASSERT_EQ(runner.run("all"), kNoErr);
    EXPECT_EQ(runner.show("order"), "order=SXZYRACB");
    EXPECT_EQ(runner.number("v"), runner.node("B"));
    // Undo takes back the assignments but not the loop variable's walk.
    ASSERT_EQ(runner.undo().undo(), kNoErr);
    EXPECT_EQ(runner.show("order"), "order=");
    EXPECT_EQ(runner.number("v"), runner.node("B"));
    runner.setGlobal("start", runner.node("A"));
    ASSERT_EQ(runner.run("below"), kNoErr);
    ASSERT_EQ(runner.run("invalid"), kNoErr);
    EXPECT_EQ(runner.show("sub bad"),
              "sub=AC bad=8 | E invalid/dominated by: Invalid node argument");

    runner.setGlobal("n", runner.node("B"));
    ASSERT_EQ(runner.run("mark"), kNoErr);
    const auto marked = [&] {
        return runner.featureText(runner.node("B"), "case") + " " + runner.show("copy");
    };
    EXPECT_EQ(marked(), "nom1 copy=nom1!");
    bool dirty = false;
    ASSERT_EQ(runner.undo().isDirty(dirty), kNoErr);
    EXPECT_TRUE(dirty);
    ASSERT_EQ(runner.undo().undo(), kNoErr);
    EXPECT_EQ(marked(), " copy=");
    ASSERT_EQ(runner.undo().redo(), kNoErr);
    EXPECT_EQ(marked(), "nom1 copy=nom1!");
}

TEST(ScriptInterpreter, SearchUpwardTestsEachAncestorButNotTheStart) {
    ScriptHarness runner;
    runner.buildTree();
    ASSERT_EQ(runner.compile(
                  "define variable tested, found, start define function no let tested = tested + 1 "
                  "return 0 end define define function yes let tested = tested + 1 return 1 end "
                  "define define function none let found = search upward(start, no) end define "
                  "define function first let found = search upward(start, yes) end define "),
              kNoErr);
    runner.setGlobal("start", runner.node("C"));
    ASSERT_EQ(runner.run("none"), kNoErr);
    EXPECT_EQ(runner.show("found tested"), "found=0 tested=2");
    ASSERT_EQ(runner.run("first"), kNoErr);
    EXPECT_EQ(runner.show("found tested"),
              "found=" + std::to_string(runner.node("A")) + " tested=3");
    ASSERT_NE(runner.script().candidateValue(), nullptr);
    EXPECT_EQ(runner.script().candidateValue()->getNumericValue(), runner.node("A"));
    // From a root the condition is never evaluated.
    runner.setGlobal("start", runner.node("R"));
    ASSERT_EQ(runner.run("first"), kNoErr);
    EXPECT_EQ(runner.show("found tested"), "found=0 tested=3");
}

TEST(ScriptInterpreter, AWalkDoesNotTakeANodeMadeUnderANumberItListed) {
    // At the first node visited the body kills B, which the walk has yet to reach, and makes a
    // node M that takes B's number.
    for (const char* header : {" for every node x\n", " for every node x dominated by top\n"}) {
        SCOPED_TRACE(header);
        ScriptHarness runner;
        const RRun row{
            std::string("define variable x, top, victim, made, seen define function walk ") +
                header +
                "  let seen = seen & label(x) if x = top then kill-node(victim) let made = "
                "create-daughter-to-left(x) set-node-label(made, \"M\") end if end for end define ",
            "walk", "seen", "seen=RAC", "top=R victim=B"};
        EXPECT_EQ(runOnTree(runner, row), row.expected);
        EXPECT_EQ(runner.number("made"), runner.node("B"));
        EXPECT_EQ(describeRootList(runner.tree), "R(M A(C))");
        ASSERT_EQ(runner.undo().undo(), kNoErr);
        EXPECT_EQ(describeRootList(runner.tree), "R(A(C) B)");
    }
    // Search upward neither tests a node made while it runs nor climbs on from it: when A is
    // killed and a node under B takes A's number, the search ends; a node put between A and R
    // is passed over.
    const std::string test = "define variable top, a, b, start, made, tested define function "
                             "test(n) let tested = tested & label(n) if n = a then ";
    const std::string climb =
        " set-node-label(made, \"M\") end if return 0 end define define function climb return "
        "search upward(start, test(candidate)) end define ";
    const char* marks = "top=R a=A b=B start=C";
    for (const RRun& row :
         {RRun{test + "  kill-node(n) let made = create-daughter-to-left(b) " + climb, "climb",
               "tested", "tested=A", marks},
          RRun{test +
                   "  detach(n) let made = create-daughter-to-left(top) attach-daughter-to-left(n, "
                   "made) " +
                   climb,
               "climb", "tested", "tested=AR", marks}}) {
        ScriptHarness runner;
        EXPECT_EQ(runOnTree(runner, row), row.expected);
        EXPECT_NE(runner.number("made"), 0);
    }
}

TEST(ScriptInterpreter, LongOperatorChainsRunWithoutDeepRecursion) {
    ScriptHarness runner;
    std::string sum = "1";
    for (int i = 1; i < 50000; ++i)
        sum += " + 1";
    EXPECT_EQ(
        runner.exec("define variable total define function add let total = " + sum + "\nend define",
                    "add", "total"),
        "total=50000");
    // Nesting that cannot be flattened (here within recursion) is bounded: past the limit the
    // innermost function is abandoned with one report instead of overflowing the machine stack.
    std::string nested = "rec";
    for (int i = 0; i < 60; ++i)
        nested = "not (" + nested + ")";
    ASSERT_EQ(runner.compile(
                  "define variable levels define function rec let levels = levels + 1 return " +
                  nested + "\nend define"),
              kNoErr);
    ASSERT_EQ(runner.run("rec"), kNoErr);
    EXPECT_GT(runner.number("levels"), 10);
    EXPECT_LT(runner.number("levels"), CScript::kMostCallDepth);
    EXPECT_EQ(runner.take(),
              "bug: CScript::evaluateExpression: the script nests too deeply to be run.");
}

TEST(ScriptBudgets, EachBudgetStopsTheCallOnceAndUndoTakesItBack) {
    // Each statement and each expression node is one step: the call stops at the very step
    // past the budget, wherever in a statement that falls. spin: 7 steps before the first
    // pass, 9 a pass, the 6th of which assigns count. climb: 5 steps before the first pass, 10
    // a pass (4 of them in inc), the 9th assigns.
    const std::string spin = "define variable count define function spin define variable i let i = "
                             "0 while i < 500 let i = i + 1 let count = i end while end define ";
    const std::string climb = "define variable count define function inc(n) return n + 1 end "
                              "define define function climb define variable i let i = 0 while 1 "
                              "let i = inc(i) let count = i end while end define ";
    const std::tuple<const std::string&, const char*, int64_t, const char*> steps[] = {
        {spin, "spin", 7 + 9 * 10 + 5, "count=10"},
        {spin, "spin", 7 + 9 * 10 + 6, "count=11"},
        {climb, "climb", 5 + 10 * 10 + 8, "count=10"},
        {climb, "climb", 5 + 10 * 10 + 9, "count=11"}};
    for (const auto& [text, function, budget, count] : steps) {
        SCOPED_TRACE(budget);
        ScriptHarness runner;
        ASSERT_EQ(runner.compile(text), kNoErr);
        runner.script().setStepBudget(budget);
        ASSERT_EQ(runner.run(function), kNoErr);
        EXPECT_TRUE(runner.script().lastCallWasStopped());
        EXPECT_EQ(runner.script().callDepth(), 0);
        EXPECT_EQ(runner.show("count"), std::string(count) + " | " + kTooLong);
        // Undo takes back everything the stopped call changed; the next call has its own budget.
        ASSERT_EQ(runner.undo().undo(), kNoErr);
        EXPECT_EQ(runner.global("count"), "");
        ASSERT_EQ(runner.run(function), kNoErr);
        EXPECT_EQ(runner.show("count"), std::string(count) + " | " + kTooLong);
    }

    CScript::RGrowthLimits generous, records, tasks, bytes;
    records.records = 500;
    tasks.undoTasks = 2000;
    bytes.stringBytes = 5000;
    // A loop of arithmetic alone, a billion passes, is stopped by the clock.
    const std::string billion = " define variable h, i, j let h = 0 while h < 1000 let h = h + 1 "
                                "let i = 0 while i < 1000 let i = i + 1 let j = 0 while j < 1000 "
                                "let j = j + 1 let n = j * 2 end while end while end while ";
    const std::tuple<const char*, std::string, CScript::RGrowthLimits, int64_t,
                     CScript::RStopReason, const char*>
        growth[] = {{"time", billion, generous, 30, CScript::RStopReason::kTooLong, kTooLong},
                    {"records", millionTimes("  let n = create-daughter-to-left(n) "), records,
                     600000, CScript::RStopReason::kTooMuchMemory, kTooMuchMemory},
                    {"undo tasks", millionTimes("  let case(n) = j "), tasks, 600000,
                     CScript::RStopReason::kTooMuchMemory, kTooMuchMemory},
                    {"string bytes", millionTimes("  let case(n) = \"0123456789\" & j "), bytes,
                     600000, CScript::RStopReason::kTooMuchMemory, kTooMuchMemory}};
    for (const auto& [name, body, limits, milliseconds, reason, message] : growth) {
        SCOPED_TRACE(name);
        ScriptHarness runner({"case"});
        runner.buildTree();
        ASSERT_EQ(runner.compile("define variable n, after define function grow " + body +
                                 " let after = 1 end define "),
                  kNoErr);
        runner.setGlobal("n", runner.node("C"));
        runner.script().setStepBudget(std::numeric_limits<int64_t>::max() / 2);
        runner.script().setTimeLimit(milliseconds);
        runner.script().setGrowthLimits(limits);
        ASSERT_EQ(runner.run("grow"), kNoErr);
        EXPECT_TRUE(runner.script().lastCallWasStopped());
        EXPECT_EQ(runner.script().lastStopReason(), reason);
        EXPECT_EQ(runner.show("after"), std::string("after= | ") + message);
        EXPECT_EQ(runner.script().callDepth(), 0);
        ASSERT_EQ(runner.undo().undo(), kNoErr);
        EXPECT_EQ(describeRootList(runner.tree), "R(A(C) B)");
        EXPECT_EQ(runner.featureText(runner.node("C"), "case"), "");
        // The next call starts with budgets of its own.
        runner.script().setGrowthLimits(generous);
        EXPECT_EQ(
            runner.exec("define variable after define function quick let after = 1 end define ",
                        "quick", "after"),
            "after=1");
        EXPECT_EQ(runner.script().lastStopReason(), CScript::RStopReason::kNone);
    }
}

TEST(ScriptBudgets, AMillionAssignmentsOfAGlobalLeaveOneUndoTask) {
    ScriptHarness runner;
    ASSERT_EQ(runner.compile("define variable g, h define function count " +
                             millionTimes("let g = g + 1 ") +
                             " let h = \"first\" let h = h & \" then last\" end define "),
              kNoErr);
    runner.setGlobal("g", 7);
    runner.script().setTimeLimit(600000);
    CUndoStructure& undo = runner.undo();
    const uint64_t tasksBefore = undo.tasksAddedSoFar();
    ASSERT_EQ(runner.run("count"), kNoErr);
    EXPECT_EQ(runner.show("g h"), "g=1000007 h=first then last");
    // One task for g and one for h, however often each was assigned.
    EXPECT_EQ(undo.tasksAddedSoFar() - tasksBefore, 2u);
    ASSERT_EQ(undo.undo(), kNoErr);
    EXPECT_EQ(runner.show("g h"), "g=7 h=");
    ASSERT_EQ(undo.redo(), kNoErr);
    EXPECT_EQ(runner.show("g h"), "g=1000007 h=first then last");
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
        runner.buildTree();
        const std::string text =
            "define variable s, n, doublings, after define function grow define variable i let s = "
            "\"ab\" let i = 0 while i < 40 let i = i + 1 let s = s & s let doublings = i let "
            "case(n) = s end while let after = 1 end define ";
        ASSERT_EQ(runner.compile(debugging ? text + "debug" : text), kNoErr);
        runner.setGlobal("n", runner.node("A"));
        ASSERT_EQ(runner.run("grow"), kNoErr);
        // "ab" doubled 14 times is 32,768 bytes; the 15th doubling would pass 32,999.
        EXPECT_EQ(runner.show("doublings after"),
                  debugging ? "doublings=14 after= | E grow/: Text longer than 32,999 bytes"
                            : "doublings=14 after=");
        EXPECT_EQ(runner.global("s").size(), 32768u);
        EXPECT_EQ(runner.featureText(runner.node("A"), "case").size(), 32768u);
        EXPECT_EQ(runner.script().lastStopReason(), CScript::RStopReason::kStringTooLong);
        ASSERT_EQ(runner.undo().undo(), kNoErr);
        EXPECT_EQ(runner.global("s") + runner.featureText(runner.node("A"), "case"), "");
    }
}

TEST(ScriptBudgets, ARepeatedErrorIsShownOnceAndCountedAtTheEndOfTheCall) {
    ScriptHarness runner;
    const std::string error = "E fail/mother: Invalid node argument";
    EXPECT_EQ(runner.exec("define function fail define variable i, j let i = 0 while i < 500 let i "
                          "= i + 1 let j = 0 while j < 200 let j = j + 1 mother(0) end while end "
                          "while mother(0) end define debug",
                          "fail", ""),
              " | " + error + " | " + error + " ... and 100,000 more of the same");
    // The next call shows its first error again.
    EXPECT_EQ(runner.exec("define function once mother(0) end define debug", "once", ""),
              " | E once/mother: Invalid node argument");
}

// An exhausted allocator below a script call stops the call like a spent budget.
TEST(ScriptBudgets, AFailedAllocationInACallStopsItAndUndoRestores) {
    if (!allocatorReplaced())
        GTEST_SKIP() << "the allocator cannot be replaced here";
    ScriptHarness runner;
    runner.buildTree();
    // A wide tree, so that the walk's list of nodes needs a large block.
    CUndoStructure& undo = runner.undo();
    ASSERT_EQ(undo.startTaskList(kLabelNeverUndoable), kNoErr);
    for (int i = 0; i < 20000; ++i) {
        int32_t daughter = 0;
        ASSERT_EQ(runner.tree.newDaughterToRight(runner.node("B"), daughter), kNoErr);
    }
    ASSERT_EQ(undo.finishTaskList(), kNoErr);
    ASSERT_EQ(undo.zeroOut(), kNoErr);
    ASSERT_EQ(
        runner.compile(
            "define variable x, made, after define function walk create-daughter-to-left(x) let "
            "made = 1 for every node x let made = made + 1 end for let after = 1 end define "),
        kNoErr);
    runner.setGlobal("x", runner.node("C"));
    const int32_t nodesBefore = countAllNodes(runner.tree);
    {
        const LargeAllocationsFail exhausted(64 * 1024);
        ASSERT_EQ(runner.run("walk"), kNoErr);
    }
    EXPECT_EQ(runner.script().lastStopReason(), CScript::RStopReason::kTooMuchMemory);
    EXPECT_EQ(runner.show("made after"), std::string("made=1 after= | ") + kTooMuchMemory);
    EXPECT_EQ(runner.script().callDepth(), 0);
    EXPECT_EQ(countAllNodes(runner.tree), nodesBefore + 1);
    ASSERT_EQ(undo.undo(), kNoErr);
    EXPECT_EQ(countAllNodes(runner.tree), nodesBefore);
    EXPECT_EQ(runner.global("made"), "");
    // With memory back, the same command runs to its end.
    ASSERT_EQ(runner.run("walk"), kNoErr);
    EXPECT_EQ(runner.show("after"), "after=1");
}
