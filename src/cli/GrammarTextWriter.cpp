#include "cli/GrammarTextWriter.h"

#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"

#include <algorithm>
#include <cstddef>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// The font a load gives a file that names none; the text form leaves it out.
constexpr const char* kLoadedDefaultFontName = "MS Sans Serif";
constexpr int32_t kSortWordsByCitationForm = 1;

// Name records of list 3 (categories) or 4 (features) in creation order (the list runs from
// the newest).
RErr namesInCreationOrder(CTree& tree, int32_t type, std::vector<int32_t>& records) {
    records.clear();
    int32_t record = 0;
    RErr err = tree.getFirstName(type, record);
    while (!err && record != 0) {
        records.push_back(record);
        err = tree.getNextName(record, record);
    }
    std::reverse(records.begin(), records.end());
    return err;
}

RErr textOf(CTree& tree, int32_t record, int32_t attribute, std::string& text) {
    const CRString* value = nullptr;
    const RErr err = tree.getAnyString(record, attribute, value);
    text = err ? std::string() : value->str();
    return err;
}

int32_t positionOf(const std::vector<int32_t>& records, int32_t record) {
    const auto found = std::find(records.begin(), records.end(), record);
    return found == records.end() ? -1 : static_cast<int32_t>(found - records.begin());
}

class TreeExtractor {
public:
    TreeExtractor(CTree& database, const std::vector<int32_t>& categoryRecords,
                  const std::vector<int32_t>& slots)
        : tree(database), categories(categoryRecords), featureSlots(slots) {}

    RErr extract(int32_t root, bool isWord, RTextTree& text);

private:
    RErr extractNode(int32_t record, RTextNode& node);

    CTree& tree;
    const std::vector<int32_t>& categories;
    const std::vector<int32_t>& featureSlots;
};

RErr TreeExtractor::extractNode(int32_t record, RTextNode& node) {
    int32_t category = 0;
    int32_t triangle = 0;
    int32_t spine = 0;
    RErr err = textOf(tree, record, kAttrLabel, node.label);
    if (!err)
        err = textOf(tree, record, kAttrSubscript, node.subscript);
    if (!err)
        err = tree.getValue(record, kAttrCategory, category);
    node.category = positionOf(categories, category);
    if (!err)
        err = tree.getValue(record, kAttrProjection, node.projection);
    if (!err)
        err = tree.getValue(record, kAttrColor, node.color);
    if (!err)
        err = tree.getValue(record, kAttrTextStyle, node.style);
    if (!err)
        err = tree.getValue(record, kAttrTriangle, triangle);
    if (!err)
        err = tree.getValue(record, kAttrBelongsToXBarSpine, spine);
    node.triangle = triangle != 0;
    node.spine = spine != 0;
    for (std::size_t i = 0; i < featureSlots.size() && !err; ++i) {
        std::string value;
        err = textOf(tree, record, featureSlots[i], value);
        if (!value.empty())
            node.features.emplace_back(static_cast<int32_t>(i), value);
    }
    return err;
}

RErr TreeExtractor::extract(int32_t root, bool isWord, RTextTree& text) {
    int32_t mainTerminal = 0;
    int32_t foot = 0;
    int32_t wordCategory = 0;
    RErr err = tree.getMainTerminalNode(root, mainTerminal);
    if (!err)
        err = tree.getFootNode(root, foot);
    if (!err && isWord)
        err = tree.getWordCategory(root, wordCategory);
    if (!err && isWord)
        err = textOf(tree, root, kAttrCitationForm, text.citationForm);
    text.wordCategory = positionOf(categories, wordCategory);
    if (!err && !isWord)
        err = tree.getValue(root, kAttrAbsoluteH, text.h);
    if (!err && !isWord)
        err = tree.getValue(root, kAttrAbsoluteV, text.v);
    text.hasPoint = !isWord;

    std::unordered_map<int32_t, int32_t> positions;
    for (int32_t record = root; record != 0 && !err;) {
        RTextNode node;
        int32_t mother = 0;
        int32_t markedMain = 0;
        err = extractNode(record, node);
        if (!err && record != root)
            err = tree.getMother(record, mother);
        if (!err && !isWord)
            err = tree.getValue(record, kAttrIsMainTerminal, markedMain);
        node.main = record == mainTerminal || markedMain != 0;
        node.foot = record == foot;
        const auto index = static_cast<int32_t>(text.nodes.size());
        if (record != root) {
            node.mother = positions[mother];
            text.nodes[static_cast<std::size_t>(node.mother)].daughters.push_back(index);
        }
        positions[record] = index;
        text.nodes.push_back(std::move(node));
        if (!err)
            err = tree.getNextNode(record, root, record);
    }
    return err;
}

