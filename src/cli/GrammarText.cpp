#include "cli/GrammarText.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace {

constexpr std::array<const char*, 11> kColorNames = {"black",  "white",  "gray",   "red",
                                                     "orange", "yellow", "green",  "blue",
                                                     "violet", "cyan",   "magenta"};

constexpr int32_t kLeftMargin = 20;
constexpr int32_t kTopMargin = 20;
constexpr int32_t kGapBetweenTrees = 40;

int32_t findCategory(const std::string& name, const std::vector<std::string>& categories) {
    const auto found = std::find(categories.begin(), categories.end(), name);
    return found == categories.end() ? -1 : static_cast<int32_t>(found - categories.begin());
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Characters, not bytes: continuation bytes of UTF-8 do not count.
int32_t characterCount(const std::string& text) {
    int32_t count = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    return count;
}

bool mustQuote(char c) {
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
    case ',':
    case ':':
    case '=':
        return true;
    default:
        return false;
    }
}

} // namespace

void categoryImpliedByLabel(const std::string& label, const std::vector<std::string>& categories,
                            int32_t& category, int32_t& projection) {
    category = findCategory(label, categories);
    projection = 0;
    if (category >= 0 || label.size() < 2)
        return;
    const std::string stem = label.substr(0, label.size() - 1);
    if (label.back() == '\'') {
        category = findCategory(stem, categories);
        projection = 1;
    } else if (label.back() == 'P') {
        category = findCategory(stem, categories);
        projection = 2;
    }
    if (category < 0)
        projection = -1;
}

int32_t leftmostLeaf(const RTextTree& tree) {
    int32_t node = 0;
    while (!tree.nodes[static_cast<std::size_t>(node)].daughters.empty())
        node = tree.nodes[static_cast<std::size_t>(node)].daughters.front();
    return node;
}

int32_t impliedWordCategory(const RTextTree& tree, int32_t mainTerminal) {
    const int32_t mother = tree.nodes[static_cast<std::size_t>(mainTerminal)].mother;
    if (mother >= 0 && tree.nodes[static_cast<std::size_t>(mother)].category >= 0)
        return tree.nodes[static_cast<std::size_t>(mother)].category;
    return tree.nodes.front().category;
}

int32_t colorNumber(const std::string& name) {
    for (std::size_t i = 0; i < kColorNames.size(); ++i) {
        const std::string candidate = kColorNames[i];
        if (candidate.size() == name.size() &&
            std::equal(name.begin(), name.end(), candidate.begin(),
                       [](char a, char b) { return lowerAscii(a) == b; }))
            return static_cast<int32_t>(i) + 1;
    }
    return 0;
}

std::string colorName(int32_t color) {
    if (color < 1 || color > static_cast<int32_t>(kColorNames.size()))
        return "";
    return kColorNames[static_cast<std::size_t>(color - 1)];
}

int32_t estimatedTreeWidth(const RTextTree& tree, int32_t fontSize, int32_t horizontalPadding) {
    const std::size_t count = tree.nodes.size();
    std::vector<int32_t> width(count, 0);
    std::vector<int32_t> wordCharacters(count, 0); // the node's words, a space after each
    const auto pixels = [fontSize](int32_t characters) { return characters * fontSize * 3 / 5; };
    // Daughters come after their mother in pre-order, so walking backwards sees them first.
    for (std::size_t i = count; i-- > 0;) {
        const RTextNode& node = tree.nodes[i];
        const int32_t own = pixels(characterCount(node.label) + characterCount(node.subscript));
        int32_t daughters = 0;
        for (const int32_t d : node.daughters) {
            const auto daughter = static_cast<std::size_t>(d);
            daughters += width[daughter];
            wordCharacters[i] += wordCharacters[daughter];
        }
        if (node.daughters.empty())
            wordCharacters[i] = characterCount(node.label) + 1;
        else
            daughters += horizontalPadding * static_cast<int32_t>(node.daughters.size() - 1);
        if (node.triangle)
            daughters = pixels(wordCharacters[i]);
        width[i] = std::max(own, daughters);
    }
    return count == 0 ? 0 : width.front();
}

void placeAfter(const RTextTree* previous, const RTextTree& tree, int32_t fontSize,
                int32_t horizontalPadding, int32_t& h, int32_t& v) {
    const int32_t half = estimatedTreeWidth(tree, fontSize, horizontalPadding) / 2;
    if (previous == nullptr) {
        h = kLeftMargin + half;
        v = kTopMargin;
        return;
    }
    h = previous->h + estimatedTreeWidth(*previous, fontSize, horizontalPadding) / 2 +
        kGapBetweenTrees + half;
    v = previous->v;
}

std::string quotedIfNeeded(const std::string& text) {
    if (!text.empty() && std::none_of(text.begin(), text.end(), mustQuote))
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        if (c == '\n')
            quoted += "\\n";
        else
            quoted += c;
    }
    return quoted + "\"";
}
