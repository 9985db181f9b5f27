// The sample grammars: each builds, its Check menu marks, clears and explains, and it judges
// the sentences of its teaching corpus; then the hooks of each (the magnifying glass,
// scissors, dropping trees on one another).
#include "cli/CliTestSupport.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <cctype>
#include <map>
#include <regex>
#include <set>
#include <tuple>
#include <utility>

namespace {

// A node on the work area, in the order "for every node" visits them.
struct RLabelledNode {
    std::string label;
    int32_t node;
    int32_t root;
    bool leaf;
};

std::vector<RLabelledNode> workAreaNodes(const std::string& path) {
    RecordingPlatformScope platform;
    std::unique_ptr<CTree> tree;
    testing::internal::CaptureStderr();
    const bool opened = openAnyFile(path, tree);
    const std::string reason = testing::internal::GetCapturedStderr();
    std::vector<RLabelledNode> nodes;
    int32_t node = 0;
    EXPECT_TRUE(opened && tree) << reason;
    if (!opened || tree->getFirstRoot(node) != kNoErr)
        return nodes;
    while (node != 0) {
        int32_t root = 0;
        int32_t where = 0;
        int32_t daughters = 0;
        const CRString* label = nullptr;
        const RErr err = tree->findRoot(node, root) || tree->getWhereIsTree(root, where) ||
                         tree->getLabel(node, label) || tree->hasDaughters(node, daughters);
        if (where == kTreeOnWorkArea && label != nullptr)
            nodes.push_back({label->str(), node, root, daughters == 0});
        if (err || tree->getNextNode(node, 0, node) != kNoErr) {
            ADD_FAILURE() << "cannot walk the nodes of " << path;
            break;
        }
    }
    EXPECT_TRUE(platform.recorder.bugReports().empty());
    return nodes;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// A corpus tree writes a head as plainly as a textbook does ([D the]); it is given the
// features its word carries in the sample's lexicon.
std::string withLexiconFeatures(const std::string& trees, const std::string& sample) {
    std::map<std::string, std::string> features; // by "CATEGORY WORD"
    std::istringstream grammar(readTextFile(samplePath(sample)));
    const std::regex lexicon(R"(\[([A-Za-z]+)\{([^}]*)\} ([^\s\[\]{}]+))");
    for (std::string line; std::getline(grammar, line);) {
        for (std::sregex_iterator it(line.begin(), line.end(), lexicon), end;
             startsWith(line, "word ") && it != end; ++it) {
            std::string kept;
            std::istringstream props((*it)[2].str());
            for (std::string prop; std::getline(props, prop, ',');)
                if (prop.find('=') != std::string::npos)
                    kept += (kept.empty() ? "{" : ",") + prop;
            features.emplace((*it)[1].str() + " " + (*it)[3].str(),
                             kept + (kept.empty() ? "" : "}"));
        }
    }
    const std::regex head(R"(\[([A-Za-z]+) ([^\s\[\]{}]+)(\{[^}]*\})?\])");
    std::string out;
    auto last = trees.cbegin();
    for (std::sregex_iterator it(trees.begin(), trees.end(), head), end; it != end; ++it) {
        const std::smatch& match = *it;
        const auto found = features.find(match[1].str() + " " + match[2].str());
        out.append(last, match[0].first) += found == features.end()
                                                ? match[0].str()
                                                : "[" + match[1].str() + found->second + " " +
                                                      match[2].str() + match[3].str() + "]";
        last = match[0].second;
    }
    return out.append(last, trees.cend());
}

// A sample grammar's text with `tree:` lines after it, so that the sample stays the one source
// of the grammar; or a document a hook wrote with -o.
class CSampleDocument {
public:
    CSampleDocument(const TempDir& dir, const std::string& sample, const std::string& trees)
        : folder(&dir), file(dir.file("document.rgt")) {
        writeTextFile(file,
                      readTextFile(samplePath(sample)) + "\n" + withLexiconFeatures(trees, sample));
        nodes = workAreaNodes(file);
    }
    CSampleDocument(const TempDir& dir, const std::string& written)
        : folder(&dir), file(dir.file(written)), nodes(workAreaNodes(file)) {}

    const std::string& path() const { return file; }
    // Names joined by ',' as the numbers joined so. A number stays itself; "^WORD" is the root
    // of the tree holding the leaf WORD; "LABEL.K" is the K-th (from 0) node of that label in
    // the order "for every node" visits them ("LABEL" the first), and "LABEL@WORD.K" the same
    // within the tree holding WORD.
    std::string node(const std::string& names) const {
        std::string numbers;
        std::istringstream in(names);
        for (std::string name; std::getline(in, name, ',');)
            numbers += (numbers.empty() ? "" : ",") + one(name);
        return numbers;
    }

    CommandResult call(const std::string& name) const { return cli({"run", file, "--call", name}); }
    // `run --hook` on the named nodes, saved as `output` (in the folder) when named.
    CommandResult hook(const std::string& name, const std::string& names,
                       const std::string& output = "") const {
        std::vector<std::string> words = {"run", file, "--hook", name};
        if (!names.empty())
            words.insert(words.end(), {"--args", node(names)});
        if (!output.empty())
            words.insert(words.end(), {"-o", folder->file(output)});
        return cli(words);
    }
    std::string qtree() const {
        const CommandResult result = cli({"qtree", file});
        EXPECT_EQ(result.status, kExitSuccess) << result.err;
        return result.out;
    }

private:
    std::string one(std::string name) const {
        if (std::isdigit(static_cast<unsigned char>(name[0])))
            return name;
        const auto rootOf = [this](const std::string& word) {
            for (const RLabelledNode& each : nodes)
                if (each.leaf && each.label == word)
                    return each.root;
            ADD_FAILURE() << "no word " << word;
            return -1;
        };
        if (name[0] == '^')
            return std::to_string(rootOf(name.substr(1)));
        int occurrence = 0;
        const auto dot = name.rfind('.');
        if (dot != std::string::npos && dot + 1 < name.size() &&
            std::isdigit(static_cast<unsigned char>(name[dot + 1]))) {
            occurrence = std::stoi(name.substr(dot + 1));
            name.resize(dot);
        }
        const auto at = name.find('@');
        const int32_t root = at == std::string::npos ? 0 : rootOf(name.substr(at + 1));
        name.resize(std::min(at, name.size()));
        for (const RLabelledNode& each : nodes)
            if (each.label == name && (root == 0 || each.root == root) && occurrence-- == 0)
                return std::to_string(each.node);
        ADD_FAILURE() << "no node " << name;
        return std::string("0");
    }

    const TempDir* folder;
    std::string file;
    std::vector<RLabelledNode> nodes;
};

using RRows = std::vector<std::pair<std::string, std::string>>;

// What `run --hook` prints for a hook that shows one message and leaves `dirty` so.
std::string hookOutput(const std::string& hook, const std::string& message, bool dirty = false) {
    return "message: " + message + "\nhook " + hook +
           ": exists=1 answer=0\noffending:\ndirty: " + (dirty ? "1" : "0") + "\n";
}

// Runs the hook on each named node ("DRAGGED,TARGET" for the landing hook) and expects, with
// nothing changed, its one message, or the landing hook's answer ("1" lets the tree land).
void expectHooks(const CSampleDocument& document, const std::string& hook, const RRows& rows) {
    for (const auto& [names, shown] : rows)
        EXPECT_EQ(document.hook(hook, names).out,
                  hook == "is-landing-allowed" ? "hook is-landing-allowed: exists=1 answer=" +
                                                     shown + "\noffending:\ndirty: 0\n"
                                               : hookOutput(hook, shown))
            << names;
}

// Makes the drops ("DRAGGED,TARGET") one after another from the document.rgt of the folder,
// each on the document the one before saved, and expects the message each shows ("" none);
// gives the last document.
CSampleDocument derive(const TempDir& dir, const RRows& drops) {
    static int saved = 0;
    std::string file = "document.rgt";
    for (const auto& [names, message] : drops) {
        const CSampleDocument from(dir, file);
        file = "drop" + std::to_string(++saved) + ".rdc";
        EXPECT_EQ(from.hook("drag-completed", names, file).out,
                  (message.empty() ? "" : "message: " + message + "\n") +
                      "hook drag-completed: exists=1 answer=0\noffending:\ndirty: 1\n")
            << names;
    }
    return CSampleDocument(dir, file);
}

// A sentence of data/SAMPLE.corpus: textbook trees with the verdict the grammar's own check
// must give. A right sentence passes without a mark; a wrong one marks exactly the named
// nodes, each with a note that says the named thing.
struct RSentence {
    int line = 0;
    std::string name;               // the case's name and the sentence
    std::string trees;              // `tree:` lines
    std::vector<std::string> drops; // "DRAGGED TARGET" node names
    std::vector<std::string> marks; // a node name and a piece of its note
    std::string summary;            // a piece of the closing message, when the case names one
};

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    return first == std::string::npos
               ? ""
               : text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Lines per case: `case NAME`, `sentence: TEXT`, `tree: ...` (continuation lines follow,
// indented), `drop: DRAGGED TARGET`, `summary: TEXT`, and either `ok` or one `wrong: NODE GIST`
// per node the check must mark; nodes are named as CSampleDocument::node reads them.
std::vector<RSentence> readCorpus(const std::string& sample) {
    std::istringstream in(readTextFile(std::string(RAMEX_SAMPLES_DIR) + "/../tests/samples/data/" +
                                       sample + ".corpus"));
    std::vector<RSentence> sentences;
    bool inTrees = false;
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        const std::string text = trimmed(line);
        const std::string rest = trimmed(text.substr(text.find(':') + 1));
        const bool continuation = inTrees && (line[0] == ' ' || line[0] == '\t');
        inTrees = continuation || startsWith(text, "tree");
        ++number;
        if (text.empty() || text[0] == '#' || text == "ok")
            continue;
        if (startsWith(text, "case "))
            sentences.push_back(RSentence{number, text.substr(5), "", {}, {}, ""});
        else if (sentences.empty())
            ADD_FAILURE() << sample << ":" << number << ": a line before the first case";
        else if (inTrees)
            sentences.back().trees += (continuation ? line : text) + "\n";
        else if (startsWith(text, "sentence:"))
            sentences.back().name += ": " + rest;
        else if (startsWith(text, "drop:"))
            sentences.back().drops.push_back(rest);
        else if (startsWith(text, "summary:"))
            sentences.back().summary = rest;
        else if (startsWith(text, "wrong:"))
            sentences.back().marks.push_back(rest);
        else
            ADD_FAILURE() << sample << ":" << number << ": cannot read \"" << text << "\"";
    }
    return sentences;
}

// The line of the output that starts so, without the start.
std::string lineStartingWith(const std::string& out, const std::string& prefix) {
    for (const std::string& line : linesOf(out))
        if (startsWith(line, prefix))
            return line.substr(prefix.size());
    return "";
}

// Makes the sentence's drops one after another, then runs the check and compares the marks
// and notes it gives with the corpus's.
void expectVerdict(const std::string& sample, const std::string& check, const RSentence& sentence) {
    SCOPED_TRACE(sample + ".corpus:" + std::to_string(sentence.line) + ": " + sentence.name);
    TempDir dir;
    CSampleDocument document(dir, sample + ".rgt", sentence.trees);
    int step = 0;
    for (const std::string& drop : sentence.drops) {
        const std::string next = "step" + std::to_string(++step) + ".rdc";
        const CommandResult dropped = document.hook(
            "drag-completed",
            drop.substr(0, drop.find(' ')) + "," + trimmed(drop.substr(drop.find(' '))), next);
        ASSERT_EQ(dropped.status, kExitSuccess) << dropped.err;
        document = CSampleDocument(dir, next);
    }
    const CommandResult result = document.call(check);
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(result.out.find("run-time error"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("bug:"), std::string::npos) << result.out;
    std::set<std::string> expected;
    for (const std::string& mark : sentence.marks) {
        const std::string node = document.node(mark.substr(0, mark.find(' ')));
        expected.insert(node);
        const std::string note = lineStartingWith(result.out, "pop-up " + node + ": ");
        EXPECT_NE(note.find(trimmed(mark.substr(mark.find(' ')))), std::string::npos)
            << mark << ": " << note;
    }
    std::set<std::string> offending;
    std::istringstream marked(lineStartingWith(result.out, "offending:"));
    for (std::string node; marked >> node;)
        offending.insert(node);
    EXPECT_EQ(offending, expected) << result.out;
    EXPECT_NE(lineStartingWith(result.out, "message: ").find(sentence.summary), std::string::npos)
        << result.out;
}

struct RSampleCase {
    const char* name;
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

TEST_P(SampleGrammars, BuildCompileCheckClearExplainAndJudgeTheCorpus) {
    const RSampleCase& sample = GetParam();
    const std::string source = samplePath(std::string(sample.name) + ".rgt");
    TempDir dir;
    const std::string grammar = dir.file(std::string(sample.name) + ".rgr");
    ASSERT_EQ(cli({"build", source, "-o", grammar}).status, kExitSuccess);
    // The built grammar keeps the script that compiled from the text.
    EXPECT_EQ(cli({"check-script", grammar}).out, "ok\n");
    const std::string info = cli({"info", grammar}).out;
    EXPECT_GE(std::stoi(info.substr(info.find("\nwords: ") + 8)), sample.minimumWords) << info;

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

    // A corpus that could not be read, or holds one kind of sentence only, proves little.
    std::set<bool> verdicts;
    for (const RSentence& sentence : readCorpus(sample.name)) {
        expectVerdict(sample.name, sample.check, sentence);
        verdicts.insert(sentence.marks.empty());
    }
    EXPECT_EQ(verdicts.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, SampleGrammars,
    ::testing::Values(RSampleCase{"english", 60, "check-trees", "tree: [DP [D' [D the] [NP]]]\n",
                                  "about-x-bar",
                                  "X-bar theory: every phrase XP is built on one head X"},
                      RSampleCase{"categorial", 50, "check-derivation",
                                  "tree: [S [S\\NP sleeps] [NP John]]\n",
                                  "about-categorial-grammar",
                                  "In a categorial grammar the words carry the rules."},
                      RSampleCase{"tag", 25, "check-derivation", "tree: [NP [N Kim]]\n",
                                  "about-tree-adjoining-grammar",
                                  "In a tree-adjoining grammar every word is a small tree."}),
    [](const ::testing::TestParamInfo<RSampleCase>& param) {
        return std::string(param.param.name);
    });

const char* const kEnglish = "english.rgt";

// Kim thinks that the big dog chased them quickly; I wonder whether Mary gave the students a
// book in the park; a roofed DP, whose inside is not checked.
const std::string kRightTrees = R"(tree: [TP [DP [D' [D Kim]]] [T' [T -s] [VP [V' [V think]
  [CP [C' [C that] [TP [DP [D' [D the] [NP [N' [AP [A' [A big]]] [N' [N dog]]]]]] [T' [T -ed]
  [VP [V' [V' [V chase] [DP [D' [D them]]]] [AdvP [Adv' [Adv quickly]]]]]]]]]]]]]
