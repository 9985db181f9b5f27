#include "ScriptRunner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> messages(const RecordingUserInterface& ui) {
    std::vector<std::string> texts;
    for (const RecordingUserInterface::Request& request :
         ui.requestsOfKind(RecordingUserInterface::Kind::Message))
        texts.push_back(request.text);
    return texts;
}

} // namespace

// A run-time error inside a user function names both functions; the script goes on.
TEST(NativeScript, AnInvalidNodeInsideAUserFunctionNamesBothFunctions) {
    ScriptRunner runner;
    ASSERT_EQ(runner.compile("debug\n"
                             "define function check\n"
                             "  message(mother(0) & \"/\" & how-many-root-nodes)\n"
                             "end define\n"),
              kNoErr);
    EXPECT_EQ(runner.run("check"), kNoErr);
    EXPECT_EQ(runner.runTimeErrors(),
              std::vector<std::string>{"A run time error occurred in the user function \"check\" "
                                       "while calling native function \"mother\".\r\nError "
                                       "Message: Invalid node argument"});
    EXPECT_EQ(messages(runner.ui), std::vector<std::string>{"0/0"});
    EXPECT_TRUE(runner.script().executingNativeFunction().empty());
}

// Relation natives called per node of a loop answer as the tree is built.
TEST(NativeScript, RelationNativesAnswerInsideAForEveryNodeLoop) {
    ScriptRunner runner;
    const std::vector<int32_t> tree = runner.buildTree(); // root over a (over c) and b
    ASSERT_EQ(
        runner.compile("define function report\n"
                       "  define variable n\n"
                       "  for every node n\n"
                       "    message(how-many-daughters(n) & \" \" & is-root-node(n) & \" \" & "
                       "dominate(mother(n), n))\n"
                       "  end for\n"
                       "end define\n"),
        kNoErr);
    EXPECT_EQ(runner.run("report"), kNoErr);
    // Pre-order: root, a, c, b. The root has no mother, and 0 is no node: "dominate" answers 0.
    EXPECT_EQ(messages(runner.ui), (std::vector<std::string>{"2 1 0", "1 0 1", "0 0 1", "0 0 1"}));
    EXPECT_EQ(tree.size(), 4u);
}
