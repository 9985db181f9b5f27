// The teaching corpus: textbook sentences built as documents from the sample grammars, each
// with the verdict the grammar's own check must give. A right sentence must pass without a
// mark; a wrong one must mark exactly the named nodes, each with a note that says the named
// thing. The sentences live in data/*.corpus (the format is described at readCorpusFile).

#include "SampleTestSupport.h"

#include "cli/CliCommand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A node named by its label and which one of that label it is (from 0, in checking order),
// `LABEL N`; or the same within the tree that holds a word, `LABEL@WORD N`; or the root of
// the tree that holds a word, `^WORD`.
struct RNodeName {
    std::string label;
    int occurrence = 0;
    std::string word;
    bool root = false;
};

struct RDrop {
    RNodeName dragged;
    RNodeName target;
};

struct RMark {
    RNodeName node;
    std::string gist; // a piece of the note the check must show beside the node
};

struct RCorpusCase {
    std::string name;     // corpus file, then the case's own name
    std::string sample;   // such as "english.rgt"
    std::string check;    // the function of the Check menu that judges it
    std::string sentence; // for the reader and the failure message
    std::string trees;    // `tree:` lines
    std::vector<RDrop> drops;
    std::vector<RMark> marks; // none for a right sentence
    std::string summary;      // a piece of the closing message, when the case names one
    int line = 0;
};

// Beside this file, in the source tree the samples come from.
std::string corpusFolder() {
    return std::string(RAMEX_SAMPLES_DIR) + "/../tests/samples/data";
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// "LABEL OCCURRENCE" at the start of the stream.
RNodeName readNodeName(std::istringstream& in) {
    RNodeName name;
    in >> name.label;
    if (startsWith(name.label, "^")) {
        name.root = true;
        name.word = name.label.substr(1);
        return name;
    }
    const auto at = name.label.find('@');
    if (at != std::string::npos) {
        name.word = name.label.substr(at + 1);
        name.label.erase(at);
    }
    in >> name.occurrence;
    return name;
}

int32_t nodeNamed(const CSampleDocument& document, const RNodeName& name) {
    if (name.root)
        return document.rootOf(name.word);
    if (!name.word.empty())
        return document.nodeIn(name.label, name.occurrence, name.word);
    return document.node(name.label, name.occurrence);
}

std::string describe(const RNodeName& name) {
    if (name.root)
        return "^" + name.word;
    return name.label + (name.word.empty() ? "" : "@" + name.word) + " " +
           std::to_string(name.occurrence);
}

// The features each head of a sample's lexicon carries, by "CATEGORY WORD", so that a
// corpus tree can write a head as plainly as a textbook does ([D the]) and still carry what
// the grammar's word carries.
std::map<std::string, std::string> lexiconFeatures(const std::string& sample) {
    std::map<std::string, std::string> features;
    std::ifstream in(samplePath(sample));
    const std::regex head(R"(\[([A-Za-z]+)\{([^}]*)\} ([^\s\[\]{}]+)(\{[^}]*\})?\])");
    std::string line;
    while (std::getline(in, line)) {
        if (!startsWith(line, "word "))
            continue;
        for (std::sregex_iterator it(line.begin(), line.end(), head), end; it != end; ++it) {
            std::string kept;
            std::istringstream props((*it)[2].str());
            std::string prop;
            while (std::getline(props, prop, ','))
                if (prop.find('=') != std::string::npos)
                    kept += (kept.empty() ? "" : ",") + prop;
            features.emplace((*it)[1].str() + " " + (*it)[3].str(), kept);
        }
    }
    return features;
}

// The corpus trees with each plainly written head given its word's features; features
// written in the corpus (a subscript, say) are kept and win.
std::string withLexiconFeatures(const std::string& trees,
                                const std::map<std::string, std::string>& features) {
    const std::regex head(R"(\[([A-Za-z]+)(\{([^}]*)\})? ([^\s\[\]{}]+)(\{[^}]*\})?\])");
    std::string out;
    auto last = trees.cbegin();
    for (std::sregex_iterator it(trees.begin(), trees.end(), head), end; it != end; ++it) {
        const std::smatch& match = *it;
        out.append(last, match[0].first);
        last = match[0].second;
        const auto found = features.find(match[1].str() + " " + match[4].str());
        if (found == features.end()) {
            out += match[0].str();
            continue;
        }
        std::string props = match[3].str();
        std::istringstream lexicon(found->second);
        std::string prop;
        while (std::getline(lexicon, prop, ',')) {
            const std::string key = prop.substr(0, prop.find('=') + 1);
            if (props.find(key) == std::string::npos)
                props += (props.empty() ? "" : ",") + prop;
        }
        out += "[" + match[1].str() + (props.empty() ? "" : "{" + props + "}") + " " +
               match[4].str() + match[5].str() + "]";
    }
    out.append(last, trees.cend());
    return out;
}

// Reads one corpus file. Lines: `sample:` and `check:` once at the top; then per case
// `case NAME`, `sentence: TEXT`, `tree: ...` (continuation lines follow, indented),
// `drop: DRAGGED N TARGET N`, `summary: TEXT`, and either `ok` or one `wrong: LABEL N GIST`
// per node the check must mark.
std::vector<RCorpusCase> readCorpusFile(const std::filesystem::path& path) {
    std::vector<RCorpusCase> cases;
    std::ifstream in(path);
    std::string sample;
    std::string check;
    std::string line;
    int number = 0;
    bool inTrees = false;
    while (std::getline(in, line)) {
        ++number;
        const std::string text = trimmed(line);
        if (text.empty() || text[0] == '#')
            continue;
        const bool continuation = inTrees && (line[0] == ' ' || line[0] == '\t');
        inTrees = false;
        if (continuation) {
            cases.back().trees += line + "\n";
            inTrees = true;
        } else if (startsWith(text, "sample:")) {
            sample = trimmed(text.substr(7));
        } else if (startsWith(text, "check:")) {
            check = trimmed(text.substr(6));
        } else if (startsWith(text, "case ")) {
            RCorpusCase next;
            next.name = path.stem().string() + "_" + trimmed(text.substr(5));
            std::replace(next.name.begin(), next.name.end(), '-', '_');
            next.sample = sample;
            next.check = check;
            next.line = number;
            cases.push_back(next);
        } else if (cases.empty()) {
            ADD_FAILURE() << path << ":" << number << ": a line before the first case";
        } else if (startsWith(text, "sentence:")) {
            cases.back().sentence = trimmed(text.substr(9));
        } else if (startsWith(text, "tree")) {
            cases.back().trees += text + "\n";
            inTrees = true;
        } else if (startsWith(text, "drop:")) {
            std::istringstream words(text.substr(5));
            RDrop drop;
            drop.dragged = readNodeName(words);
            drop.target = readNodeName(words);
            cases.back().drops.push_back(drop);
        } else if (startsWith(text, "summary:")) {
            cases.back().summary = trimmed(text.substr(8));
        } else if (startsWith(text, "wrong:")) {
            std::istringstream words(text.substr(6));
            RMark mark;
            mark.node = readNodeName(words);
            std::getline(words, mark.gist);
            mark.gist = trimmed(mark.gist);
            cases.back().marks.push_back(mark);
        } else if (text != "ok") {
            ADD_FAILURE() << path << ":" << number << ": cannot read \"" << text << "\"";
        }
    }
    return cases;
}

std::vector<RCorpusCase> readCorpus() {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(corpusFolder()))
        if (entry.path().extension() == ".corpus")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::vector<RCorpusCase> cases;
    for (const auto& file : files) {
        const std::vector<RCorpusCase> more = readCorpusFile(file);
        cases.insert(cases.end(), more.begin(), more.end());
    }
    return cases;
}

