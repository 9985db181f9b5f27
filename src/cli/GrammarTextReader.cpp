#include "cli/GrammarTextReader.h"

#include "base/ErrorReporter.h"
#include "cli/GrammarTextBuilder.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

namespace {

constexpr int32_t kTextFormCreatorTag = 140;
constexpr int32_t kMinFontSize = 8;
constexpr int32_t kMaxFontSize = 144;
constexpr int32_t kMaxDrawingValue = 1000;
constexpr int32_t kMaxThickness = 2;
constexpr std::size_t kMaxNumberDigits = 9;

// Property names that cannot also name a feature, since {NAME=VALUE} would be ambiguous.
constexpr std::array<const char*, 9> kReservedPropertyNames = {
    "main", "foot", "spine", "triangle", "cat", "proj", "color", "style", "sub"};

// Where a bare word ends, by what is being read.
enum class RWordKind {
    Label,  // a node label in a tree
    Header, // a name or number on a header, word or tree line
    Value,  // a property value
    Key,    // a property name
};

bool endsWord(char c, RWordKind kind) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= ' ' || byte == 0x7F)
        return true;
    switch (c) {
    case '[':
    case ']':
    case '{':
    case '}':
    case '"':
    case '#':
        return true;
    case ':':
        return kind == RWordKind::Header;
    case ',':
        return kind != RWordKind::Label;
    case '=':
        return kind == RWordKind::Key;
    default:
        return false;
    }
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool equalIgnoringCase(const std::string& a, const char* b) {
    return CRString::equalString(CRString(a, kTextFormCreatorTag), b, true, false);
}

