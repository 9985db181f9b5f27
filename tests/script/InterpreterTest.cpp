#include "ScriptSupport.h"
#include "undo/CUndoStructure.h"

#include <limits>

namespace {

int32_t apply(int32_t op, int32_t a, int32_t b) {
    CRString left(152);
    CRString right(152);
    left.setNumericValue(a);
    right.setNumericValue(b);
    int32_t result = 0;
    EXPECT_EQ(CScript::applyOperator(op, left, right, result), kNoErr);
    return result;
}

} // namespace

TEST(ScriptInterpreter, OperatorsOnNumbersAndTexts) {
    const std::pair<const char*, const char*> rows[] = {
        // Division by 0 gives 0; quotients go toward zero; sums wrap.
        {"7 / 0", "0"},
        {"7 % 0", "0"},
        {"-7 / 2", "-3"},
        {"-7 % 2", "-1"},
        {"17 % -5", "2"},
        {"2147483647 + 1", "-2147483648"},
        {"65536 * 65536 + 5", "5"},
        {"7 - 10 * 2", "-13"},
        {"(3 > 2) + (2 >= 3) * 10 + (3 <> 3) * 100 + (2 <= 2) * 1000", "1001"},
        {"1 + 2 + 3 + 4 - 5", "5"},
        // Texts compare with eq and ne, ignoring case; "=" compares numbers.
        {"\"abc\" eq \"ABC\"", "1"},
        {"\"abc\" ne \"abd\"", "1"},
        {"\"5\" = \"05\"", "1"},
        {"\"5\" eq \"05\"", "0"},
        {"\"x\" & 12 & \"y\"", "x12y"},
        {"\"\xC3\xA9\" eq \"e\"", "0"},
        {"not (1 = 2)", "1"},
        // A minus before digits is the literal's: these are subtractions of negative numbers.
        {"3 - -1", "4"},
        {"3--1", "4"},
        {"7 * -2", "-14"},
        {"\"a # b\" & \"#\" # the literals keep their hashes", "a # b#"}};
    for (const auto& [expression, value] : rows) {
        ScriptHarness runner;
        ASSERT_EQ(runner.compile(std::string("define variable r\ndefine function f\n let r = ") +
                                 expression + "\nend define"),
                  kNoErr)
            << expression;
        ASSERT_EQ(runner.run("f"), kNoErr);
        EXPECT_EQ(runner.global("r"), value) << expression;
        EXPECT_TRUE(runner.platform.recorder.bugReports().empty()) << expression;
    }
    // The one quotient that does not fit wraps, and its remainder is 0; nothing traps.
    constexpr int32_t lowest = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(apply('/', lowest, -1), lowest);
    EXPECT_EQ(apply('%', lowest, -1), 0);
    EXPECT_EQ(apply('*', lowest, -1), lowest);
    EXPECT_EQ(apply('-', lowest, 1), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(apply('/', lowest, 2), lowest / 2);
}

TEST(ScriptInterpreter, ScriptsLeaveTheirGlobalsAsWorkedOutByHand) {
    const struct {
        const char* what;
        const char* text; // a script whose function main sets the globals
        std::vector<std::pair<const char*, const char*>> globals;
    } rows[] = {
        {"and and or evaluate both operands",
         "define variable calls, r, s\n"
         "define function f(x)\n let calls = calls & \"f\"\n return x\nend define\n"
         "define function g(x)\n let calls = calls & \"g\"\n return x\nend define\n"
         "define function main\n let r = f(0) and g(2)\n let s = f(1) or g(0)\nend define",
         {{"calls", "fgfg"}, {"r", "0"}, {"s", "1"}}},
        {"the last return sets the result and exit leaves the function",
         "define variable a, b, after, never\n"
         "define function twice\n return 1\n return 2\nend define\n"
         "define function leave\n return 1\n exit\n let never = 1\n return 3\nend define\n"
         "define function nothing\n let after = 0\nend define\n"
         "define function main\n let a = twice\n let b = leave\n"
         " let after = nothing & \"|\"\nend define",
         {{"a", "2"}, {"b", "1"}, {"never", ""}, {"after", "|"}}},
        // Reading a variable as a statement of its own leaves it intact; a parameter hides the
        // global of the same name.
        {"locals, parameters and expression statements",
         "define variable r, x\n"
         "define function add(x, y)\n define variable z\n let z = x + y\n z\n x\n return z\n"
         "end define\n"
         "define function main\n define variable local\n let local = 5\n local\n let x = 40\n"
         " let r = add(local, 2) & \"/\" & local & \"/\" & x\nend define",
         {{"r", "7/5/40"}}},
        // Texts read as numbers (each digit's code less 48) stay the texts they were.
        {"texts read as numbers",
         "define variable t, n\ndefine function main\n"
         " define variable local\n let t = \"12a\"\n let local = \"007\"\n"
         " let n = (t + 0) & \"/\" & (local * 1)\nend define",
         {{"n", "169/7"}, {"t", "12a"}}},
        // A function left from inside an operand returns the value the expression had then.
        {"leaving from inside an operand",
         "define variable r1, r2, r3\n"
         "define function leaveWithText\n return (if \"abc\" then exit end if) + 1\nend define\n"
         "define function leaveAfterOperand\n return \"05\" + search upward(0, true)\n"
         "end define\n"
         "define function leaveInNot\n return not (if 7 then exit end if)\nend define\n"
         "define function main\n let r1 = leaveWithText\n let r2 = leaveAfterOperand\n"
         " let r3 = leaveInNot\nend define",
         {{"r1", "abc"}, {"r2", "05"}, {"r3", "0"}}},
        {"arguments keep their texts",
         "define variable a\ndefine function arg(x)\n return x\nend define\n"
         "define function main\n define variable local\n let local = \"007\"\n"
         " let a = arg(1 + 1) & \"/\" & arg(\"a\" & \"b\") & \"/\" & arg(local)\nend define",
         {{"a", "2/ab/007"}}},
        // main is level 1; down runs at levels 2 to 99 and the call at level 100 yields nothing.
        {"recursion to the deepest level allowed",
         "define variable deep, refused\n"
         "define function down(k)\n if k > 0 then\n  return down(k - 1) + 1\n end if\n"
         "end define\n"
         "define function main\n let deep = down(97)\n let refused = down(150)\nend define",
         {{"deep", "97"}, {"refused", "98"}}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ScriptHarness runner;
        ASSERT_EQ(runner.compile(row.text), kNoErr);
        ASSERT_EQ(runner.run("main"), kNoErr);
        for (const auto& [name, value] : row.globals)
            EXPECT_EQ(runner.global(name), value) << name;
        EXPECT_TRUE(runner.platform.recorder.bugReports().empty());
    }
}

TEST(ScriptInterpreter, RecursionIsRefusedAtTheHundredthLevel) {
    const std::string text = "define variable count, deepest\n"
                             "define function rec\n let count = count + 1\n"
                             " let deepest = rec & \"|\"\nend define\n";
    {
        ScriptHarness quiet;
        ASSERT_EQ(quiet.compile(text), kNoErr);
        ASSERT_EQ(quiet.run("rec"), kNoErr);
        EXPECT_EQ(quiet.global("count"), "99");
        EXPECT_TRUE(quiet.runTimeErrors().empty());
    }
    ScriptHarness runner;
    ASSERT_EQ(runner.compile(text + "debug"), kNoErr);
    ASSERT_EQ(runner.run("rec"), kNoErr);
    EXPECT_EQ(runner.global("count"), "99");
    // The refused call yields the empty value; every level above appends its bar.
    EXPECT_EQ(runner.global("deepest"), "|");
    ASSERT_EQ(runner.runTimeErrors().size(), 1u);
    EXPECT_EQ(runner.runTimeErrors()[0], "A run time error occurred in the user function \"rec\""
                                         ".\r\nError Message: Excessive recursion");
    EXPECT_EQ(runner.script().callDepth(), 0);
    EXPECT_EQ(runner.script().executingUserFunction(), "");
}

TEST(ScriptInterpreter, WhileStopsAfterAThousandPasses) {
    ScriptHarness runner;
    ASSERT_EQ(runner.compile("define variable i, j, k, after\n"
                             "define function forever\n let i = 0\n"
                             " while true\n let i = i + 1\n end while\n let after = 1\n"
                             "end define\n"
                             "define function short\n let j = 0\n while j < 5\n let j = j + 1\n"
                             " end while\nend define\n"
                             "define function exact\n let k = 0\n while k < 1000\n let k = k + 1\n"
                             " end while\nend define\n"
                             "debug"),
              kNoErr);
    ASSERT_EQ(runner.run("forever"), kNoErr);
    EXPECT_EQ(runner.global("i"), "1000");
    EXPECT_EQ(runner.global("after"), "1");
    ASSERT_EQ(runner.runTimeErrors().size(), 1u);
    EXPECT_EQ(runner.runTimeErrors()[0],
              "A run time error occurred in the user function "
              "\"forever\".\r\nError Message: Excessive 'while' looping");
    ASSERT_EQ(runner.run("short"), kNoErr);
    EXPECT_EQ(runner.global("j"), "5");
    EXPECT_EQ(runner.runTimeErrors().size(), 1u);
    // The body has run 1000 times: reported although the condition has just become false.
    ASSERT_EQ(runner.run("exact"), kNoErr);
    EXPECT_EQ(runner.global("k"), "1000");
    EXPECT_EQ(runner.runTimeErrors().size(), 2u);
}

TEST(ScriptInterpreter, ForEveryNodeWalksTheTreeAreaInPreOrder) {
    ScriptHarness runner;
    const std::vector<int32_t> first = runner.buildTree();
    const std::vector<int32_t> second = runner.buildTree();
    ASSERT_EQ(runner.compile("define variable v, order, sub, start, bad\n"
                             "define function all\n for every node v\n"
                             " let order = order & v & \" \"\n end for\nend define\n"
                             "define function below\n define variable w\n"
                             " for every node w dominated by start\n let sub = sub & w & \" \"\n"
                             " end for\nend define\n"
                             "define function invalid\n define variable w\n"
                             " for every node w dominated by 0\n let bad = bad + 1\n end for\n"
                             "end define\ndebug"),
              kNoErr);
    auto names = [](const std::vector<int32_t>& tree) {
        // Pre-order: root, a, c (under a), b.
        return std::to_string(tree[0]) + " " + std::to_string(tree[1]) + " " +
               std::to_string(tree[3]) + " " + std::to_string(tree[2]) + " ";
    };
    ASSERT_EQ(runner.run("all"), kNoErr);
    // The newest tree comes first.
    EXPECT_EQ(runner.global("order"), names(second) + names(first));
    EXPECT_EQ(runner.global("v"), std::to_string(first[2]));
    // Undo takes back the assignments but not the loop variable's walk.
    ASSERT_EQ(runner.tree.undoStructure().undo(), kNoErr);
    EXPECT_EQ(runner.global("order"), "");
    EXPECT_EQ(runner.global("v"), std::to_string(first[2]));

    runner.setGlobal("start", first[1]);
    ASSERT_EQ(runner.run("below"), kNoErr);
    EXPECT_EQ(runner.global("sub"),
              std::to_string(first[1]) + " " + std::to_string(first[3]) + " ");

    ASSERT_EQ(runner.run("invalid"), kNoErr);
    EXPECT_EQ(runner.global("bad"), "8");
    ASSERT_EQ(runner.runTimeErrors().size(), 1u);
    EXPECT_EQ(runner.runTimeErrors()[0],
              "A run time error occurred in the user function \"invalid\" while calling native "
              "function \"dominated by\".\r\nError Message: Invalid node argument");
}

TEST(ScriptInterpreter, SearchUpwardTestsEachAncestorButNotTheStart) {
    ScriptHarness runner;
    const std::vector<int32_t> tree = runner.buildTree();
    ASSERT_EQ(runner.compile("define variable tested, found, start, after\n"
                             "define function no\n let tested = tested + 1\n return 0\n"
                             "end define\n"
                             "define function yes\n let tested = tested + 1\n return 1\n"
                             "end define\n"
                             "define function none\n let found = search upward(start, no)\n"
                             "end define\n"
                             "define function first\n let found = search upward(start, yes)\n"
                             "end define\n"
                             "define function invalid\n let found = search upward(0, yes)\n"
                             " let after = 1\nend define\n"),
              kNoErr);
    runner.setGlobal("start", tree[3]);
    ASSERT_EQ(runner.run("none"), kNoErr);
    EXPECT_EQ(runner.global("found"), "0");
    EXPECT_EQ(runner.global("tested"), "2");
    ASSERT_EQ(runner.run("first"), kNoErr);
    EXPECT_EQ(runner.global("found"), std::to_string(tree[1]));
    EXPECT_EQ(runner.global("tested"), "3");
    ASSERT_NE(runner.script().candidateValue(), nullptr);
    EXPECT_EQ(runner.script().candidateValue()->getNumericValue(), tree[1]);
    // From a root the condition is never evaluated.
    runner.setGlobal("start", tree[0]);
    ASSERT_EQ(runner.run("first"), kNoErr);
    EXPECT_EQ(runner.global("found"), "0");
    EXPECT_EQ(runner.global("tested"), "3");
    // An invalid start leaves the function as "exit" would.
    ASSERT_EQ(runner.run("invalid"), kNoErr);
    EXPECT_EQ(runner.global("after"), "");
    EXPECT_TRUE(runner.runTimeErrors().empty());
}

TEST(ScriptInterpreter, FeatureAssignmentIsUndoneWithTheMenuStep) {
    ScriptHarness runner({"case"});
    const std::vector<int32_t> tree = runner.buildTree();
    ASSERT_EQ(runner.compile("define variable n, copy, after\n"
                             "define function mark\n let case(n) = \"nom\" & 1\n"
                             " let copy = case(n) & \"!\"\nend define\n"
                             "define function badnode\n let case(0) = \"x\"\n let after = 1\n"
                             "end define\ndebug"),
              kNoErr);
    runner.setGlobal("n", tree[2]);
    ASSERT_EQ(runner.run("mark"), kNoErr);
    EXPECT_EQ(runner.featureText(tree[2], "case"), "nom1");
    EXPECT_EQ(runner.global("copy"), "nom1!");
    CUndoStructure& undo = runner.tree.undoStructure();
    bool dirty = false;
    ASSERT_EQ(undo.isDirty(dirty), kNoErr);
    EXPECT_TRUE(dirty);
    ASSERT_EQ(undo.undo(), kNoErr);
    EXPECT_EQ(runner.featureText(tree[2], "case"), "");
    EXPECT_EQ(runner.global("copy"), "");
    ASSERT_EQ(undo.redo(), kNoErr);
    EXPECT_EQ(runner.featureText(tree[2], "case"), "nom1");
    EXPECT_EQ(runner.global("copy"), "nom1!");
    // A feature of a node that is not valid abandons the function without a message.
    ASSERT_EQ(runner.run("badnode"), kNoErr);
    EXPECT_EQ(runner.global("after"), "");
    EXPECT_TRUE(runner.runTimeErrors().empty());
}

TEST(ScriptInterpreter, LongOperatorChainsRunWithoutDeepRecursion) {
    ScriptHarness runner;
    std::string sum = "1";
    for (int i = 1; i < 50000; ++i)
        sum += " + 1";
    ASSERT_EQ(runner.compile("define variable total\ndefine function add\n let total = " + sum +
                             "\nend define"),
              kNoErr);
    ASSERT_EQ(runner.run("add"), kNoErr);
    EXPECT_EQ(runner.global("total"), "50000");

    // Nesting that cannot be flattened (here within recursion) is bounded: past the limit the
    // innermost function is abandoned with one report instead of overflowing the machine stack.
    std::string nested = "rec";
    for (int i = 0; i < 60; ++i)
        nested = "not (" + nested + ")";
    ASSERT_EQ(runner.compile("define variable levels\ndefine function rec\n"
                             " let levels = levels + 1\n return " +
                             nested + "\nend define"),
              kNoErr);
    ASSERT_EQ(runner.run("rec"), kNoErr);
    EXPECT_GT(runner.number("levels"), 10);
    EXPECT_LT(runner.number("levels"), CScript::kMostCallDepth);
    ASSERT_EQ(runner.platform.recorder.bugReports().size(), 1u);
    EXPECT_EQ(runner.platform.recorder.bugReports()[0],
              "CScript::evaluateExpression: the script nests too deeply to be run.");
}

TEST(ScriptInterpreter, UnknownMenuFunctionsAndForwardDeclarations) {
    ScriptHarness runner;
    ASSERT_EQ(runner.compile("define variable after\n"
                             "define function later forward\n"
                             "define function main\n let after = later\n let after = 2\n"
                             "end define\ndefine variable v"),
              kNoErr);
    ASSERT_EQ(runner.run("missing"), kNoErr);
    EXPECT_TRUE(runner.runTimeErrors().empty());
    // A function declared forward and never defined abandons its caller.
    ASSERT_EQ(runner.run("MAIN"), kNoErr);
    EXPECT_EQ(runner.global("after"), "");
    ASSERT_EQ(runner.platform.recorder.bugReports().size(), 1u);
    EXPECT_EQ(runner.platform.recorder.bugReports()[0],
              "CScript::executeAnyFunction: non-function symbol type.");
    // A variable is not a menu command.
    EXPECT_EQ(runner.run("v"), kErrGeneral);
    EXPECT_EQ(runner.platform.recorder.bugReports().back(),
              "Invalid symbol type for menu command (CScript::executeAuthorDefinedMenuCommand)");

    ScriptHarness debugging;
    ASSERT_EQ(debugging.compile("define variable v\ndebug"), kNoErr);
    ASSERT_EQ(debugging.run("missing"), kNoErr);
    ASSERT_EQ(debugging.runTimeErrors().size(), 1u);
    EXPECT_EQ(debugging.runTimeErrors()[0],
              "A run time error occurred.\r\nError Message: There is no function in the script "
              "corresponding to the menu command.");
}

TEST(ScriptInterpreter, TheStepBudgetCountsEveryStatementAndExpression) {
    // Each statement and each expression node is one step: the call stops at the very step
    // past the budget, wherever in a statement that falls.
    const std::string loop = "define variable count\n"
                             "define function spin\n define variable i\n let i = 0\n"
                             " while i < 500\n let i = i + 1\n let count = i\n end while\n"
                             "end define\n";
    const std::string calls = "define variable count\n"
                              "define function inc(n)\n return n + 1\nend define\n"
                              "define function climb\n define variable i\n let i = 0\n"
                              " while 1\n let i = inc(i)\n let count = i\n end while\n"
                              "end define\n";
    struct Case {
        const std::string& text;
        const char* function;
        int64_t budget;
        const char* count;
    };
    // spin: 7 steps before the first pass, 9 a pass, the 6th of which assigns count.
    // climb: 5 steps before the first pass, 10 a pass (4 of them in inc), the 9th assigns.
    const Case cases[] = {{loop, "spin", 7 + 9 * 10 + 5, "10"},
                          {loop, "spin", 7 + 9 * 10 + 6, "11"},
                          {calls, "climb", 5 + 10 * 10 + 8, "10"},
                          {calls, "climb", 5 + 10 * 10 + 9, "11"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.function) + " " + std::to_string(c.budget));
        ScriptHarness runner;
        ASSERT_EQ(runner.compile(c.text), kNoErr);
        runner.script().setStepBudget(c.budget);
        ASSERT_EQ(runner.run(c.function), kNoErr);
        EXPECT_TRUE(runner.script().lastCallWasStopped());
        EXPECT_EQ(runner.global("count"), c.count);
        EXPECT_EQ(runner.script().callDepth(), 0);
        EXPECT_EQ(runner.alerts(), Texts{"The script was stopped because it ran too long."});
        // Undo takes back everything the stopped call changed; the next call has its own budget.
        ASSERT_EQ(runner.undo().undo(), kNoErr);
        EXPECT_EQ(runner.global("count"), "");
        ASSERT_EQ(runner.run(c.function), kNoErr);
        EXPECT_EQ(runner.global("count"), c.count);
    }
}
