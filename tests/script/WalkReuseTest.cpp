// A node made while a walk runs is never taken for a node the walk had before it, even when it
// has taken over the number of a killed one: "for every node" does not visit it, and "search
// upward" neither tests it nor climbs on from it.
#include "ScriptSupport.h"

#include "undo/CUndoStructure.h"

namespace {

// " 5 7 9": the numbers, each after a space.
std::string numbers(const std::vector<int32_t>& values) {
    std::string text;
    for (const int32_t value : values)
        text += " " + std::to_string(value);
    return text;
}

} // namespace

TEST(WalkReuse, ForEveryNodeDoesNotVisitANodeMadeUnderANumberItListed) {
    // At the first node visited the body kills b, which the walk has yet to reach, and makes a
    // node that takes b's number. Both forms of the walk list root, a, c, b when they start.
    for (const char* header : {" for every node x\n", " for every node x dominated by top\n"}) {
        SCOPED_TRACE(header);
        ScriptHarness runner;
        const std::vector<int32_t> tree = runner.buildTree(); // root, a, b, c
        ASSERT_EQ(runner.compile(std::string("define variable x, top, victim, made, seen\n"
                                             "define function walk\n let seen = \"\"\n") +
                                 header +
                                 "  let seen = seen & \" \" & x\n"
                                 "  if x = top then\n   kill-node(victim)\n"
                                 "   let made = create-daughter-to-left(x)\n  end if\n"
                                 " end for\nend define\n"),
                  kNoErr);
        runner.setGlobal("top", tree[0]);
        runner.setGlobal("victim", tree[2]);
        ASSERT_EQ(runner.run("walk"), kNoErr);
        EXPECT_FALSE(runner.script().lastCallWasStopped());
        // The new node did take the number over; the walk ends where b would have been.
        EXPECT_EQ(runner.number("made"), tree[2]);
        EXPECT_EQ(runner.global("seen"), numbers({tree[0], tree[1], tree[3]}));
        int32_t mother = 0;
        EXPECT_EQ(runner.tree.getMother(tree[2], mother), kNoErr);
        EXPECT_EQ(mother, tree[0]);
        // Undo gives b back under its old number.
        ASSERT_EQ(runner.tree.undoStructure().undo(), kNoErr);
        int32_t sister = 0;
        EXPECT_EQ(runner.tree.getNextSister(tree[1], sister), kNoErr);
        EXPECT_EQ(sister, tree[2]);
    }
}

TEST(WalkReuse, SearchUpwardNeitherTestsNorClimbsFromANodeMadeWhileItRuns) {
    struct Case {
        const char* name;
        // Run by the condition when the candidate is a.
        const char* change;
        // The candidates tested, as indexes into root, a, b, c.
        std::vector<int32_t> tested;
    };
    const Case cases[] = {
        // a (with the start c) is killed and a node under b takes a's number: the search ends
        // on the node it stood on instead of climbing on through b.
        {"reused", "  kill-node(n)\n  let made = create-daughter-to-left(b)\n", {1}},
        // A new node is put between a and root: it is passed over, and root is tested.
        {"inserted",
         "  detach(n)\n  let made = create-daughter-to-left(top)\n"
         "  attach-daughter-to-left(n, made)\n",
         {1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptHarness runner;
        const std::vector<int32_t> tree = runner.buildTree();
        ASSERT_EQ(runner.compile(std::string("define variable top, a, b, start, made, tested\n"
                                             "define function test(n)\n"
                                             " let tested = tested & \" \" & n\n"
                                             " if n = a then\n") +
                                 c.change +
                                 " end if\n return 0\nend define\n"
                                 "define function climb\n let tested = \"\"\n"
                                 " return search upward(start, test(candidate))\nend define\n"),
                  kNoErr);
        runner.setGlobal("top", tree[0]);
        runner.setGlobal("a", tree[1]);
        runner.setGlobal("b", tree[2]);
        runner.setGlobal("start", tree[3]);
        ASSERT_EQ(runner.run("climb"), kNoErr);
        EXPECT_NE(runner.number("made"), 0);
        std::vector<int32_t> expected;
        for (const int32_t index : c.tested)
            expected.push_back(tree[static_cast<std::size_t>(index)]);
        EXPECT_EQ(runner.global("tested"), numbers(expected));
    }
}