// Splits text into lines; a CR before a LF belongs to the line end.
std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    if (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

bool readWholeFile(const std::string& path, std::string& text) {
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(std::filesystem::u8path(path), ignored))
        return false;
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    if (!in)
        return false;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// What a node's properties set explicitly rather than leave to its label.
struct RExplicit {
    bool category = false;
    bool projection = false;
};

// The parser: one pass over the lines, filling an RGrammarText; the first error stops it.
class TextParser {
public:
    TextParser(const std::string& text, RTextTarget textTarget, const std::string& scriptFolder,
               RGrammarText& grammarOut, RTextError& errorOut)
        : lines(splitLines(text)), target(textTarget), folder(scriptFolder), grammar(grammarOut),
          error(errorOut) {}

    bool run();

private:
    int32_t lineNumber() const { return static_cast<int32_t>(li) + 1; }
    const std::string& line() const { return lines[li]; }
    bool atEnd() const { return pos >= line().size(); }
    bool failAt(int32_t where, const std::string& message) {
        error.line = where;
        error.message = message;
        return false;
    }
    bool fail(const std::string& message) { return failAt(lineNumber(), message); }
    // Skips blanks and a comment on the current line.
    void skipBlanks();
    bool startsWith(const char* keyword) const {
        return line().compare(pos, std::string(keyword).size(), keyword) == 0;
    }
    // Reads quoted text or a bare word; empty bare words are left to the caller.
    bool readWord(RWordKind kind, std::string& word, bool& quoted);
    bool readNumber(const std::string& what, int32_t& value);
    bool readNameList(const char* keyword, std::vector<std::string>& names);
    bool expectLineEnd();

    bool parseCategories();
    bool parseFeatures();
    bool parseFont();
    bool parseDrawing();
    bool parseScript();
    bool parseScriptFile();
    bool parseWord();
    bool parseTreeLine();
    // The tree after the colon; may go on over further lines until its brackets balance.
    bool parseTree(RTextTree& tree, bool isWord);
    bool parseNode(RTextTree& tree, int32_t mother, std::vector<RExplicit>& explicitValues);
    bool parseProperties(RTextNode& node, RExplicit& explicitValues);
    bool parseProperty(const std::string& key, bool hasValue, const std::string& value,
                       RTextNode& node, RExplicit& explicitValues);
    bool resolveTree(RTextTree& tree, bool isWord, const std::vector<RExplicit>& explicitValues);
    int32_t categoryNamed(const std::string& name) const;

    std::vector<std::string> lines;
    std::size_t li = 0;
    std::size_t pos = 0;
    RTextTarget target;
    const std::string& folder;
    RGrammarText& grammar;
    RTextError& error;
    bool sawCategories = false;
    bool sawFeatures = false;
    bool sawScript = false;
    bool sawTree = false;
};

void TextParser::skipBlanks() {
    while (!atEnd() && isBlank(line()[pos]))
        ++pos;
    if (!atEnd() && line()[pos] == '#')
        pos = line().size();
}

bool TextParser::readWord(RWordKind kind, std::string& word, bool& quoted) {
    word.clear();
    quoted = !atEnd() && line()[pos] == '"';
    if (!quoted) {
        while (!atEnd() && !endsWord(line()[pos], kind))
            word += line()[pos++];
        return true;
    }
    // "quoted text" with \" \\ and \n; any other backslash stands for itself.
    ++pos;
    while (!atEnd() && line()[pos] != '"') {
        char c = line()[pos++];
        if (c == '\\' && !atEnd()) {
            const char next = line()[pos];
            if (next == '"' || next == '\\' || next == 'n') {
                c = next == 'n' ? '\n' : next;
                ++pos;
            }
        }
        word += c;
    }
    if (atEnd())
        return fail("unterminated quoted text");
    ++pos;
    return true;
}

bool TextParser::readNumber(const std::string& what, int32_t& value) {
    skipBlanks();
    std::string word;
    bool quoted = false;
    if (!readWord(RWordKind::Header, word, quoted))
        return false;
    const std::size_t digits = !word.empty() && word[0] == '-' ? 1 : 0;
    const bool wellFormed = !quoted && word.size() > digits &&
                            word.size() - digits <= kMaxNumberDigits &&
                            std::all_of(word.begin() + static_cast<std::ptrdiff_t>(digits),
                                        word.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!wellFormed)
        return fail(word.empty() && !quoted ? "missing " + what
                                            : "bad " + what + " '" + word + "'");
    value = static_cast<int32_t>(std::stol(word));
    return true;
}

bool TextParser::expectLineEnd() {
    skipBlanks();
    if (atEnd())
        return true;
    return fail("unexpected text '" + line().substr(pos) + "'");
}

bool TextParser::readNameList(const char* keyword, std::vector<std::string>& names) {
    if (sawTree)
        return fail(std::string(keyword) + " must come before the first word or tree");
    pos += std::string(keyword).size();
    for (skipBlanks(); !atEnd(); skipBlanks()) {
        std::string name;
        bool quoted = false;
        if (!readWord(RWordKind::Header, name, quoted))
            return false;
        if (name.empty() && !quoted)
            return fail("unexpected '" + std::string(1, line()[pos]) + "'");
        if (std::find(names.begin(), names.end(), name) != names.end())
            return fail("'" + name + "' is declared twice");
        names.push_back(name);
    }
    return true;
}

// categories: NAME*
bool TextParser::parseCategories() {
    if (sawCategories)
        return fail("categories are declared twice");
    sawCategories = true;
    grammar.standardCategories = false;
    grammar.categories.clear();
    if (!readNameList("categories:", grammar.categories))
        return false;
    for (const std::string& name : grammar.categories)
        if (equalIgnoringCase(name, "none"))
            return fail("'" + name + "' cannot name a category");
    return true;
}

// features: NAME*
bool TextParser::parseFeatures() {
    if (sawFeatures)
        return fail("features are declared twice");
    sawFeatures = true;
    if (!readNameList("features:", grammar.features))
        return false;
    for (const std::string& name : grammar.features)
        for (const char* reserved : kReservedPropertyNames)
            if (name == reserved || name.empty())
                return fail("'" + name + "' cannot name a feature");
    return true;
}

// font: NAME SIZE
bool TextParser::parseFont() {
    pos += std::string("font:").size();
    skipBlanks();
    bool quoted = false;
    if (!readWord(RWordKind::Header, grammar.fontName, quoted))
        return false;
    if (grammar.fontName.empty() && !quoted)
        return fail("font: needs a name and a size");
    if (!readNumber("font size", grammar.fontSize))
        return false;
    if (grammar.fontSize < kMinFontSize || grammar.fontSize > kMaxFontSize)
        return fail("bad font size '" + std::to_string(grammar.fontSize) + "' (8 to 144)");
    return expectLineEnd();
}

// drawing: H-PADDING V-PADDING LINE-HEIGHT THICKNESS
bool TextParser::parseDrawing() {
    pos += std::string("drawing:").size();
    std::array<int32_t*, 4> values = {&grammar.horizontalPadding, &grammar.verticalPadding,
                                      &grammar.lineHeight, &grammar.thickness};
    std::array<const char*, 4> names = {"horizontal padding", "vertical padding", "line height",
                                        "thickness"};
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!readNumber(names[i], *values[i]))
            return false;
        const int32_t most = i + 1 == values.size() ? kMaxThickness : kMaxDrawingValue;
        if (*values[i] < 0 || *values[i] > most)
            return fail("bad " + std::string(names[i]) + " '" + std::to_string(*values[i]) +
                        "' (0 to " + std::to_string(most) + ")");
    }
    return expectLineEnd();
}