void appendProperty(std::string& properties, const std::string& property) {
    properties += properties.empty() ? "{" : ",";
    properties += property;
}

// label{props}: only what the label and the defaults do not already say.
std::string nodeText(const RGrammarText& grammar, const RTextTree& text, std::size_t index,
                     bool isWord) {
    const RTextNode& node = text.nodes[index];
    std::string properties;
    const bool writeMain =
        node.main && (!isWord || static_cast<int32_t>(index) != leftmostLeaf(text));
    if (writeMain)
        appendProperty(properties, "main");
    if (node.foot)
        appendProperty(properties, "foot");
    if (node.spine)
        appendProperty(properties, "spine");
    if (node.triangle)
        appendProperty(properties, "triangle");
    int32_t category = -1;
    int32_t projection = -1;
    categoryImpliedByLabel(node.label, grammar.categories, category, projection);
    if (node.category != category)
        appendProperty(
            properties,
            "cat=" + (node.category < 0
                          ? std::string("none")
                          : quotedIfNeeded(
                                grammar.categories[static_cast<std::size_t>(node.category)])));
    if (node.projection != projection)
        appendProperty(properties, "proj=" + std::to_string(node.projection));
    if (node.color != 1 && !colorName(node.color).empty())
        appendProperty(properties, "color=" + colorName(node.color));
    if ((node.style & 7) != 0) {
        std::string style;
        for (const auto& [bit, name] : {std::make_pair(2, "bold"), std::make_pair(1, "italic"),
                                        std::make_pair(4, "underline")})
            if ((node.style & bit) != 0)
                style += (style.empty() ? "" : "+") + std::string(name);
        appendProperty(properties, "style=" + style);
    }
    if (!node.subscript.empty())
        appendProperty(properties, "sub=" + quotedIfNeeded(node.subscript));
    for (const auto& [feature, value] : node.features)
        appendProperty(properties,
                       quotedIfNeeded(grammar.features[static_cast<std::size_t>(feature)]) + "=" +
                           quotedIfNeeded(value));
    if (!properties.empty())
        properties += "}";
    return quotedIfNeeded(node.label) + properties;
}

// [label{props} daughter daughter], a leaf without brackets; with its own stack, so deep
// trees cannot exhaust the call stack.
std::string treeText(const RGrammarText& grammar, const RTextTree& text, bool isWord) {
    std::string out;
    std::vector<std::pair<std::size_t, std::size_t>> open; // node, next daughter
    std::size_t current = 0;
    while (true) {
        const RTextNode& node = text.nodes[current];
        if (node.daughters.empty()) {
            out += nodeText(grammar, text, current, isWord);
        } else {
            out += "[" + nodeText(grammar, text, current, isWord);
            open.emplace_back(current, 0);
        }
        // Close every finished bracket, then go on with the next daughter.
        while (!open.empty() &&
               open.back().second == text.nodes[open.back().first].daughters.size()) {
            out += "]";
            open.pop_back();
        }
        if (open.empty())
            return out;
        auto& [mother, next] = open.back();
        current = static_cast<std::size_t>(text.nodes[mother].daughters[next++]);
        out += " ";
    }
}

} // namespace

