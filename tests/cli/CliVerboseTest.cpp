// The real ramex-cli program: a refused file is its one "ramex-cli: FILE: MESSAGE" line on
// standard error, and --verbose, wherever it stands, puts the internal reports behind it first.
#include "CliTestSupport.h"

#include <cstdlib>

#if defined(RAMEX_CLI_PROGRAM) && !defined(_WIN32)
#include <sys/wait.h>
#endif

namespace {

constexpr const char* kInvalidFormat =
    "The file cannot be opened, because it is in an invalid format.";

#if defined(RAMEX_CLI_PROGRAM) && !defined(_WIN32)
// Runs the program through the shell, its two outputs into files of the folder.
CommandResult runProgram(const TempDir& folder, const std::string& arguments) {
    const std::string out = folder.file("out.txt");
    const std::string err = folder.file("err.txt");
    const std::string command =
        std::string("'") + RAMEX_CLI_PROGRAM + "' " + arguments + " >'" + out + "' 2>'" + err + "'";
    const int raw = std::system(command.c_str());
    CommandResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = readTextFile(out);
    result.err = readTextFile(err);
    return result;
}
#endif

} // namespace

TEST(CliVerbose, ARefusedFileIsOneLineAndVerboseAddsTheReportsBehindIt) {
#if !defined(RAMEX_CLI_PROGRAM) || defined(_WIN32)
    GTEST_SKIP() << "the program is run only where it is built for this system";
#else
    TempDir folder;
    const std::string junk = folder.file("junk.rdc");
    writeTextFile(junk, "not a file of ours at all");
    // A document cut short after its first forks.
    const std::string whole = folder.file("whole.rdc");
    ASSERT_EQ(
        runProgram(folder, "build '" + testDataFile("xbar-document.rgt") + "' -o '" + whole + "'")
            .status,
        0);
    std::vector<unsigned char> bytes = readFileBytes(whole);
    ASSERT_GT(bytes.size(), 600u);
    bytes.resize(600);
    const std::string cut = folder.file("cut.rdc");
    writeFileBytes(cut, bytes);

    for (const std::string& file : {junk, cut}) {
        SCOPED_TRACE(file);
        const std::string refusal = "ramex-cli: " + file + ": " + kInvalidFormat;
        const CommandResult plain = runProgram(folder, "info '" + file + "'");
        EXPECT_EQ(plain.status, 1);
        EXPECT_EQ(plain.out, "");
        EXPECT_EQ(plain.err, refusal + "\n");

        for (const std::string& arguments :
             {"--verbose info '" + file + "'", "info '" + file + "' --verbose"}) {
            SCOPED_TRACE(arguments);
            const CommandResult verbose = runProgram(folder, arguments);
            EXPECT_EQ(verbose.status, 1);
            EXPECT_EQ(verbose.out, "");
            const std::vector<std::string> lines = linesOf(verbose.err);
            ASSERT_GE(lines.size(), 2u);
            EXPECT_EQ(lines.back(), refusal);
            // The chain starts where the file was read.
            EXPECT_EQ(lines.front().rfind("ramex-cli: bug: CRFile::CRFile (", 0), 0u)
                << lines.front();
            for (std::size_t i = 0; i + 1 < lines.size(); ++i)
                EXPECT_EQ(lines[i].rfind("ramex-cli: bug: ", 0), 0u) << lines[i];
        }
    }
    // The option is not a command's argument: a command run with it succeeds as without it.
    const CommandResult info = runProgram(folder, "info --verbose '" + whole + "'");
    EXPECT_EQ(info.status, 0);
    EXPECT_EQ(info.err, "");
    EXPECT_EQ(info.out, runProgram(folder, "info '" + whole + "'").out);
    EXPECT_NE(info.out.find("work-area trees: "), std::string::npos);
#endif
}
