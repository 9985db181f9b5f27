#include "CliTestSupport.h"

#include <filesystem>
#include <map>
#include <tuple>

namespace {

// Builds a data file into the folder and gives the output's path.
std::string buildData(const TempDir& dir, const std::string& name, const std::string& output) {
    const CommandResult result = cli({"build", testDataFile(name), "-o", dir.file(output)});
    EXPECT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(result.err, "");
    return dir.file(output);
}

} // namespace

TEST(CliBuild, WritesNothingWhenTheTextHasAnErrorOrCannotBeRead) {
    TempDir dir;
    // A tree line is fine in a document and an error in a grammar.
    writeTextFile(dir.file("doc.rgt"), "word dog: [N dog]\ntree: [N dog]\n");
    EXPECT_EQ(cli({"build", dir.file("doc.rgt"), "-o", dir.file("doc.rdc")}).status, kExitSuccess);
    EXPECT_TRUE(std::filesystem::exists(dir.file("doc.rdc")));
    for (const auto& [text, output, err] :
         {std::tuple("doc.rgt", "doc.rgr",
                     ":2: a grammar holds words only; trees need a document (.rdc)"),
          std::tuple("none.rgt", "none.rgr", ": The file cannot be read.")}) {
        const CommandResult result = cli({"build", dir.file(text), "-o", dir.file(output)});
        EXPECT_EQ(result.status, kExitInputFault);
        EXPECT_EQ(result.err, "ramex-cli: " + dir.file(text) + err + "\n");
        EXPECT_FALSE(std::filesystem::exists(dir.file(output)));
    }
}

TEST(CliCommands, PrintTheFileOrRefuseItOnOneLine) {
    TempDir dir;
    // The output of a command that succeeds.
    const auto run = [](const std::vector<std::string>& words) {
        const CommandResult result = cli(words);
        EXPECT_EQ(result.status, kExitSuccess) << result.err;
        return result.out;
    };
    EXPECT_EQ(run({"export", buildData(dir, "categorial.rgt", "cg.rdc")}),
              "categories: S NP N V Det\n"
              "\n"
              "word dog: [N dog]\n"
              "word John: [NP John]\n"
              "word Mary: [NP Mary]\n"
              "word sees V: [(S\\NP)/NP sees]\n"
              "word sleeps V: [S\\NP sleeps]\n"
              "word the Det: [NP/N the]\n"
              "\n"
              "tree: [S [NP John] [S\\NP sleeps]]\n"
              "tree: [S [NP Mary] [S\\NP [(S\\NP)/NP sees] [NP [NP/N the] [N dog]]]]\n");

    const std::string grammar = buildData(dir, "xbar.rgt", "x.rgr");
    // 1 header, 8 categories, 2 features and 30 nodes; 51 attributes and a slot per feature.
    EXPECT_EQ(run({"info", grammar}),
              "format: ramex container, version 1 (program 2, last written by 2)\n"
              "records: 41\n"
              "attributes: 53\n"
              "categories: X N V A P D T C\n"
              "features: case num\n"
              "words: 7\n"
              "work-area trees: 0\n"
              "script: 4 lines, compiles\n");
    const std::string document = buildData(dir, "xbar-document.rgt", "x.rdc");
    const std::string info = run({"info", document});
    EXPECT_NE(info.find("\nwords: 3\nwork-area trees: 2\nscript: none\n"), std::string::npos)
        << info;
    const std::string bad = run({"info", built(dir, "bad.rgr",
                                               "features: case\nscript:\ndefine function f(n)\n"
                                               "  let gender(n) = 1\nend define\nend script\n")});
    EXPECT_NE(bad.find("\nscript: 3 lines, error on line 2: Syntax error.\n"), std::string::npos)
        << bad;

    // The work-area trees, or with --all every tree; a grammar has none.
    const std::string trees = run({"qtree", document});
    EXPECT_EQ(trees,
              "\\Tree [.TP [.DP_i [.D' [.D the ] [.NP [.N' [.N dog ] ] ] ] ] [.T' [.T -s ] [.VP "
              "[.V' [.V' [.V bark ] ] \\qroof{ very loudly}.AdvP ] ] ] ] \n"
              "\\Tree [.CP [.C' [.C that ] [.TP it rains ] ] ] \n");
    EXPECT_EQ(run({"qtree", document, "--all"}), trees + "\\Tree [.NP [.N' [.N dog ] ] ] \n"
                                                         "\\Tree [.DP [.D' [.D the ] NP ] ] \n"
                                                         "\\Tree [.VP [.V' [.V barks ] ] ] \n");
    EXPECT_EQ(run({"qtree", grammar}), "");

    writeTextFile(dir.file("junk.rgr"), "not a grammar");
    // Whatever the command and the kind of file meant, a refusal is one line.
    for (const char* command : {"export", "info", "qtree", "layout", "check-script"})
        for (const auto& [file, reason] :
             {std::pair("junk.rgr",
                        "The file cannot be opened, because it is in an invalid format."),
              std::pair("none.rgr", "The file cannot be found."),
              std::pair("none.rsc", "The file cannot be found.")}) {
            const CommandResult refused = cli({command, dir.file(file)});
            EXPECT_EQ(refused.status, kExitInputFault) << command;
            EXPECT_EQ(refused.out, "");
            EXPECT_EQ(refused.err, "ramex-cli: " + dir.file(file) + ": " + reason + "\n");
        }
}

TEST(CliCommands, WrongArgumentsAreAUsageErrorAndWriteNothing) {
    TempDir dir;
    const std::string doc = buildData(dir, "xbar-document.rgt", "x.rdc");
    const std::string out = dir.file("doc.rgr");
    // Rows apart by ';', where T is the text form, D the document, O an output grammar and X an
    // output of no known kind.
    const std::map<std::string, std::string> names = {
        {"T", testDataFile("xbar.rgt")}, {"D", doc}, {"O", out}, {"X", dir.file("doc.txt")}};
    std::istringstream rows("build;build T;build T -o;build T -o X;build T T -o O;"
                            "build --fast T -o O;export;export D D;info;qtree;qtree D --every;"
                            "qtree D D;check-script;check-script D D;layout;"
                            "layout D --fixed-metrics;layout D --fixed-metrics 10;"
                            "layout D --fixed-metrics 0,12;run D;run D --call f --hook open;"
                            "run D --hook no-such-hook;run D --hook scissors --args x;"
                            "run D --call f --args 1");
    for (std::string row; std::getline(rows, row, ';');) {
        std::vector<std::string> words;
        std::istringstream in(row);
        for (std::string word; in >> word;)
            words.push_back(names.count(word) ? names.at(word) : word);
        const CommandResult result = cli(words);
        EXPECT_EQ(result.status, kExitUsage) << row;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind("ramex-cli: ", 0), 0u) << result.err;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_FALSE(std::filesystem::exists(dir.file("doc.txt")));
}
