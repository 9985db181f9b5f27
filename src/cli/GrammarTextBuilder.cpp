// The builder of the text form: a parsed grammar or document made into a database.

#include "cli/GrammarTextBuilder.h"

#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <array>
#include <cstddef>
#include <utility>
#include <vector>

namespace {

constexpr int32_t kTextFormCreatorTag = 140;

class TextBuilder {
public:
    TextBuilder(CTree& database, RTextTarget textTarget) : tree(database), target(textTarget) {}
    RErr build(RGrammarText& grammar, int32_t& failedLine);

private:
    RErr buildHeader(const RGrammarText& grammar);
    RErr buildTree(const RTextTree& text, bool isWord);
    RErr buildNode(const RTextNode& node, int32_t record);

    CTree& tree;
    RTextTarget target;
    std::vector<int32_t> categoryRecords;
    std::vector<int32_t> featureSlots;
};

RErr TextBuilder::buildHeader(const RGrammarText& grammar) {
    RErr err = kNoErr;
    if (grammar.standardCategories) {
        // createTree made them, newest first.
        int32_t category = 0;
        err = tree.getFirstName(kRecordCategory, category);
        while (!err && category != 0) {
            categoryRecords.insert(categoryRecords.begin(), category);
            err = tree.getNextName(category, category);
        }
    }
    for (std::size_t i = 0; i < grammar.categories.size() && !grammar.standardCategories && !err;
         ++i) {
        int32_t record = 0;
        err = tree.newName(kRecordCategory, record);
        if (!err)
            err = tree.setMainString(record, CRString(grammar.categories[i], kTextFormCreatorTag));
        if (!err && i == 0)
            err = tree.dataTask(kHeaderRecord, kHdrBlessedCategory, record);
        categoryRecords.push_back(record);
    }
    for (std::size_t i = 0; i < grammar.features.size() && !err; ++i) {
        int32_t record = 0;
        int32_t slot = 0;
        err = tree.newName(kRecordFeature, record);
        if (!err)
            err = tree.setMainString(record, CRString(grammar.features[i], kTextFormCreatorTag));
        if (!err)
            err = tree.convertToAttributeIndex(record, slot);
        featureSlots.push_back(slot);
    }
    if (!err && !grammar.fontName.empty()) {
        const CRString name(grammar.fontName, kTextFormCreatorTag);
        err = tree.stringTask(kHeaderRecord, kHdrFontName, &name);
    }
    const std::array<std::pair<int32_t, int32_t>, 5> drawing = {
        std::make_pair(kHdrFontSize, grammar.fontSize),
        std::make_pair(kHdrHorizontalPadding, grammar.horizontalPadding),
        std::make_pair(kHdrVerticalPadding, grammar.verticalPadding),
        std::make_pair(kHdrLineHeight, grammar.lineHeight),
        std::make_pair(kHdrThickness, grammar.thickness)};
    for (const auto& [attribute, value] : drawing) {
        int32_t current = 0;
        if (!err)
            err = tree.getValue(kHeaderRecord, attribute, current);
        if (!err && current != value)
            err = tree.dataTask(kHeaderRecord, attribute, value);
    }
    if (!err)
        err = tree.copyDrawingParametersFromTablet();
    if (!err && !grammar.script.empty())
        err = tree.setMainString(kHeaderRecord, CRString(grammar.script, kTextFormCreatorTag));
    return err;
}

RErr TextBuilder::buildNode(const RTextNode& node, int32_t record) {
    RErr err = kNoErr;
    if (!node.label.empty())
        err = tree.setNodeLabel(record, CRString(node.label, kTextFormCreatorTag));
    if (!err && node.category >= 0)
        err =
            tree.setNodeCategory(record, categoryRecords[static_cast<std::size_t>(node.category)]);
    if (!err && node.projection != 0)
        err = tree.setNodeProjection(record, node.projection);
    if (!err && !node.subscript.empty()) {
        const CRString subscript(node.subscript, kTextFormCreatorTag);
        err = tree.setSubscript(record, &subscript);
    }
    for (std::size_t i = 0; i < node.features.size() && !err; ++i) {
        const CRString value(node.features[i].second, kTextFormCreatorTag);
        err = tree.attributeAssignment(
            record, featureSlots[static_cast<std::size_t>(node.features[i].first)], &value);
    }
    if (!err && node.color != 1)
        err = tree.dataTask(record, kAttrColor, node.color);
    if (!err && node.style != 0)
        err = tree.dataTask(record, kAttrTextStyle, node.style);
    if (!err && node.triangle)
        err = tree.dataTask(record, kAttrTriangle, 1);
    if (!err && node.spine)
        err = tree.setBelongsToXBarSpine(record);
    return err;
}

RErr TextBuilder::buildTree(const RTextTree& text, bool isWord) {
    std::vector<int32_t> records(text.nodes.size(), 0);
    std::vector<int32_t> depths(text.nodes.size(), 0);
    RErr err = kNoErr;
    int32_t lowestSpine = -1;
    for (std::size_t i = 0; i < text.nodes.size() && !err; ++i) {
        const RTextNode& node = text.nodes[i];
        if (node.mother < 0) {
            err = tree.newRoot(records[i]);
        } else {
            const auto mother = static_cast<std::size_t>(node.mother);
            depths[i] = depths[mother] + 1;
            err = tree.newDaughterToRight(records[mother], records[i]);
        }
        if (!err)
            err = buildNode(node, records[i]);
        // The lowest spine node is the deepest one; of equally deep ones, the first.
        if (node.spine &&
            (lowestSpine < 0 || depths[i] > depths[static_cast<std::size_t>(lowestSpine)]))
            lowestSpine = static_cast<int32_t>(i);
    }
    const int32_t root = records.front();
    if (!err && isWord) {
        const CRString citation(text.citationForm, kTextFormCreatorTag);
        err = tree.setCitationForm(root, &citation);
        if (!err)
            err = tree.setWordCategory(
                root, categoryRecords[static_cast<std::size_t>(text.wordCategory)]);
    }
    for (std::size_t i = 0; i < text.nodes.size() && !err; ++i) {
        if (text.nodes[i].main)
            err = tree.setMainTerminalNode(root, records[i]);
        // Main terminal nodes of a document's trees carry the student-mode mark, as the
        // words of its lexicon (and the trees dragged from it) do.
        if (!err && text.nodes[i].main && !isWord)
            err = tree.dataTask(records[i], kAttrIsMainTerminal, 1);
        if (!err && text.nodes[i].foot)
            err = tree.setFootNode(root, records[i]);
    }
    if (!err && lowestSpine >= 0)
        err = tree.setLowestXBarSpineNode(root, records[static_cast<std::size_t>(lowestSpine)]);
    if (!err && !isWord)
        err = tree.setWhereIsTree(root, kTreeOnWorkArea);
    if (!err && !isWord)
        err = tree.dataTask(root, kAttrAbsoluteH, text.h);
    if (!err && !isWord)
        err = tree.dataTask(root, kAttrAbsoluteV, text.v);
    return err;
}

RErr TextBuilder::build(RGrammarText& grammar, int32_t& failedLine) {
    failedLine = 0;
    const RTextTree* previous = nullptr;
    for (RTextTree& text : grammar.trees) {
        if (!text.hasPoint)
            placeAfter(previous, text, grammar.fontSize, grammar.horizontalPadding, text.h, text.v);
        previous = &text;
    }
    RErr err = tree.undoStructure().startTaskList(kLabelNeverUndoable);
    if (err)
        return err;
    err = buildHeader(grammar);
    // Each new root goes to the front of the root list: building from the last to the first
    // leaves the list in the order of the text.
    for (auto word = grammar.words.rbegin(); word != grammar.words.rend() && !err; ++word) {
        err = buildTree(*word, true);
        if (err)
            failedLine = word->line;
    }
    if (!err && target == RTextTarget::Document)
        err = tree.prepareTreesForStudentMode();
    for (auto text = grammar.trees.rbegin(); text != grammar.trees.rend() && !err; ++text) {
        err = buildTree(*text, false);
        if (err)
            failedLine = text->line;
    }
    const RErr finishErr = tree.undoStructure().finishTaskList();
    if (!err)
        err = finishErr;
    if (!err)
        err = tree.undoStructure().zeroOut();
    return err;
}

} // namespace

RErr buildGrammarText(CTree& tree, RTextTarget target, RGrammarText& grammar, int32_t& failedLine) {
    return TextBuilder(tree, target).build(grammar, failedLine);
}