// script: LINE* 'end script'
bool TextParser::parseScript() {
    if (sawScript)
        return fail("the script is given twice");
    sawScript = true;
    pos += std::string("script:").size();
    if (!expectLineEnd())
        return false;
    const int32_t opening = lineNumber();
    // Every line up to "end script" belongs to the script, unchanged.
    for (++li; li < lines.size(); ++li) {
        if (line() == "end script")
            return true;
        grammar.script += line() + "\n";
    }
    return failAt(opening, "'script:' is not closed by 'end script'");
}

// script-file: FILE
bool TextParser::parseScriptFile() {
    if (sawScript)
        return fail("the script is given twice");
    sawScript = true;
    pos += std::string("script-file:").size();
    skipBlanks();
    std::string name;
    bool quoted = false;
    if (!readWord(RWordKind::Header, name, quoted))
        return false;
    if (name.empty())
        return fail("script-file: needs a file name");
    if (!expectLineEnd())
        return false;
    std::string text;
    if (!readWholeFile((std::filesystem::u8path(folder) / std::filesystem::u8path(name)).u8string(),
                       text))
        return fail("the script file '" + name + "' cannot be read");
    for (const std::string& scriptLine : splitLines(text))
        grammar.script += scriptLine + "\n";
    return true;
}

int32_t TextParser::categoryNamed(const std::string& name) const {
    const auto found = std::find(grammar.categories.begin(), grammar.categories.end(), name);
    return found == grammar.categories.end()
               ? -1
               : static_cast<int32_t>(found - grammar.categories.begin());
}

// word CITATION [CATEGORY]: TREE
bool TextParser::parseWord() {
    sawTree = true;
    RTextTree word;
    word.line = lineNumber();
    pos += std::string("word").size();
    skipBlanks();
    bool quoted = false;
    if (!readWord(RWordKind::Header, word.citationForm, quoted))
        return false;
    if (word.citationForm.empty() && !quoted)
        return fail("word needs a citation form");
    skipBlanks();
    if (!atEnd() && line()[pos] != ':') {
        std::string category;
        if (!readWord(RWordKind::Header, category, quoted))
            return false;
        if (category.empty() && !quoted)
            return fail("missing ':' before the tree");
        word.wordCategory = categoryNamed(category);
        if (word.wordCategory < 0)
            return fail("undeclared category '" + category + "'");
        skipBlanks();
    }
    if (atEnd() || line()[pos] != ':')
        return fail("missing ':' before the tree");
    ++pos;
    if (!parseTree(word, true))
        return false;
    grammar.words.push_back(std::move(word));
    return true;
}

