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
    writeTextFile(dir.file("bad.rgt"), "categories: N\n\nword dog: [N{color=pink} dog]\n");
    // A tree line is fine in a document and an error in a grammar.
    writeTextFile(dir.file("doc.rgt"), "word dog: [N dog]\ntree: [N dog]\n");
    EXPECT_EQ(cli({"build", dir.file("doc.rgt"), "-o", dir.file("doc.rdc")}).status, kExitSuccess);
    EXPECT_TRUE(std::filesystem::exists(dir.file("doc.rdc")));
    for (const auto& [text, output, err] :
         {std::tuple("bad.rgt", "bad.rgr", ":3: bad colour 'pink'"),
          std::tuple("doc.rgt", "doc.rgr",
                     ":2: a grammar holds words only; trees need a document (.rdc)"),
          std::tuple("none.rgt", "none.rgr", ": The file cannot be read.")}) {
        const CommandResult result = cli({"build", dir.file(text), "-o", dir.file(output)});
        EXPECT_EQ(result.status, kExitInputFault);
        EXPECT_EQ(result.err, "ramex-cli: " + dir.file(text) + err + "\n");
        EXPECT_FALSE(std::filesystem::exists(dir.file(output)));
    }
}

TEST(CliExport, PrintsTheTextFormAndRefusesWhatIsNotAGrammar) {
    TempDir dir;
    const std::string grammar = buildData(dir, "categorial.rgt", "cg.rdc");
    const CommandResult exported = cli({"export", grammar});
    EXPECT_EQ(exported.status, kExitSuccess);
    EXPECT_EQ(exported.out,
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

    writeTextFile(dir.file("junk.rgr"), "not a grammar");
    const CommandResult junk = cli({"export", dir.file("junk.rgr")});
    EXPECT_EQ(junk.status, kExitInputFault);
    EXPECT_EQ(junk.out, "");
    EXPECT_EQ(junk.err, "ramex-cli: " + dir.file("junk.rgr") +
                            ": The file cannot be opened, because it is in an invalid format.\n");
}

TEST(CliInfo, SummarisesTheFile) {
    TempDir dir;
    const CommandResult info = cli({"info", buildData(dir, "xbar.rgt", "x.rgr")});
    EXPECT_EQ(info.status, kExitSuccess);
    // 1 header, 8 categories, 2 features and 30 nodes; 51 attributes and a slot per feature.
    EXPECT_EQ(info.out, "format: ramex container, version 1 (program 2, last written by 2)\n"
                        "records: 41\n"
                        "attributes: 53\n"
                        "categories: X N V A P D T C\n"
                        "features: case num\n"
                        "words: 7\n"
                        "work-area trees: 0\n"
                        "script: 4 lines, compiles\n");

    const CommandResult document = cli({"info", buildData(dir, "xbar-document.rgt", "x.rdc")});
    EXPECT_NE(document.out.find("\nwords: 3\nwork-area trees: 2\nscript: none\n"),
              std::string::npos)
        << document.out;

    writeTextFile(dir.file("bad.rgt"), "features: case\nscript:\ndefine function f(n)\n"
                                       "  let gender(n) = 1\nend define\nend script\n");
    ASSERT_EQ(cli({"build", dir.file("bad.rgt"), "-o", dir.file("bad.rgr")}).status, kExitSuccess);
    const CommandResult bad = cli({"info", dir.file("bad.rgr")});
    EXPECT_NE(bad.out.find("\nscript: 3 lines, error on line 2: Syntax error.\n"),
              std::string::npos)
        << bad.out;

    const CommandResult missing = cli({"info", dir.file("none.rgr")});
    EXPECT_EQ(missing.status, kExitInputFault);
    EXPECT_EQ(missing.err, "ramex-cli: " + dir.file("none.rgr") + ": The file cannot be found.\n");
}

TEST(CliQTree, PrintsTheWorkAreaTreesOrEveryTree) {
    TempDir dir;
    const std::string document = buildData(dir, "xbar-document.rgt", "x.rdc");
    const CommandResult trees = cli({"qtree", document});
    EXPECT_EQ(trees.status, kExitSuccess);
    EXPECT_EQ(trees.out,
              "\\Tree [.TP [.DP_i [.D' [.D the ] [.NP [.N' [.N dog ] ] ] ] ] [.T' [.T -s ] [.VP "
              "[.V' [.V' [.V bark ] ] \\qroof{ very loudly}.AdvP ] ] ] ] \n"
              "\\Tree [.CP [.C' [.C that ] [.TP it rains ] ] ] \n");

    const CommandResult all = cli({"qtree", document, "--all"});
    EXPECT_EQ(all.out, trees.out + "\\Tree [.NP [.N' [.N dog ] ] ] \n"
                                   "\\Tree [.DP [.D' [.D the ] NP ] ] \n"
                                   "\\Tree [.VP [.V' [.V barks ] ] ] \n");

    EXPECT_EQ(cli({"qtree", buildData(dir, "categorial.rgt", "cg.rdc")}).out,
              "\\Tree [.S [.NP John ] [.S\\NP sleeps ] ] \n"
              "\\Tree [.S [.NP Mary ] [.S\\NP [.(S\\NP)/NP sees ] [.NP [.NP/N the ] [.N dog ] ] ] "
              "] \n");
    EXPECT_EQ(cli({"qtree", buildData(dir, "tag.rgt", "tag.rdc")}).out,
              "\\Tree [.NP [.D the ] [.N' [.N dog ] ] ] \n"
              "\\Tree [.N' [.AP [.A' [.A big ] ] ] N' ] \n");
    // A grammar has no work-area trees.
    EXPECT_EQ(cli({"qtree", buildData(dir, "xbar.rgt", "x.rgr")}).out, "");

    EXPECT_EQ(cli({"qtree", dir.file("none.rdc")}).status, kExitInputFault);
}

TEST(CliCommands, WrongArgumentsAreAUsageErrorAndWriteNothing) {
    TempDir dir;
    const std::string doc = buildData(dir, "xbar-document.rgt", "x.rdc");
    const std::string text = testDataFile("xbar.rgt");
    const std::string out = dir.file("doc.rgr");
    // T the text form, D the document, O an output grammar, X an output of no known kind.
    const std::map<std::string, std::string> names = {
        {"T", text}, {"D", doc}, {"O", out}, {"X", dir.file("doc.txt")}};
    for (const char* row : {"build", "build T", "build T -o", "build T -o X", "build T T -o O",
                            "build --fast T -o O", "export", "export D D", "info", "qtree",
                            "qtree D --every", "qtree D D", "check-script", "check-script D D"}) {
        std::vector<std::string> words;
        std::istringstream in(row);
        for (std::string word; in >> word;)
            words.push_back(names.count(word) ? names.at(word) : word);
        const CommandResult result = cli(words);
        EXPECT_EQ(result.status, kExitUsage) << row;
        EXPECT_EQ(result.out, "");
    }
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_FALSE(std::filesystem::exists(dir.file("doc.txt")));
}
