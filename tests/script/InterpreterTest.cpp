#include "ScriptSupport.h"
#include "support/AllocationLimit.h"
#include "undo/CUndoStructure.h"

#include <functional>
#include <limits>
#include <optional>
#include <tuple>

namespace {

constexpr const char* kTooLong = "!The script was stopped because it ran too long.";
constexpr const char* kTooMuchMemory = "!The script was stopped because it used too much memory.";
using RReason = CScript::RStopReason;

// A script, the menu command run, the globals shown afterwards and what show() gives then
// ("@L" in it stands for the number of the node labelled L); "g=L" in marks sets the global g to
// the node L first. The trees are built in the tree area first; `after` is the root list the
// run leaves, when it changes ("?" when not checked).
struct RRun {
    std::string text;
    const char* function;
    const char* names;
    std::string expected;
    const char* marks = "";
    const char* after = nullptr;
    const char* trees = "R(A(C) B)";
};

// Runs the row, undoes the run, checks that the whole database and the globals are as they
// were, and runs it again: the second run must give the same. With failFrom, every allocation
// of that many bytes fails during the runs. Gives why the last run was stopped.
RReason expectRun(const RRun& row, const std::function<void(CScript&)>& limits = nullptr,
                  std::size_t failFrom = 0) {
    SCOPED_TRACE(row.text);
    ScriptHarness runner({"case"});
    std::istringstream trees(row.trees);
    for (std::string shape; std::getline(trees, shape, '|');)
        runner.buildTree(shape.substr(shape.find_first_not_of(' ')));
    const std::string before = describeRootList(runner.tree);
    EXPECT_EQ(runner.compile(row.text), kNoErr);
    const DatabaseState state = captureState(runner.tree);
    std::istringstream marks(row.marks);
    for (std::string mark; marks >> mark;)
        runner.setGlobal(mark.substr(0, mark.find('=')),
                         runner.node(mark.substr(mark.find('=') + 1)));
    const std::string initial = runner.show(row.names);
    std::string expected = row.expected;
    for (std::size_t at = expected.find('@'); at != std::string::npos; at = expected.find('@')) {
        const std::size_t end = expected.find_first_of(" |", at);
        expected.replace(at, end - at,
                         std::to_string(runner.node(expected.substr(at + 1, end - at - 1))));
    }
    for (int pass = 0; pass < 2; ++pass) {
        if (limits)
            limits(runner.script());
        {
            std::optional<LargeAllocationsFail> exhausted;
            if (failFrom)
                exhausted.emplace(failFrom);
            EXPECT_EQ(runner.run(row.function), kNoErr);
        }
        EXPECT_EQ(runner.script().callDepth(), 0);
        EXPECT_EQ(runner.script().executingUserFunction(), "");
        EXPECT_EQ(runner.script().lastCallWasStopped(),
                  runner.script().lastStopReason() != RReason::kNone);
        EXPECT_EQ(runner.show(row.names), expected) << pass;
        if (!row.after || *row.after != '?') {
            EXPECT_EQ(describeRootList(runner.tree), row.after ? row.after : before);
        }
        EXPECT_EQ(runner.undo().undo(), kNoErr);
        EXPECT_TRUE(sameStateAllowingGrowth(state, captureState(runner.tree))) << "after undo";
        EXPECT_EQ(runner.show(row.names), initial) << "after undo";
    }
    return runner.script().lastStopReason();
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
    expectValues({"(-2147483647 - 1) / -1 -> -2147483648", "(-2147483647 - 1) % -1 -> 0",
                  "(-2147483647 - 1) * -1 -> -2147483648", "(-2147483647 - 1) - 1 -> 2147483647",
                  "(-2147483647 - 1) / 2 -> -1073741824"});
    // The same arithmetic is offered outside a script.
    CRString left(152), right(152);
    left.setNumericValue(std::numeric_limits<int32_t>::min());
    right.setNumericValue(-1);
    int32_t result = 1;
    EXPECT_EQ(CScript::applyOperator('%', left, right, result), kNoErr);
    EXPECT_EQ(result, 0);
}

TEST(ScriptInterpreter, ScriptsLeaveTheirGlobalsTreesAndReportsAsWorkedOutByHand) {
    const std::string recursion = "define variable count, deepest define function rec let count = "
                                  "count + 1 let deepest = rec & \"|\" end define ";
    const std::string loops =
        "define variable i, j, k, after define function forever let i = 0 while true let i = i + 1 "
        "end while let after = 1 end define define function short let j = 0 while j < 5 let j = j "
        "+ 1 end while end define define function exact let k = 0 while k < 1000 let k = k + 1 end "
        "while end define debug";
    const std::string raise = "define variable after, n define function raise set-style(n, 3) "
                              "mother(0) let after = after + 1 end define ";
    const std::string forward =
        "define variable after define function later forward define function main let after = "
        "later let after = 2 end define define variable v";
    const std::string walk = "define variable x, y, visited, after define function walk let "
                             "visited = 0 for every node x let visited = visited + 1 ";
    const std::string walks =
        "define variable v, order, sub, start, bad, n, copy define function all for every node v "
        "let order = order & label(v) end for end define define function below define variable w "
        "for every node w dominated by start let sub = sub & label(w) end for end define define "
        "function invalid define variable w for every node w dominated by 0 let bad = bad + 1 end "
        "for end define define function mark let case(n) = \"nom\" & 1 let copy = case(n) & \"!\" "
        "end define debug";
    // search upward tests each ancestor but not the start, and candidate is the one tested.
    const std::string search =
        "define variable tested, found, start, seen define function no let tested = tested + 1 "
        "return 0 end define define function yes let tested = tested + 1 let seen = candidate "
        "return 1 end define define function none let found = search upward(start, no) end define "
        "define function first let found = search upward(start, yes) end define ";
    // At the first node visited the body kills B, which the walk has yet to reach, and makes a
    // node M that takes B's number: the walk does not take M.
    const std::string killing =
        "define variable x, top, victim, made, seen define function walk%  let seen = seen & "
        "label(x) if x = top then kill-node(victim) let made = create-daughter-to-left(x) "
        "set-node-label(made, \"M\") end if end for end define ";
    // Search upward neither tests a node made while it runs nor climbs on from it: when A is
    // killed and a node under B takes A's number, the search ends; a node put between A and R
    // is passed over.
    const std::string climb =
        "define variable top, a, b, start, made, tested define function test(n) let tested = "
        "tested & label(n) if n = a then % set-node-label(made, \"M\") end if return 0 end define "
        "define function climb return search upward(start, test(candidate)) end define ";
    const auto with = [](std::string text, const std::string& piece) {
        return text.replace(text.find('%'), 1, piece);
    };
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
        // A native's error is shown only while debugging, and the script goes on.
        {raise, "raise", "after", "after=1", "n=A"},
        {raise + "debug", "raise", "after",
         "after=1 | E raise/set-style: Invalid text style | E raise/mother: Invalid node argument",
         "n=A"},
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
         "climb", "found after", "found=0 after=1", "start=C", "R(B)"},
        {search, "none", "found tested", "found=0 tested=2", "start=C"},
        {search, "first", "found tested seen", "found=@A tested=1 seen=@A", "start=C"},
        {search, "first", "found tested", "found=0 tested=", "start=R"},
        // A walk takes its list when it starts and skips numbers that no longer name a node;
        // nodes the body makes are not visited. The root cannot be replaced by its daughter.
        {walk + "  kill-node(x) end for let after = 1 end define ", "walk", "visited after",
         "visited=1 after=1", "", ""},
        {walk + "  detach(x) end for let after = 1 end define ", "walk", "visited after",
         "visited=4 after=1", "", "B | C | A | R"},
        {walk + "  create-daughter-to-left(x) end for let after = 1 end define ", "walk",
         "visited after", "visited=4 after=1", "", "R( A( C()) B())"},
        {walk + "  let y = create-daughter-to-left(x) substitute(x, y) detach(x) end for let after "
                "= 1 end define ",
         "walk", "visited after", "visited=4 after=1 | bug: CTree::substitute (invalid parameter)",
         "", "B() | C() | A() | R()"},
        // Pre-order, the newest tree first.
        {walks, "all", "order", "order=SXZYRACB", "", nullptr, "R(A(C) B) | S(X(Z) Y)"},
        {walks, "below", "sub", "sub=AC", "start=A"},
        {walks, "invalid", "bad", "bad=8 | E invalid/dominated by: Invalid node argument", "",
         nullptr, "R(A(C) B) | S(X(Z) Y)"},
        {walks, "mark", "copy", "copy=nom1!", "n=B"},
        {with(killing, " for every node x\n"), "walk", "seen made", "seen=RAC made=@B",
         "top=R victim=B", "R(M A(C))"},
        {with(killing, " for every node x dominated by top\n"), "walk", "seen made",
         "seen=RAC made=@B", "top=R victim=B", "R(M A(C))"},
        {with(climb, "kill-node(n) let made = create-daughter-to-left(b)"), "climb", "tested",
         "tested=A", "top=R a=A b=B start=C", "R(B(M))"},
        {with(climb, "detach(n) let made = create-daughter-to-left(top) "
                     "attach-daughter-to-left(n, made)"),
         "climb", "tested", "tested=AR", "top=R a=A b=B start=C", "R(M(A(C)) B)"},
    };
    for (const RRun& row : rows)
        EXPECT_EQ(expectRun(row), RReason::kNone);
    // A variable is not a menu command.
    ScriptHarness runner;
    ASSERT_EQ(runner.compile(forward), kNoErr);
    EXPECT_EQ(runner.run("v"), kErrGeneral);
    EXPECT_EQ(runner.take(), "bug: Invalid symbol type for menu command "
                             "(CScript::executeAuthorDefinedMenuCommand)");
}

