// The teaching corpus: textbook sentences built as documents from the sample grammars, each
// with the verdict the grammar's own check must give. A right sentence must pass without a
// mark; a wrong one must mark exactly the named nodes, each with a note that says the named
// thing. The sentences live in data/*.corpus (the format is described at readCorpus).
#include "SampleTestSupport.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <set>

namespace {

struct RCorpusCase {
    std::string name;               // corpus file, then the case's own name
    std::string sample;             // such as "english.rgt"
    std::string check;              // the function of the Check menu that judges it
    std::string sentence;           // for the reader and the failure message
    std::string trees;              // `tree:` lines
    std::vector<std::string> drops; // node names, dragged and target
    std::vector<std::string> marks; // node name and a piece of its note
    std::string summary;            // a piece of the closing message, when the case names one
    int line = 0;
};

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    return first == std::string::npos
               ? ""
               : text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// A node named by its label and which one of that label it is (from 0, in checking order),
// `LABEL N`; or the same within the tree that holds a word, `LABEL@WORD N`; or the root of
// the tree that holds a word, `^WORD`. Reads the name from the stream and gives the node.
std::string readNode(std::istringstream& in, const CSampleDocument& document) {
    std::string label;
    int occurrence = 0;
    in >> label;
    if (startsWith(label, "^"))
        return document.in(label.substr(1));
    in >> occurrence;
    const auto at = label.find('@');
    return at == std::string::npos
               ? document.node(label + "." + std::to_string(occurrence))
               : document.in(label.substr(at + 1), label.substr(0, at), occurrence);
}

// A corpus tree writes a head as plainly as a textbook does ([D the]); it is given the
// features its word carries in the sample's lexicon, unless the corpus writes them itself.
std::string withLexiconFeatures(const std::string& trees, const std::string& sample) {
    std::map<std::string, std::string> features; // by "CATEGORY WORD"
    std::istringstream grammar(readTextFile(samplePath(sample)));
    const std::regex lexicon(R"(\[([A-Za-z]+)\{([^}]*)\} ([^\s\[\]{}]+)(\{[^}]*\})?\])");
    for (std::string line; std::getline(grammar, line);) {
        for (std::sregex_iterator it(line.begin(), line.end(), lexicon), end;
             startsWith(line, "word ") && it != end; ++it) {
            std::string kept;
            std::istringstream props((*it)[2].str());
            for (std::string prop; std::getline(props, prop, ',');)
                if (prop.find('=') != std::string::npos)
                    kept += (kept.empty() ? "" : ",") + prop;
            features.emplace((*it)[1].str() + " " + (*it)[3].str(), kept);
        }
    }
    const std::regex head(R"(\[([A-Za-z]+)(\{([^}]*)\})? ([^\s\[\]{}]+)(\{[^}]*\})?\])");
    std::string out;
    auto last = trees.cbegin();
    for (std::sregex_iterator it(trees.begin(), trees.end(), head), end; it != end; ++it) {
        const std::smatch& match = *it;
        out.append(last, match[0].first);
        last = match[0].second;
        const auto found = features.find(match[1].str() + " " + match[4].str());
        std::string props = match[3].str();
        std::istringstream given(found == features.end() ? "" : found->second);
        for (std::string prop; std::getline(given, prop, ',');)
            if (props.find(prop.substr(0, prop.find('=') + 1)) == std::string::npos)
                props += (props.empty() ? "" : ",") + prop;
        out += found == features.end()
                   ? match[0].str()
                   : "[" + match[1].str() + (props.empty() ? "" : "{" + props + "}") + " " +
                         match[4].str() + match[5].str() + "]";
    }
    return out.append(last, trees.cend());
}

// Lines: `sample:` and `check:` once at the top; then per case `case NAME`, `sentence: TEXT`,
// `tree: ...` (continuation lines follow, indented), `drop: DRAGGED TARGET`, `summary: TEXT`,
// and either `ok` or one `wrong: NODE GIST` per node the check must mark.
std::vector<RCorpusCase> readCorpus() {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(RAMEX_SAMPLES_DIR) +
                                                                 "/../tests/samples/data"))
        if (entry.path().extension() == ".corpus")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::vector<RCorpusCase> cases;
    for (const auto& path : files) {
        std::istringstream in(readTextFile(path.u8string()));
        std::string sample;
        std::string check;
        bool inTrees = false;
        int number = 0;
        for (std::string line; std::getline(in, line);) {
            ++number;
            const std::string text = trimmed(line);
            if (text.empty() || text[0] == '#')
                continue;
            const auto rest = [&text]() { return trimmed(text.substr(text.find(':') + 1)); };
            const bool continuation = inTrees && (line[0] == ' ' || line[0] == '\t');
            inTrees = continuation || startsWith(text, "tree");
            RCorpusCase* last = cases.empty() ? nullptr : &cases.back();
            if (startsWith(text, "sample:")) {
                sample = rest();
            } else if (startsWith(text, "check:")) {
                check = rest();
            } else if (startsWith(text, "case ")) {
                std::string name = path.stem().string() + "_" + trimmed(text.substr(5));
                std::replace(name.begin(), name.end(), '-', '_');
                cases.push_back({name, sample, check, "", "", {}, {}, "", number});
            } else if (last == nullptr) {
                ADD_FAILURE() << path << ":" << number << ": a line before the first case";
            } else if (inTrees) {
                last->trees += (continuation ? line : text) + "\n";
            } else if (startsWith(text, "sentence:")) {
                last->sentence = rest();
            } else if (startsWith(text, "drop:")) {
                last->drops.push_back(rest());
            } else if (startsWith(text, "summary:")) {
                last->summary = rest();
            } else if (startsWith(text, "wrong:")) {
                last->marks.push_back(rest());
            } else if (text != "ok") {
                ADD_FAILURE() << path << ":" << number << ": cannot read \"" << text << "\"";
            }
        }
    }
    return cases;
}

