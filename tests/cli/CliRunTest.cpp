#include "CliTestSupport.h"

#include <filesystem>

namespace {

// A document with one tree of three nodes (S over NP and VP) and the given script.
std::string documentWith(const TempDir& dir, const std::string& script) {
    writeTextFile(dir.file("doc.rgt"), "categories: N V\nfeatures: case\n\ntree: [S [NP dog] [VP "
                                       "barks]]\nscript:\n" +
                                           script + "end script\n");
    return dir.file("doc.rgt");
}

const std::string kScript = R"(define variable count
define function mark
 define variable n
 for every node n
 let case(n) = "nom"
 let count = count + 1
 end for
 message("visited " & count)
 alert("done")
end define
define function greet
 message("hello " & ask("Name?"))
 message("and " & ask("Other?"))
end define
define function check
 mother(0)
end define
debug
)";

} // namespace

TEST(CliRun, PrintsTheRequestsOfMenuCommandsAndHooks) {
    TempDir dir;
    const std::string file = documentWith(dir, kScript);
    writeTextFile(dir.file("answers.txt"), "Ann\r\n");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--call", "greet", "--answers", dir.file("answers.txt")},
         "ask: Name?\nmessage: hello Ann\nask: Other?\nmessage: and \noffending:\ndirty: 0\n"},
        {{"--call", "check"},
         "run-time error: A run time error occurred in the user function \"check\" while calling "
         "native function \"mother\".\\nError Message: Invalid node argument\noffending:\ndirty: "
         "0\n"},
        {{"--hook", "close"}, "hook close: exists=0 answer=0\noffending:\ndirty: 0\n"},
    };
    for (const auto& [words, out] : cases) {
        SCOPED_TRACE(words[1]);
        std::vector<std::string> arguments = {"run", file};
        arguments.insert(arguments.end(), words.begin(), words.end());
        const CommandResult result = cli(arguments);
        EXPECT_EQ(result.status, kExitSuccess) << result.err;
        EXPECT_EQ(result.out, out);
    }
    // Saved, the document keeps what the script did; undone, it is as it was (the flag says
    // only that it was changed).
    ASSERT_EQ(cli({"run", file, "--call", "mark", "-o", dir.file("kept.rdc")}).status, 0);
    EXPECT_NE(
        cli({"export", dir.file("kept.rdc")})
            .out.find(
                "tree: [S{case=nom} [NP{case=nom} dog{case=nom}] [VP{case=nom} barks{case=nom}]]"),
        std::string::npos);
    const std::string output = dir.file("out.rdc");
    const CommandResult undone = cli({"run", file, "--call", "MARK", "--undo", "-o", output});
    EXPECT_EQ(undone.out, "message: visited 5\nalert: done\noffending:\ndirty: 1\n");
    EXPECT_NE(cli({"export", output}).out.find("tree: [S [NP dog] [VP barks]]"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(output + ".partial"));
}

TEST(CliRun, RefusesBadInputWithoutWritingOutput) {
    TempDir dir;
    const std::string file = documentWith(dir, kScript);
    const std::string output = dir.file("out.rdc");
    CommandResult result = cli({"run", file, "--call", "missing", "-o", output});
    EXPECT_EQ(result.status, kExitInputFault);
    EXPECT_NE(result.err.find("There is no function in the script corresponding to the menu "
                              "command."),
              std::string::npos);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(cli({"run", dir.file("absent.rdc"), "--call", "mark"}).status, kExitInputFault);
    const std::string broken = documentWith(dir, "define function f\n let = 1\nend define\n");
    result = cli({"run", broken, "--call", "f", "-o", output});
    EXPECT_EQ(result.status, kExitInputFault);
    EXPECT_NE(result.err.find("line 2: "), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(output));
}