// tree [@ H V]: TREE
bool TextParser::parseTreeLine() {
    sawTree = true;
    if (target == RTextTarget::Grammar)
        return fail("a grammar holds words only; trees need a document (.rdc)");
    RTextTree tree;
    tree.line = lineNumber();
    pos += std::string("tree").size();
    skipBlanks();
    if (!atEnd() && line()[pos] == '@') {
        ++pos;
        tree.hasPoint = true;
        if (!readNumber("horizontal position", tree.h) || !readNumber("vertical position", tree.v))
            return false;
        if (!isCoordinateInRange(tree.h) || !isCoordinateInRange(tree.v))
            return fail("position out of range (at most " + std::to_string(kMostCoordinate) +
                        " either way)");
        skipBlanks();
    }
    if (atEnd() || line()[pos] != ':')
        return fail("missing ':' before the tree");
    ++pos;
    if (!parseTree(tree, false))
        return false;
    grammar.trees.push_back(std::move(tree));
    return true;
}

// TREE := node   (over further lines until its brackets balance)
bool TextParser::parseTree(RTextTree& tree, bool isWord) {
    skipBlanks();
    if (atEnd())
        return fail("missing tree after ':'");
    std::vector<RExplicit> explicitValues;
    std::vector<std::pair<int32_t, int32_t>> open; // node and line of each open '['
    do {
        skipBlanks();
        while (atEnd() && !open.empty()) {
            if (li + 1 >= lines.size())
                return failAt(open.back().second, "unbalanced brackets: '[' is not closed");
            ++li;
            pos = 0;
            skipBlanks();
        }
        const char c = line()[pos];
        if (c == ']') {
            if (open.empty())
                return fail("unbalanced brackets: ']' without '['");
            open.pop_back();
            ++pos;
            continue;
        }
        const bool bracket = c == '[';
        if (bracket) {
            ++pos;
            skipBlanks();
            if (atEnd() || line()[pos] == '[' || line()[pos] == ']')
                return fail("a bracket must begin with a label");
        }
        const int32_t mother = open.empty() ? -1 : open.back().first;
        if (!parseNode(tree, mother, explicitValues))
            return false;
        if (bracket)
            open.emplace_back(static_cast<int32_t>(tree.nodes.size()) - 1, lineNumber());
    } while (!open.empty());
    skipBlanks();
    if (!atEnd())
        return fail(line()[pos] == ']'
                        ? "unbalanced brackets: ']' without '['"
                        : "unexpected text after the tree: '" + line().substr(pos) + "'");
    return resolveTree(tree, isWord, explicitValues);
}

// node := label props?   (the bracket, if any, has been read)
bool TextParser::parseNode(RTextTree& tree, int32_t mother,
                           std::vector<RExplicit>& explicitValues) {
    if (line()[pos] == '{')
        return fail("'{' must follow its label with no blank between");
    RTextNode node;
    bool quoted = false;
    if (!readWord(RWordKind::Label, node.label, quoted))
        return false;
    if (node.label.empty() && !quoted)
        return fail("unexpected '" + std::string(1, line()[pos]) + "'");
    node.mother = mother;
    RExplicit explicitNode;
    if (!atEnd() && line()[pos] == '{' && !parseProperties(node, explicitNode))
        return false;
    const auto index = static_cast<int32_t>(tree.nodes.size());
    if (mother >= 0)
        tree.nodes[static_cast<std::size_t>(mother)].daughters.push_back(index);
    tree.nodes.push_back(std::move(node));
    explicitValues.push_back(explicitNode);
    return true;
}

// props := '{' prop (',' prop)* '}'
bool TextParser::parseProperties(RTextNode& node, RExplicit& explicitValues) {
    ++pos;
    while (true) {
        skipBlanks();
        std::string key;
        bool quoted = false;
        if (!readWord(RWordKind::Key, key, quoted))
            return false;
        if (key.empty())
            return fail(atEnd() ? "'{' is not closed by '}'" : "missing property name");
        skipBlanks();
        std::string value;
        const bool hasValue = !atEnd() && line()[pos] == '=';
        if (hasValue) {
            ++pos;
            skipBlanks();
            if (!readWord(RWordKind::Value, value, quoted))
                return false;
            skipBlanks();
        }
        if (!parseProperty(key, hasValue, value, node, explicitValues))
            return false;
        if (atEnd())
            return fail("'{' is not closed by '}'");
        const char c = line()[pos++];
        if (c == '}')
            return true;
        if (c != ',')
            return fail("unexpected '" + std::string(1, c) + "' in properties");
    }
}

