#include "CliTestSupport.h"

#include <filesystem>

namespace {

// A document with one tree of three nodes (S over NP and VP) and the given script.
std::string documentWith(const TempDir& dir, const std::string& script) {
    const std::string path = dir.file("doc.rgt");
    writeTextFile(path, "categories: N V\nfeatures: case\n\ntree: [S [NP dog] [VP barks]]\n"
                        "script:\n" +
                            script + "end script\n");
    return path;
}

// The "case" feature of every node of a saved document, in tree order, each followed by a space.
std::string caseValues(const std::string& path) {
    std::unique_ptr<CTree> tree;
    EXPECT_TRUE(openDatabase(path, tree));
    if (!tree)
        return "unreadable";
    int32_t feature = 0;
    EXPECT_EQ(tree->getFirstName(kRecordFeature, feature), kNoErr);
    std::string values;
    int32_t node = 0;
    EXPECT_EQ(tree->getFirstRoot(node), kNoErr);
    while (node != 0) {
        const CRString* value = nullptr;
        EXPECT_EQ(tree->getAuthorFeatureValue(node, feature, value), kNoErr);
        values += (value ? value->str() : std::string()) + " ";
        EXPECT_EQ(tree->getNextNode(node, 0, node), kNoErr);
    }
    return values;
}

const std::string kScript = "define variable count\n"
                            "define function mark\n define variable n\n"
                            " for every node n\n let case(n) = \"nom\"\n let count = count + 1\n"
                            " end for\n message(\"visited \" & count)\n alert(\"done\")\n"
                            "end define\n"
                            "define function greet\n message(\"hello \" & ask(\"Name?\"))\n"
                            " message(\"and \" & ask(\"Other?\"))\nend define\n"
                            "define function check\n mother(0)\nend define\n"
                            "define function is-dragging-allowed(n)\n return n = 5\nend define\n"
                            "debug\n";

} // namespace

TEST(CliRun, RunsAMenuCommandAndPrintsItsRequests) {
    TempDir dir;
    const std::string file = documentWith(dir, kScript);
    const CommandResult result = cli({"run", file, "--call", "mark"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "message: visited 5\nalert: done\noffending:\ndirty: 1\n");

    const std::string kept = dir.file("kept.rdc");
    ASSERT_EQ(cli({"run", file, "--call", "mark", "-o", kept}).status, 0);
    EXPECT_EQ(caseValues(kept), "nom nom nom nom nom ");
    // Undone, the saved document is as it was (the flag says only that it was changed).
    const std::string output = dir.file("out.rdc");
    const CommandResult undone = cli({"run", file, "--call", "MARK", "--undo", "-o", output});
    ASSERT_EQ(undone.status, 0) << undone.err;
    EXPECT_EQ(undone.out, "message: visited 5\nalert: done\noffending:\ndirty: 1\n");
    EXPECT_EQ(caseValues(output), "     ");
    EXPECT_FALSE(std::filesystem::exists(output + ".partial"));
}

TEST(CliRun, AnswersQuestionsFromAFileAndShowsRunTimeErrors) {
    TempDir dir;
    const std::string file = documentWith(dir, kScript);
    const std::string answers = dir.file("answers.txt");
    writeTextFile(answers, "Ann\r\n");
    const CommandResult asked = cli({"run", file, "--call", "greet", "--answers", answers});
    ASSERT_EQ(asked.status, 0) << asked.err;
    EXPECT_EQ(asked.out, "ask: Name?\nmessage: hello Ann\nask: Other?\nmessage: and \n"
                         "offending:\ndirty: 0\n");

    const CommandResult failed = cli({"run", file, "--call", "check"});
    ASSERT_EQ(failed.status, 0) << failed.err;
    EXPECT_EQ(failed.out, "run-time error: A run time error occurred in the user function "
                          "\"check\" while calling native function \"mother\".\\nError Message: "
                          "Invalid node argument\noffending:\ndirty: 0\n");
}

TEST(CliRun, SendsHooks) {
    TempDir dir;
    const std::string file = documentWith(dir, kScript);
    CommandResult result = cli({"run", file, "--hook", "is-dragging-allowed", "--args", "5"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "hook is-dragging-allowed: exists=1 answer=1\noffending:\ndirty: 0\n");
    result = cli({"run", file, "--hook", "is-dragging-allowed", "--args", "4,2"});
    EXPECT_EQ(result.out, "hook is-dragging-allowed: exists=1 answer=0\noffending:\ndirty: 0\n");
    result = cli({"run", file, "--hook", "close"});
    EXPECT_EQ(result.out, "hook close: exists=0 answer=0\noffending:\ndirty: 0\n");
}

TEST(CliRun, RefusesBadUsageAndBadInputWithoutWritingOutput) {
    TempDir dir;
    const std::string file = documentWith(dir, kScript);
    const std::string output = dir.file("out.rdc");
    CommandResult result = cli({"run", file, "--call", "missing", "-o", output});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("There is no function in the script corresponding to the menu "
                              "command."),
              std::string::npos);
    EXPECT_EQ(result.out, "");
    EXPECT_FALSE(std::filesystem::exists(output));

    EXPECT_EQ(cli({"run", file}).status, 2);
    EXPECT_EQ(cli({"run", file, "--call", "mark", "--hook", "open"}).status, 2);
    EXPECT_EQ(cli({"run", file, "--hook", "no-such-hook"}).status, 2);
    EXPECT_EQ(cli({"run", file, "--hook", "scissors", "--args", "x"}).status, 2);
    EXPECT_EQ(cli({"run", file, "--call", "mark", "--args", "1"}).status, 2);
    EXPECT_EQ(cli({"run", dir.file("absent.rdc"), "--call", "mark"}).status, 1);

    const std::string broken = documentWith(dir, "define function f\n let = 1\nend define\n");
    result = cli({"run", broken, "--call", "f", "-o", output});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("line 2: "), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST(CliRun, RunsTheScriptOfASharedGrammar) {
    // "agree" takes a node; run as a menu command it gets none, so its feature assignment
    // abandons it without changing anything.
    const CommandResult result = cli({"run", testDataFile("xbar.rgt"), "--call", "agree"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "offending:\ndirty: 0\n");
    const CommandResult hook = cli({"run", testDataFile("xbar.rgt"), "--hook", "open"});
    EXPECT_EQ(hook.out, "hook open: exists=0 answer=0\noffending:\ndirty: 0\n");
}