tree: [TP [DP [D' [D I]]] [T' [T Ø] [VP [V' [V wonder] [CP [C' [C whether] [TP [DP [D' [D Mary]]]
  [T' [T -ed] [VP [V' [V' [V give] [DP [D' [D the] [NP [N' [N students]]]]]
  [DP [D' [D a] [NP [N' [N book]]]]]] [PP [P' [P in] [DP [D' [D the] [NP [N' [N park]]]]]]]]]]]]]]]]]
tree: [DP{triangle} those old dogs]
)";

} // namespace

TEST(EnglishSample, GreetsExplainsAndAsksForWhatIsMissing) {
    TempDir dir;
    const CSampleDocument empty(dir, kEnglish, "");
    const std::string about = empty.call("about-x-bar").out;
    EXPECT_NE(about.find("CP[+wh]"), std::string::npos) << about;
    const std::string opened = empty.hook("open", "").out;
    EXPECT_EQ(opened.rfind("message: Drag words from the lexicon onto the work area.", 0), 0u);
    EXPECT_EQ(opened.substr(opened.find('\n')),
              "\nhook open: exists=1 answer=0\noffending:\ndirty: 0\n");
    // The indexing commands work on the selection; without one they change nothing.
    for (const auto& [call, message] :
         RRows{{"check-trees",
                "There is no tree to check yet: drag words from the lexicon onto the work area."},
               {"index-moved", "Select the phrase or head that has moved (who, did...), then "
                               "choose Index the Moved Phrase."},
               {"index-trace", "First select the moved phrase and choose Index the Moved Phrase, "
                               "then select its trace t and choose Index Its Trace."}})
        EXPECT_EQ(empty.call(call).out, "message: " + message + "\noffending:\ndirty: 0\n");
}

TEST(EnglishSample, MagnifyingGlassDescribesANodeInItsPhrase) {
    TempDir dir;
    const CSampleDocument document(dir, kEnglish,
                                   kRightTrees + "tree: [DP [D' [D the] [NP]]]\n"
                                                 "tree: [V' [V'{foot}] [AdvP [Adv' "
                                                 "[Adv quickly]]]]\n");
    expectHooks(
        document, "magnifying-glass",
        {
            {"DP", "DP is a phrase (maximal projection, bar level 2) of category D (determiner), "
                   "headed by 'Kim'. It is the subject of the clause (the specifier of TP). "
                   "Features of 'Kim': number sg, person 3, complements none."},
            {"T", "T is a head (bar level 0) of category T (tense), with the word '-s'. Features "
                  "of '-s': tense pres, agreement 3sg, complements VP."},
            {"CP", "CP is a phrase (maximal projection, bar level 2) of category C "
                   "(complementiser), headed by 'that'. It is the complement of 'think'. Features "
                   "of 'that': complements TP."},
            {"N'", "N' is an intermediate projection (bar level 1) of category N (noun), headed "
                   "by 'dog'. An adjunct is attached at this level. Features of 'dog': number sg, "
                   "complements none."},
            {"AP", "AP is a phrase (maximal projection, bar level 2) of category A (adjective), "
                   "headed by 'big'. It is an adjunct of N'. Features of 'big': complements none."},
            {"them", "'them' is a word. Its head is D (determiner). Features of 'them': case acc, "
                     "number pl, person 3, complements none."},
            {"C.1", "C is a head (bar level 0) of category C (complementiser), with the word "
                    "'whether'. Features of 'whether': question yes, complements TP."},
            {"NP.4", "NP is an empty position for a phrase of category N (noun). It is the "
                     "complement of 'the'."},
            {"V'.6", "V' is the top of the adjunct 'quickly', not attached yet: drop it on the V' "
                     "it modifies."},
            {"V'.7", "V' is the foot of this adjunct: the V' it is attached to takes its place."},
        });
}

// What a cut leaves is judged by the corpus; here the scissors' messages and the trees.
TEST(EnglishSample, ScissorsCutPhrasesAndAdjunctsButNeverBreakAWord) {
    TempDir dir;
    const CSampleDocument document(dir, kEnglish, kRightTrees);
    const std::string before = document.qtree();
    const auto sameHead = [](const std::string& node, const std::string& mother) {
        return node + " cannot be cut from " + mother +
               ": both are projections of the same head, so cutting between them would break "
               "its phrase. Cut a whole phrase instead.";
    };
    expectHooks(document, "scissors",
                {
                    {"TP", "There is nothing to cut: TP is the top of its own tree."},
                    {"Kim", "The word 'Kim' cannot be cut from its head D: a word and its "
                            "head belong together."},
                    {"V", "The head V cannot be cut: it holds the word 'think', and V' is "
                          "built on it. Cut a whole phrase instead."},
                    {"D'", sameHead("D'", "DP")},
                    {"N'.1", sameHead("N'", "N'")},
                });
    for (const auto& [names, to, message] :
         {std::tuple("DP.1", "cut.rdc",
                     "'the big dog' is cut out of TP and is now a tree of its own; its DP position "
                     "is empty again."),
          std::tuple("AdvP", "adjunct.rdc",
                     "The adjunct 'quickly' is cut off, and V' is as it was before the adjunct was "
                     "attached.")})
        EXPECT_EQ(document.hook("scissors", names, to).out, hookOutput("scissors", message, true));
    const CSampleDocument cut(dir, "cut.rdc");
    // The new tree first, and an empty DP where the subject was.
    EXPECT_EQ(
        cut.qtree(),
        R"(\Tree [.DP [.D' [.D the ] [.NP [.N' [.AP [.A' [.A big ] ] ] [.N' [.N dog ] ] ] ] ] ] 
)" + before.substr(0, before.find("[.TP [.DP [.D' [.D the ]")) +
            "[.TP DP" + before.substr(before.find(" [.T' [.T -ed ]")));
    // The position keeps its node; the phrase is a copy at the front of the tree list.
    EXPECT_EQ(cut.node("DP.2"), document.node("DP.1"));

    const std::string trees = CSampleDocument(dir, "adjunct.rdc").qtree();
    EXPECT_EQ(trees.substr(0, trees.find('\n')), "\\Tree [.AdvP [.Adv' [.Adv quickly ] ] ] ");
    EXPECT_NE(trees.find("[.VP [.V' [.V chase ] [.DP [.D' [.D them ] ] ] ] ] "), std::string::npos)
        << trees;

    // An empty position is removed whether or not the word can do without it (eat can, see
    // cannot: the corpus has Check ask for it).
    const CSampleDocument verbs(dir, kEnglish,
                                "tree: [VP [V' [V eat] [DP]]]\n"
                                "tree: [VP [V' [V see] [DP]]]\n");
    for (const char* to : {"eat.rdc", "see.rdc"})
        EXPECT_EQ(verbs.hook("scissors", to[0] == 's' ? "DP.1" : "DP", to).out,
                  hookOutput("scissors", "The empty DP position is removed from V'.", true));
    EXPECT_EQ(CSampleDocument(dir, "eat.rdc").qtree(),
              "\\Tree [.VP [.V' [.V eat ] ] ] \n\\Tree [.VP [.V' [.V see ] DP ] ] \n");
    EXPECT_EQ(CSampleDocument(dir, "see.rdc").qtree(),
              "\\Tree [.VP [.V' [.V eat ] DP ] ] \n\\Tree [.VP [.V' [.V see ] ] ] \n");
}

TEST(EnglishSample, PhrasesLandOnEmptyPositionsAndAdjunctsOnTheirX) {
    TempDir dir;
    // Loose pieces of "the big dog sleeps quickly".
    const CSampleDocument pieces(dir, kEnglish,
                                 "tree: [DP [D' [D the] [NP]]]\n"
                                 "tree: [NP [N' [N dog]]]\n"
                                 "tree: [N' [AP [A' [A big]]] [N'{foot}]]\n"
                                 "tree: [VP [V' [V sleep]]]\n"
                                 "tree: [V' [V'{foot}] [AdvP [Adv' [Adv quickly]]]]\n");
    expectHooks(pieces, "is-landing-allowed",
                {
                    {"NP.1,NP", "1"},   // the noun phrase into the empty NP
                    {"VP,NP", "1"},     // any phrase: Check tells it is wrong
                    {"NP.1,DP", "0"},   // not on a filled position
                    {"NP.1,D'", "0"},   // nor on an intermediate projection
                    {"N'.1,N'", "1"},   // the adjective onto the noun's N'
                    {"N'.1,V'", "0"},   // but not onto a verb's
                    {"N'.1,NP.1", "0"}, // nor onto a phrase
                    {"V'.1,V'", "1"},   // the adverb onto the verb's V'
                    {"NP.1,N'.2", "0"}, // nothing lands on an adjunct's foot
                    {"VP,V'.2", "0"},
                });
    // A drop the landing hook refuses changes nothing.
    EXPECT_EQ(pieces.hook("drag-completed", "VP,D'").out,
              "hook drag-completed: exists=1 answer=0\noffending:\ndirty: 0\n");
    EXPECT_EQ(derive(dir, {{"N'.1,N'", "'big' is now an adjunct of N'."},
                           {"NP.1,NP", ""},
                           {"V'.1,V'", "'quickly' is now an adjunct of V'."}})
                  .qtree(),
              "\\Tree [.DP [.D' [.D the ] [.NP [.N' [.AP [.A' [.A big ] ] ] [.N' [.N dog ] ] ] ] "
              "] ] \n"
              "\\Tree [.VP [.V' [.V' [.V sleep ] ] [.AdvP [.Adv' [.Adv quickly ] ] ] ] ] \n");
}

// Dropping puts the dropped tree right and names the rule; whether the result is a right
// derivation is judged by the corpus.
TEST(CategorialSample, DroppingCombinesByTheRuleAndTheMagnifyingGlassReadsACategory) {
    TempDir dir;
    const CSampleDocument words(
        dir, "categorial.rgt",
        "tree: [\"NP[sg]\" John]\ntree: [\"(S\\NP[sg])/NP\" sees]\ntree: [\"NP[sg]\" Mary]\n");
    expectHooks(words, "is-landing-allowed",
                {
                    {"NP[sg],(S\\NP[sg])/NP", "1"},
                    {"(S\\NP[sg])/NP,NP[sg]", "1"}, // the student's order
                    {"NP[sg],NP[sg].1", "1"},
                    {"NP[sg],sees", "0"}, // a word is no landing place
                });
    EXPECT_EQ(derive(dir, {{"^Mary,^sees", "'(S\\NP[sg])/NP' and 'NP[sg]' combine by forward "
                                           "application (>) into 'S\\NP[sg]'."},
                           {"^sees,^John", "'NP[sg]' and 'S\\NP[sg]' combine by backward "
                                           "application (<) into 'S'."}})
                  .qtree(),
              "\\Tree [.S_< [.NP[sg] John ] [.S\\NP[sg]_> [.(S\\NP[sg])/NP sees ] [.NP[sg] Mary "
              "] ] ] \n");
    // In an order no rule accepts the mistake is left for Check to explain.
    const std::string wrong = derive(dir, {{"^sees,^Mary", "'NP[sg]' followed by '(S\\NP[sg])/NP' "
                                                           "do not combine: Check the Derivation "
                                                           "says why."}})
                                  .qtree();
    EXPECT_NE(wrong.find("[.? [.NP[sg] Mary ] [.(S\\NP[sg])/NP sees ] ]"), std::string::npos)
        << wrong;

    const CSampleDocument pieces(dir, "categorial.rgt",
                                 "tree: [B\\C one]\ntree: [A\\B two]\n"
                                 "tree: [S [NP John] [S\\NP [(S\\NP)/NP sees] [NP Mary]]]\n");
    const std::string composed =
        derive(dir, {{"^two,^one", "'B\\C' and 'A\\B' combine by backward composition (<B) into "
                                   "'A\\C'."}})
            .qtree();
    EXPECT_NE(composed.find("\\Tree [.A\\C_<B [.B\\C one ] [.A\\B two ] ] \n"), std::string::npos)
        << composed;
    expectHooks(pieces, "magnifying-glass",
                {
                    {"(S\\NP)/NP", "'(S\\NP)/NP' looks for NP on its right and then gives S\\NP."},
                    {"S\\NP", "'S\\NP' looks for NP on its left and then gives S."},
                    {"S", "'S' is a basic category."},
                    {"sees", "'sees' is a word; its category is the node above it."},
                });
}

// Every label apply and compose make must parse into the parts it was made from, so that it
// combines again.
TEST(CategorialSample, ChainedApplicationsAndCompositionsKeepTheirBrackets) {
    TempDir dir;
    std::string trees;
    for (const char* word :
         {"NP John", "NP Mary", "N dog", "(S\\NP)/(S\\NP) often", "(S\\NP)/(S\\NP) often",
          "(S\\NP)/(S\\NP) often", "(S\\NP)/NP sees", "(S\\NP)\\(S\\NP) quickly",
          "(S\\NP)\\(S\\NP) quickly", "S\\NP sleeps", "(N\\N)/(S\\NP) who"})
        trees += "tree: [" + std::string(word) + "]\n";
    const CSampleDocument document(dir, "categorial.rgt", trees);
    RecordingPlatformScope platform;
    std::unique_ptr<CTree> tree;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(openAnyFile(document.path(), tree));
    testing::internal::GetCapturedStderr();
    // Composed or applied: the operands (a node's name, or "#N": the N-th step's result), the
    // label made and, where checked, "left dir right" as the program reads that label back.
    const std::vector<std::vector<std::string>> steps = {
        // John often often often sees Mary.
        {"compose", "(S\\NP)/(S\\NP)", "(S\\NP)/(S\\NP).1", "(S\\NP)/(S\\NP)", "S\\NP / S\\NP"},
        {"compose", "#0", "(S\\NP)/(S\\NP).2", "(S\\NP)/(S\\NP)"},
        {"compose", "#1", "(S\\NP)/NP", "(S\\NP)/NP", "S\\NP / NP"},
        {"apply", "#2", "NP.1", "S\\NP"},
        {"apply", "NP", "#3", "S"},
        // sleeps quickly quickly: two backward modifiers composed, then applied.
        {"compose", "(S\\NP)\\(S\\NP)", "(S\\NP)\\(S\\NP).1", "(S\\NP)\\(S\\NP)"},
        {"apply", "S\\NP", "#5", "S\\NP"},
        // dog who often sees Mary; a part without a slash of its own takes no brackets.
        {"compose", "(N\\N)/(S\\NP)", "(S\\NP)/(S\\NP)", "(N\\N)/(S\\NP)", "N\\N / S\\NP"},
        {"compose", "#7", "(S\\NP)/NP", "(N\\N)/NP", "N\\N / NP"},
        {"apply", "#8", "NP.1", "N\\N"},
        {"apply", "N", "#9", "N"},
    };
    std::vector<int32_t> made;
    const auto operand = [&](const std::string& name) {
        return name[0] == '#' ? made.at(std::stoul(name.substr(1)))
                              : std::stoi(document.node(name));
    };
    for (const std::vector<std::string>& step : steps) {
        SCOPED_TRACE(step[3]);
        int32_t root = 0;
        ASSERT_EQ(tree->undoStructure().startTaskList(kLabelMenu), kNoErr);
        EXPECT_EQ(step[0] == "compose" ? tree->compose(operand(step[1]), operand(step[2]), root)
                                       : tree->apply(operand(step[1]), operand(step[2]), root),
                  kNoErr);
        ASSERT_EQ(tree->undoStructure().finishTaskList(), kNoErr);
        ASSERT_NE(root, 0);
        made.push_back(root);
        const CRString* label = nullptr;
        ASSERT_EQ(tree->getLabel(root, label), kNoErr);
        EXPECT_EQ(label->str(), step[3]);
        if (step.size() < 5)
            continue;
        std::unique_ptr<CRString> left;
        std::unique_ptr<CRString> right;
        int32_t direction = 0;
        bool error = false;
        CTree::parseCategorialLabel(CRString(label->str(), 158), left, right, direction, error);
        ASSERT_FALSE(error);
        EXPECT_EQ(left->str() + " " + static_cast<char>(direction) + " " + right->str(), step[4]);
    }
    EXPECT_EQ(platform.recorder.bugReports(), std::vector<std::string>{});
}

// The elementary trees of "Mary thinks John sleeps quickly".
const char* const kTagTrees = "tree: [S [NP] [VP [V sleeps]]]\ntree: [NP [N John]]\n"
                              "tree: [VP [VP{foot}] [Adv quickly]]\n"
                              "tree: [S [NP] [VP [V thinks] [S{foot}]]]\ntree: [NP [N Mary]]\n";

// Whether a derivation is right is judged by the corpus; here how the trees land and what the
// drops say.
TEST(TagSample, TreesLandDeriveASentenceAndTheMagnifyingGlassTellsWhatANodeIs) {
    TempDir dir;
    const CSampleDocument trees(dir, "tag.rgt",
                                std::string(kTagTrees) +
                                    "tree: [S [NP{substituted-at=NP} [N Kim]] "
                                    "[VP{adjoined-at=VP} [VP [V laughs]] [Adv quickly]]]\n");
    // Initial trees land on open nodes, auxiliary trees on inner nodes.
    expectHooks(trees, "is-landing-allowed",
                {
                    {"NP.1,NP", "1"},     // John into sleeps' subject
                    {"S,NP.2", "1"},      // a wrong choice, which Check explains
                    {"NP.1,S.2", "0"},    // not on a foot
                    {"NP.1,VP", "0"},     // an initial tree does not adjoin
                    {"VP.1,VP", "1"},     // quickly at sleeps' VP
                    {"VP.1,S", "1"},      // or anywhere inside, checked later
                    {"VP.1,V", "1"},      //
                    {"VP.1,NP", "0"},     // but not at an open node
                    {"VP.1,sleeps", "0"}, //
                });
    expectHooks(trees, "magnifying-glass",
                {
                    {"NP", "This NP is an open substitution node."},
                    {"VP.2", "This VP is the foot node of an auxiliary tree not adjoined yet."},
                    {"VP.1", "This VP is the root of an auxiliary tree not adjoined yet."},
                    {"S", "This S is the root of a tree."},
                    {"VP", "This VP is a node inside an elementary tree."},
                    {"sleeps", "'sleeps' is a word."},
                    {"NP.4", "Here an initial tree was substituted at a node labelled NP."},
                    {"VP.4", "Here an auxiliary tree was adjoined at a node labelled VP."},
                });
    const CSampleDocument only(dir, "tag.rgt", kTagTrees);
    // The last adjunction at the root of John sleeps: thinks becomes the root of the whole.
    EXPECT_EQ(derive(dir, {{"NP.1,NP", "The initial tree is substituted at NP."},
                           {"VP.1,VP", "The auxiliary tree is adjoined at VP."},
                           {"S.1,S", "The auxiliary tree is adjoined at S."},
                           {"NP.2,NP", "The initial tree is substituted at NP."}})
                  .qtree(),
              "\\Tree [.S [.NP [.N Mary ] ] [.VP [.V thinks ] [.S [.NP [.N John ] ] [.VP [.VP [.V "
              "sleeps ] ] [.Adv quickly ] ] ] ] ] \n");
    // quickly at the subject's NP, after John is substituted there.
    derive(dir, {{"NP.1,NP", "The initial tree is substituted at NP."},
                 {"VP.1,NP", "The auxiliary tree is adjoined at NP."}});
}