// prop := main | foot | spine | triangle | KEY=VALUE   (cat proj color style sub FEATURE)
bool TextParser::parseProperty(const std::string& key, bool hasValue, const std::string& value,
                               RTextNode& node, RExplicit& explicitValues) {
    bool* flag = key == "main"       ? &node.main
                 : key == "foot"     ? &node.foot
                 : key == "spine"    ? &node.spine
                 : key == "triangle" ? &node.triangle
                                     : nullptr;
    if (flag != nullptr) {
        if (hasValue)
            return fail("'" + key + "' takes no value");
        *flag = true;
        return true;
    }
    const bool known =
        key == "cat" || key == "proj" || key == "color" || key == "style" || key == "sub" ||
        std::find(grammar.features.begin(), grammar.features.end(), key) != grammar.features.end();
    if (!hasValue)
        return fail(known ? "'" + key + "' needs a value" : "unknown property '" + key + "'");
    if (key == "cat") {
        node.category = equalIgnoringCase(value, "none") ? -1 : categoryNamed(value);
        if (node.category < 0 && !equalIgnoringCase(value, "none"))
            return fail("undeclared category '" + value + "'");
        explicitValues.category = true;
    } else if (key == "proj") {
        if (value != "-1" && value != "0" && value != "1" && value != "2")
            return fail("bad projection '" + value + "' (-1, 0, 1 or 2)");
        node.projection = std::stoi(value);
        explicitValues.projection = true;
    } else if (key == "color") {
        node.color = colorNumber(value);
        if (node.color == 0)
            return fail("bad colour '" + value + "'");
    } else if (key == "style") {
        // style=bold+italic+underline, or plain
        node.style = 0;
        std::size_t start = 0;
        while (value != "plain" && start <= value.size()) {
            std::size_t end = value.find('+', start);
            if (end == std::string::npos)
                end = value.size();
            const std::string part = value.substr(start, end - start);
            const int32_t bit = part == "italic"      ? 1
                                : part == "bold"      ? 2
                                : part == "underline" ? 4
                                                      : 0;
            if (bit == 0)
                return fail("bad style '" + value + "'");
            node.style |= bit;
            start = end + 1;
        }
    } else if (key == "sub") {
        node.subscript = value;
    } else {
        const auto found = std::find(grammar.features.begin(), grammar.features.end(), key);
        if (found == grammar.features.end())
            return fail("undeclared feature '" + key + "'");
        const auto feature = static_cast<int32_t>(found - grammar.features.begin());
        node.features.erase(std::remove_if(node.features.begin(), node.features.end(),
                                           [feature](const std::pair<int32_t, std::string>& f) {
                                               return f.first == feature;
                                           }),
                            node.features.end());
        if (!value.empty())
            node.features.emplace_back(feature, value);
    }
    return true;
}

// Fills in what the labels imply and checks what a word or tree may mark only once.
bool TextParser::resolveTree(RTextTree& tree, bool isWord,
                             const std::vector<RExplicit>& explicitValues) {
    int32_t mains = 0;
    int32_t feet = 0;
    for (std::size_t i = 0; i < tree.nodes.size(); ++i) {
        RTextNode& node = tree.nodes[i];
        int32_t category = -1;
        int32_t projection = -1;
        categoryImpliedByLabel(node.label, grammar.categories, category, projection);
        if (!explicitValues[i].category)
            node.category = category;
        if (!explicitValues[i].projection)
            node.projection = projection;
        mains += node.main ? 1 : 0;
        feet += node.foot ? 1 : 0;
    }
    if (mains > 1)
        return failAt(tree.line, "more than one node is marked main");
    if (feet > 1)
        return failAt(tree.line, "more than one node is marked foot");
    if (!isWord)
        return true;
    if (mains == 0)
        tree.nodes[static_cast<std::size_t>(leftmostLeaf(tree))].main = true;
    if (tree.wordCategory < 0) {
        const auto main = std::find_if(tree.nodes.begin(), tree.nodes.end(),
                                       [](const RTextNode& node) { return node.main; });
        tree.wordCategory =
            impliedWordCategory(tree, static_cast<int32_t>(main - tree.nodes.begin()));
    }
    // A word without a category could never be put into a student's lexicon.
    if (tree.wordCategory < 0)
        return failAt(tree.line, "word '" + tree.citationForm + "' has no category");
    return true;
}

