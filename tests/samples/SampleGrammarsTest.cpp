// Every sample grammar builds into a grammar file whose script compiles, as the build does
// with them, and its Check menu marks, clears and explains.

#include "SampleTestSupport.h"

#include <filesystem>

namespace {

struct RSampleCase {
    const char* name;
    const char* categories; // the "categories:" line of `info`
    const char* features;   // the "features:" line
    int minimumWords;
    const char* check;      // the Check menu's checking command
    const char* wrongTree;  // a work-area tree the check marks
    const char* about;      // the command that explains the grammar
    const char* aboutStart; // how its alert begins
};

// Names the case in test listings and failure messages instead of dumping its bytes.
void PrintTo(const RSampleCase& sample, std::ostream* out) {
    *out << sample.name;
}

class SampleGrammars : public ::testing::TestWithParam<RSampleCase> {};

// Builds, checks the script and summarises the sample; then runs its Check menu on a wrong
// tree, clears the marks, checks again, and asks for the explanation.
TEST_P(SampleGrammars, BuildCompileCheckClearAndExplain) {
    const RSampleCase& sample = GetParam();
    const std::string source = samplePath(std::string(sample.name) + ".rgt");
    TempDir dir;
    const std::string grammar = dir.file(std::string(sample.name) + ".rgr");
    EXPECT_EQ(cli({"check-script", source}).out, "ok\n");
    ASSERT_EQ(cli({"build", source, "-o", grammar}).status, kExitSuccess);
    // The built grammar keeps the script that compiled from the text.
    EXPECT_EQ(cli({"check-script", grammar}).out, "ok\n");
    const std::string info = cli({"info", grammar}).out;
    const std::string features = *sample.features ? std::string(" ") + sample.features : "";
    EXPECT_NE(info.find(std::string("\ncategories: ") + sample.categories +
                        "\nfeatures:" + features + "\nwords: "),
              std::string::npos)
        << info;
    EXPECT_GE(std::stoi(info.substr(info.find("\nwords: ") + 8)), sample.minimumWords) << info;
    EXPECT_NE(info.find("\nwork-area trees: 0\nscript: "), std::string::npos) << info;
    EXPECT_NE(info.find(" lines, compiles\n"), std::string::npos) << info;

    const CSampleDocument document(dir, std::string(sample.name) + ".rgt", sample.wrongTree);
    const CommandResult checked =
        cli({"run", document.path(), "--call", sample.check, "-o", dir.file("checked.rdc")});
    ASSERT_EQ(checked.status, kExitSuccess) << checked.err;
    EXPECT_NE(checked.out.find("\noffending: "), std::string::npos) << checked.out;
    const CSampleDocument marked(dir, "checked.rdc");
    EXPECT_EQ(marked.call("clear-marks").out, "offending:\ndirty: 1\n");
    // Checking again does not pile notes on the old marks.
    EXPECT_EQ(marked.call(sample.check).out, checked.out);
    const std::string about = document.call(sample.about).out;
    EXPECT_EQ(about.rfind(std::string("alert: ") + sample.aboutStart, 0), 0u) << about;
    EXPECT_EQ(about.substr(about.find('\n')), "\noffending:\ndirty: 0\n");
}

INSTANTIATE_TEST_SUITE_P(
    Samples, SampleGrammars,
    ::testing::Values(RSampleCase{"english", "X N V A P D T C Adv",
                                  "case num person tense agr subcat wh vform form", 60,
                                  "check-trees", "tree: [DP [D' [D{subcat=NP} the] [NP]]]\n",
                                  "about-x-bar",
                                  "X-bar theory: every phrase XP is built on one head X"},
                      RSampleCase{"categorial", "Name Pron Noun Verb Det Adj Adv Prep Comp Rel", "",
                                  50, "check-derivation", "tree: [S [S\\NP sleeps] [NP John]]\n",
                                  "about-categorial-grammar",
                                  "In a categorial grammar the words carry the rules."},
                      RSampleCase{"tag", "S NP VP PP N V A Adv D P C Aux",
                                  "substituted-at adjoined-at det num wh wh-index", 25,
                                  "check-derivation", "tree: [NP [N Kim]]\n",
                                  "about-tree-adjoining-grammar",
                                  "In a tree-adjoining grammar every word is a small tree."}),
    [](const ::testing::TestParamInfo<RSampleCase>& param) {
        return std::string(param.param.name);
    });

} // namespace