// The pop-up notes of a run, by node.
std::map<int32_t, std::string> popUps(const std::string& out) {
    std::map<int32_t, std::string> notes;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        if (!startsWith(line, "pop-up "))
            continue;
        const auto colon = line.find(": ");
        notes[std::stoi(line.substr(7, colon - 7))] = line.substr(colon + 2);
    }
    return notes;
}

std::string lineStartingWith(const std::string& out, const std::string& prefix) {
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line))
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
                             withLexiconFeatures(sentence.trees, lexiconFeatures(sentence.sample)));
    int step = 0;
    for (const RDrop& drop : sentence.drops) {
        const std::string arguments = std::to_string(nodeNamed(document, drop.dragged)) + "," +
                                      std::to_string(nodeNamed(document, drop.target));
        const std::string next = "step" + std::to_string(++step) + ".rdc";
        const RCommandOutput dropped = document.hook("drag-completed", arguments, dir.file(next));
        ASSERT_EQ(dropped.status, kExitSuccess) << dropped.err;
        document = CSampleDocument(dir, next);
    }
    const RCommandOutput result = document.call(sentence.check);
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(result.out.find("run-time error"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("bug:"), std::string::npos) << result.out;

    const std::map<int32_t, std::string> notes = popUps(result.out);
    std::set<int32_t> expected;
    for (const RMark& mark : sentence.marks) {
        const int32_t node = nodeNamed(document, mark.node);
        expected.insert(node);
        const auto note = notes.find(node);
        if (note == notes.end()) {
            ADD_FAILURE() << "no note at " << describe(mark.node) << "\n" << result.out;
            continue;
        }
        EXPECT_NE(note->second.find(mark.gist), std::string::npos)
            << "at " << describe(mark.node) << ": " << note->second;
    }
    std::set<int32_t> offending;
    std::istringstream marked(lineStartingWith(result.out, "offending:"));
    for (int32_t node = 0; marked >> node;)
        offending.insert(node);
    EXPECT_EQ(offending, expected) << result.out;
    if (!sentence.summary.empty()) {
        EXPECT_NE(lineStartingWith(result.out, "message: ").find(sentence.summary),
                  std::string::npos)
            << result.out;
    }
}

std::string caseName(const ::testing::TestParamInfo<RCorpusCase>& param) {
    return param.param.name;
}

INSTANTIATE_TEST_SUITE_P(Sentences, SampleCorpus, ::testing::ValuesIn(readCorpus()), caseName);

// The corpus is a semester's worth: enough sentences in every grammar, about half of them
// wrong, each with a sentence to show for it.
TEST(SampleCorpusData, CoversEveryGrammarWithRightAndWrongSentences) {
    const std::vector<RCorpusCase> cases = readCorpus();
    std::map<std::string, int> right;
    std::map<std::string, int> wrong;
    for (const RCorpusCase& sentence : cases) {
        EXPECT_FALSE(sentence.sentence.empty()) << sentence.name;
        EXPECT_FALSE(sentence.trees.empty()) << sentence.name;
        ++(sentence.marks.empty() ? right : wrong)[sentence.sample];
    }
    EXPECT_GE(cases.size(), 60u);
    for (const char* sample : {"english.rgt", "categorial.rgt", "tag.rgt"}) {
        EXPECT_GE(right[sample], 4) << sample;
        EXPECT_GE(wrong[sample], 4) << sample;
    }
    int wrongTotal = 0;
    for (const auto& [sample, count] : wrong)
        wrongTotal += count;
    EXPECT_GE(wrongTotal * 10, static_cast<int>(cases.size()) * 4);
    EXPECT_LE(wrongTotal * 10, static_cast<int>(cases.size()) * 6);
}

} // namespace