// text := (categories | features | font | drawing | script | script-file | word | tree)*
bool TextParser::run() {
    grammar.categories = {"X", "N", "V", "A", "P"};
    for (li = 0; li < lines.size(); ++li) {
        pos = 0;
        skipBlanks();
        if (atEnd())
            continue;
        bool ok = true;
        const std::string& text = line();
        const auto followedBy = [&](std::size_t length, const char* allowed) {
            return pos + length >= text.size() || isBlank(text[pos + length]) ||
                   std::string(allowed).find(text[pos + length]) != std::string::npos;
        };
        if (startsWith("categories:"))
            ok = parseCategories();
        else if (startsWith("features:"))
            ok = parseFeatures();
        else if (startsWith("font:"))
            ok = parseFont();
        else if (startsWith("drawing:"))
            ok = parseDrawing();
        else if (startsWith("script-file:"))
            ok = parseScriptFile();
        else if (startsWith("script:"))
            ok = parseScript();
        else if (startsWith("word") && followedBy(4, "\""))
            ok = parseWord();
        else if (startsWith("tree") && followedBy(4, ":@"))
            ok = parseTreeLine();
        else if (text.compare(pos, std::string::npos, "end script") == 0)
            ok = fail("'end script' without 'script:'");
        else {
            std::size_t end = pos;
            while (end < text.size() && !isBlank(text[end]))
                ++end;
            ok = fail("unknown keyword '" + text.substr(pos, end - pos) + "'");
        }
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

std::string RTextError::describe(const std::string& file) const {
    if (line <= 0)
        return file + ": " + message;
    return file + ":" + std::to_string(line) + ": " + message;
}

GrammarTextReader::GrammarTextReader(RTextTarget textTarget, std::string scriptFolder)
    : target(textTarget), folder(std::move(scriptFolder)) {}

bool GrammarTextReader::parse(const std::string& text, RGrammarText& grammar, RTextError& error) {
    grammar = RGrammarText();
    return TextParser(text, target, folder, grammar, error).run();
}

bool GrammarTextReader::build(RGrammarText& grammar, std::unique_ptr<CTree>& tree,
                              RTextError& error) {
    tree.reset();
    auto built = std::make_unique<CTree>();
    RErr err = built->createTree(grammar.standardCategories);
    int32_t failedLine = 0;
    if (!err)
        err = buildGrammarText(*built, target, grammar, failedLine);
    if (err) {
        error.line = failedLine;
        error.message = "cannot be built (" + errorCodeText(err) + ")";
        return false;
    }
    tree = std::move(built);
    return true;
}

bool GrammarTextReader::read(const std::string& text, std::unique_ptr<CTree>& tree,
                             RTextError& error) {
    RGrammarText grammar;
    return parse(text, grammar, error) && build(grammar, tree, error);
}

bool readGrammarTextFile(const std::string& path, RTextTarget target, std::unique_ptr<CTree>& tree,
                         RTextError& error) {
    tree.reset();
    std::string text;
    if (!readWholeFile(path, text)) {
        error.line = 0;
        error.message = "The file cannot be read.";
        return false;
    }
    GrammarTextReader reader(target, std::filesystem::u8path(path).parent_path().u8string());
    return reader.read(text, tree, error);
}