RErr GrammarTextWriter::extract(CTree& tree, RGrammarText& grammar) {
    grammar = RGrammarText();
    grammar.standardCategories = false;
    std::vector<int32_t> categories;
    std::vector<int32_t> features;
    std::vector<int32_t> slots;
    int32_t blessed = 0;
    RErr err = namesInCreationOrder(tree, kRecordCategory, categories);
    if (!err)
        err = tree.getBlessedCategory(blessed);
    // The text form makes its first category the blessed one.
    const auto found = std::find(categories.begin(), categories.end(), blessed);
    if (found != categories.end())
        std::rotate(categories.begin(), found, found + 1);
    for (std::size_t i = 0; i < categories.size() && !err; ++i) {
        grammar.categories.emplace_back();
        err = textOf(tree, categories[i], kAttrLabel, grammar.categories.back());
    }
    if (!err)
        err = namesInCreationOrder(tree, kRecordFeature, features);
    for (std::size_t i = 0; i < features.size() && !err; ++i) {
        int32_t slot = 0;
        grammar.features.emplace_back();
        err = textOf(tree, features[i], kAttrLabel, grammar.features.back());
        if (!err)
            err = tree.convertToAttributeIndex(features[i], slot);
        slots.push_back(slot);
    }

    if (!err)
        err = textOf(tree, kHeaderRecord, kHdrFontName, grammar.fontName);
    if (!err)
        err = tree.getValue(kHeaderRecord, kHdrFontSize, grammar.fontSize);
    if (!err)
        err = tree.getValue(kHeaderRecord, kHdrHorizontalPadding, grammar.horizontalPadding);
    if (!err)
        err = tree.getValue(kHeaderRecord, kHdrVerticalPadding, grammar.verticalPadding);
    if (!err)
        err = tree.getValue(kHeaderRecord, kHdrLineHeight, grammar.lineHeight);
    if (!err)
        err = tree.getValue(kHeaderRecord, kHdrThickness, grammar.thickness);
    if (!err)
        err = textOf(tree, kHeaderRecord, kHdrScriptText, grammar.script);

    // Words in citation-form order (equal ones in root-list order), then the work-area trees
    // in root-list order.
    std::vector<int32_t> sorted;
    if (!err)
        err = tree.getSortedList(kSortWordsByCitationForm, sorted);
    TreeExtractor extractor(tree, categories, slots);
    for (std::size_t i = 1; i < sorted.size() && !err; ++i) {
        int32_t where = 0;
        err = tree.getWhereIsTree(sorted[i], where);
        if (!err && where != kTreeOnWorkArea) {
            grammar.words.emplace_back();
            err = extractor.extract(sorted[i], true, grammar.words.back());
        }
    }
    int32_t root = 0;
    if (!err)
        err = tree.getFirstRoot(root);
    while (!err && root != 0) {
        int32_t where = 0;
        err = tree.getWhereIsTree(root, where);
        if (!err && where == kTreeOnWorkArea) {
            grammar.trees.emplace_back();
            err = extractor.extract(root, false, grammar.trees.back());
        }
        if (!err)
            err = tree.getNextRoot(root, root);
    }
    return err;
}

std::string GrammarTextWriter::format(const RGrammarText& grammar) const {
    std::string out = "categories:";
    for (const std::string& name : grammar.categories)
        out += " " + quotedIfNeeded(name);
    out += "\n";
    if (!grammar.features.empty()) {
        out += "features:";
        for (const std::string& name : grammar.features)
            out += " " + quotedIfNeeded(name);
        out += "\n";
    }
    const bool defaultFont =
        (grammar.fontName.empty() || grammar.fontName == kLoadedDefaultFontName) &&
        grammar.fontSize == RGrammarText().fontSize;
    if (!defaultFont) {
        // Font names are always quoted, since most have blanks.
        const std::string name = quotedIfNeeded(grammar.fontName);
        out += "font: " + (name.front() == '"' ? name : "\"" + name + "\"") + " " +
               std::to_string(grammar.fontSize) + "\n";
    }
    const RGrammarText defaults;
    if (grammar.horizontalPadding != defaults.horizontalPadding ||
        grammar.verticalPadding != defaults.verticalPadding ||
        grammar.lineHeight != defaults.lineHeight || grammar.thickness != defaults.thickness)
        out += "drawing: " + std::to_string(grammar.horizontalPadding) + " " +
               std::to_string(grammar.verticalPadding) + " " + std::to_string(grammar.lineHeight) +
               " " + std::to_string(grammar.thickness) + "\n";

    if (!grammar.words.empty())
        out += "\n";
    for (const RTextTree& word : grammar.words) {
        out += "word " + quotedIfNeeded(word.citationForm);
        const auto main = std::find_if(word.nodes.begin(), word.nodes.end(),
                                       [](const RTextNode& node) { return node.main; });
        const int32_t mainTerminal = main == word.nodes.end()
                                         ? leftmostLeaf(word)
                                         : static_cast<int32_t>(main - word.nodes.begin());
        if (word.wordCategory >= 0 && word.wordCategory != impliedWordCategory(word, mainTerminal))
            out += " " +
                   quotedIfNeeded(grammar.categories[static_cast<std::size_t>(word.wordCategory)]);
        out += ": " + treeText(grammar, word, true) + "\n";
    }

    if (!grammar.trees.empty())
        out += "\n";
    const RTextTree* previous = nullptr;
    for (const RTextTree& tree : grammar.trees) {
        int32_t h = 0;
        int32_t v = 0;
        placeAfter(previous, tree, grammar.fontSize, grammar.horizontalPadding, h, v);
        out += "tree";
        if (h != tree.h || v != tree.v)
            out += " @ " + std::to_string(tree.h) + " " + std::to_string(tree.v);
        out += ": " + treeText(grammar, tree, false) + "\n";
        previous = &tree;
    }

    if (!grammar.script.empty()) {
        out += "\nscript:\n" + grammar.script;
        if (grammar.script.back() != '\n')
            out += "\n";
        out += "end script\n";
    }
    return out;
}

RErr GrammarTextWriter::write(CTree& tree, std::string& text) {
    RGrammarText grammar;
    const RErr err = extract(tree, grammar);
    text = err ? std::string() : format(grammar);
    return err;
}