TEST(ScriptInterpreter, LongOperatorChainsRunWithoutDeepRecursion) {
    std::string sum = "1";
    for (int i = 1; i < 50000; ++i)
        sum += " + 1";
    expectValues({sum + " -> 50000"});
    ScriptHarness runner;
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
    // A loop of arithmetic alone, a billion passes, is stopped by the clock.
    const std::string billion = " define variable h, i, j let h = 0 while h < 1000 let h = h + 1 "
                                "let i = 0 while i < 1000 let i = i + 1 let j = 0 while j < 1000 "
                                "let j = j + 1 let n = j * 2 end while end while end while ";
    const auto grow = [](const std::string& body) {
        return "define variable n, after define function grow " + body +
               " let after = 1 end define ";
    };
    // "ab" doubled 14 times is 32,768 bytes; the 15th doubling would pass 32,999.
    const std::string doubling =
        "define variable s, n, doublings, size, after define function grow define variable i let s "
        "= \"ab\" let i = 0 while i < 40 let i = i + 1 let s = s & s let doublings = i let "
        "case(n) = s let size = length(case(n)) end while let after = 1 end define ";
    const auto steps = [](int64_t budget) {
        return [budget](CScript& script) { script.setStepBudget(budget); };
    };
    const auto growth = [](int64_t milliseconds, int64_t records, int64_t tasks, int64_t bytes) {
        return [=](CScript& script) {
            CScript::RGrowthLimits limits;
            limits.records = records ? records : limits.records;
            limits.undoTasks = tasks ? tasks : limits.undoTasks;
            limits.stringBytes = bytes ? bytes : limits.stringBytes;
            script.setStepBudget(std::numeric_limits<int64_t>::max() / 2);
            script.setTimeLimit(milliseconds);
            script.setGrowthLimits(limits);
        };
    };
    const std::string tooLong = std::string(" | ") + kTooLong;
    const std::string tooMuch = std::string("after= | ") + kTooMuchMemory;
    const std::tuple<RRun, std::function<void(CScript&)>, RReason> rows[] = {
        {{spin, "spin", "count", "count=10" + tooLong}, steps(7 + 9 * 10 + 5), RReason::kTooLong},
        {{spin, "spin", "count", "count=11" + tooLong}, steps(7 + 9 * 10 + 6), RReason::kTooLong},
        {{climb, "climb", "count", "count=10" + tooLong},
         steps(5 + 10 * 10 + 8),
         RReason::kTooLong},
        {{climb, "climb", "count", "count=11" + tooLong},
         steps(5 + 10 * 10 + 9),
         RReason::kTooLong},
        {{grow(billion), "grow", "after", "after=" + tooLong, "n=C"},
         growth(30, 0, 0, 0),
         RReason::kTooLong},
        {{grow(millionTimes("  let n = create-daughter-to-left(n) ")), "grow", "after", tooMuch,
          "n=C", "?"},
         growth(600000, 500, 0, 0),
         RReason::kTooMuchMemory},
        {{grow(millionTimes("  let case(n) = j ")), "grow", "after", tooMuch, "n=C"},
         growth(600000, 0, 2000, 0),
         RReason::kTooMuchMemory},
        {{grow(millionTimes("  let case(n) = \"0123456789\" & j ")), "grow", "after", tooMuch,
          "n=C"},
         growth(600000, 0, 0, 5000),
         RReason::kTooMuchMemory},
        // A text past the stored limit stops the call with a run-time error, shown when
        // debugging.
        {{doubling, "grow", "doublings size after", "doublings=14 size=32768 after=", "n=A"},
         nullptr,
         RReason::kStringTooLong},
        {{doubling + "debug", "grow", "doublings size after",
          "doublings=14 size=32768 after= | E grow/: Text longer than 32,999 bytes", "n=A"},
         nullptr,
         RReason::kStringTooLong},
        // A repeated error is shown once and counted at the end of the call.
        {{"define function fail define variable i, j let i = 0 while i < 500 let i = i + 1 let j "
          "= 0 while j < 200 let j = j + 1 mother(0) end while end while mother(0) end define "
          "debug",
          "fail", "",
          " | E fail/mother: Invalid node argument | E fail/mother: Invalid node argument ... and "
          "100,000 more of the same"},
         nullptr,
         RReason::kNone},
    };
    for (const auto& [row, limits, reason] : rows)
        EXPECT_EQ(expectRun(row, limits), reason);
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
    // One task for g and one for h, however often each was assigned.
    EXPECT_EQ(undo.tasksAddedSoFar() - tasksBefore, 2u);
    ASSERT_EQ(undo.undo(), kNoErr);
    ASSERT_EQ(undo.redo(), kNoErr);
    EXPECT_EQ(runner.show("g h"), "g=1000007 h=first then last");
    // A second call is a step of its own: its undo goes back to the first call's result.
    ASSERT_EQ(runner.run("count"), kNoErr);
    ASSERT_EQ(undo.undo(), kNoErr);
    EXPECT_EQ(runner.global("g"), "1000007");
}

// An exhausted allocator below a script call stops the call like a spent budget; a wide tree
// makes the walk's list of nodes need a large block.
TEST(ScriptBudgets, AFailedAllocationInACallStopsItAndUndoRestores) {
    if (!allocatorReplaced())
        GTEST_SKIP() << "the allocator cannot be replaced here";
    std::string wide = "R(A(C) B(";
    for (int i = 0; i < 20000; ++i)
        wide += "b ";
    wide += "))";
    const RRun row = {"define variable x, made, after define function walk "
                      "create-daughter-to-left(x) let made = 1 for every node x let made = made + "
                      "1 end for let after = 1 end define ",
                      "walk",
                      "made after",
                      std::string("made=1 after= | ") + kTooMuchMemory,
                      "x=C",
                      "?",
                      wide.c_str()};
    EXPECT_EQ(expectRun(row, nullptr, 64 * 1024), RReason::kTooMuchMemory);
}