// The line of the output that starts so, without the start.
std::string lineStartingWith(const std::string& out, const std::string& prefix) {
    for (const std::string& line : linesOf(out))
        if (startsWith(line, prefix))
            return line.substr(prefix.size());
    return "";
}

// What a failing case shows of itself.
void PrintTo(const RCorpusCase& sentence, std::ostream* out) {
    *out << sentence.name << " (line " << sentence.line << "): " << sentence.sentence;
}

class SampleCorpus : public ::testing::TestWithParam<RCorpusCase> {};

TEST_P(SampleCorpus, GetsTheVerdictAndTheNoteRight) {
    const RCorpusCase& sentence = GetParam();
    SCOPED_TRACE(sentence.sentence);
    TempDir dir;
    CSampleDocument document(dir, sentence.sample,
                             withLexiconFeatures(sentence.trees, sentence.sample));
    int step = 0;
    for (const std::string& drop : sentence.drops) {
        std::istringstream names(drop);
        const std::string dragged = readNode(names, document);
        const std::string next = "step" + std::to_string(++step) + ".rdc";
        const CommandResult dropped =
            document.hook("drag-completed", dragged + "," + readNode(names, document), next);
        ASSERT_EQ(dropped.status, kExitSuccess) << dropped.err;
        document = CSampleDocument(dir, next);
    }
    const CommandResult result = document.call(sentence.check);
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(result.out.find("run-time error"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("bug:"), std::string::npos) << result.out;
    std::set<std::string> expected;
    for (const std::string& mark : sentence.marks) {
        std::istringstream words(mark);
        const std::string node = readNode(words, document);
        std::string gist;
        std::getline(words, gist);
        expected.insert(node);
        const std::string note = lineStartingWith(result.out, "pop-up " + node + ": ");
        EXPECT_NE(note, "") << "no note at " << mark << "\n" << result.out;
        EXPECT_NE(note.find(trimmed(gist)), std::string::npos) << mark << ": " << note;
    }
    std::set<std::string> offending;
    std::istringstream marked(lineStartingWith(result.out, "offending:"));
    for (std::string node; marked >> node;)
        offending.insert(node);
    EXPECT_EQ(offending, expected) << result.out;
    EXPECT_NE(lineStartingWith(result.out, "message: ").find(sentence.summary), std::string::npos)
        << result.out;
}

INSTANTIATE_TEST_SUITE_P(Sentences, SampleCorpus, ::testing::ValuesIn(readCorpus()),
                         [](const ::testing::TestParamInfo<RCorpusCase>& param) {
                             return param.param.name;
                         });

// A corpus that could not be found or read would pass without a sentence.
TEST(SampleCorpusData, HoldsTheSentencesOfEveryGrammar) {
    std::map<std::string, int> counts;
    for (const RCorpusCase& sentence : readCorpus())
        counts[sentence.sample + (sentence.marks.empty() ? " right" : " wrong")]++;
    EXPECT_EQ(counts.size(), 6u);
}

} // namespace
