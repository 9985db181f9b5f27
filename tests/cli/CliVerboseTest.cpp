// The real ramex-cli program: a refused file is its one "ramex-cli: FILE: MESSAGE" line on
// standard error, and --verbose, wherever it stands, puts the internal reports behind it first.
#include "CliTestSupport.h"

#include <cstdlib>

#if defined(RAMEX_CLI_PROGRAM) && !defined(_WIN32)
#include <sys/wait.h>

namespace {

// Runs the program through the shell, its two outputs into files of the folder; gives
// "STATUS|OUT|ERR".
std::string runProgram(const TempDir& folder, const std::vector<std::string>& arguments) {
    std::string command = std::string("'") + RAMEX_CLI_PROGRAM + "'";
    for (const std::string& argument : arguments)
        command += " '" + argument + "'";
    command += " >'" + folder.file("out.txt") + "' 2>'" + folder.file("err.txt") + "'";
    const int raw = std::system(command.c_str());
    return std::to_string(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1) + "|" +
           readTextFile(folder.file("out.txt")) + "|" + readTextFile(folder.file("err.txt"));
}

} // namespace
#endif

TEST(CliVerbose, ARefusedFileIsOneLineAndVerboseAddsTheReportsBehindIt) {
#if !defined(RAMEX_CLI_PROGRAM) || defined(_WIN32)
    GTEST_SKIP() << "the program is run only where it is built for this system";
#else
    TempDir folder;
    const std::string whole = folder.file("whole.rdc");
    ASSERT_EQ(runProgram(folder, {"build", testDataFile("xbar-document.rgt"), "-o", whole}), "0||");
    // A document cut short after its first forks, and a file that is none of ours.
    std::vector<unsigned char> bytes = readFileBytes(whole);
    ASSERT_GT(bytes.size(), 600u);
    bytes.resize(600);
    writeFileBytes(folder.file("cut.rdc"), bytes);
    writeTextFile(folder.file("junk.rdc"), "not a file of ours at all");
    for (const std::string& file : {folder.file("junk.rdc"), folder.file("cut.rdc")}) {
        const std::string refusal =
            "ramex-cli: " + file +
            ": The file cannot be opened, because it is in an invalid format.";
        EXPECT_EQ(runProgram(folder, {"info", file}), "1||" + refusal + "\n");
        for (const auto& arguments : {std::vector<std::string>{"--verbose", "info", file},
                                      std::vector<std::string>{"info", file, "--verbose"}}) {
            SCOPED_TRACE(arguments[0] + " " + file);
            const std::string result = runProgram(folder, arguments);
            ASSERT_EQ(result.rfind("1||", 0), 0u) << result;
            const std::vector<std::string> lines = linesOf(result.substr(3));
            ASSERT_GE(lines.size(), 2u);
            EXPECT_EQ(lines.back(), refusal);
            // The chain starts where the file was read.
            EXPECT_EQ(lines.front().rfind("ramex-cli: bug: CRFile::CRFile (", 0), 0u) << result;
            for (std::size_t i = 0; i + 1 < lines.size(); ++i)
                EXPECT_EQ(lines[i].rfind("ramex-cli: bug: ", 0), 0u) << lines[i];
        }
    }
    // The option is not a command's argument: a command run with it succeeds as without it.
    const std::string info = runProgram(folder, {"info", "--verbose", whole});
    EXPECT_EQ(info, runProgram(folder, {"info", whole}));
    EXPECT_NE(info.find("\nwork-area trees: 2\n"), std::string::npos) << info;
#endif
}
