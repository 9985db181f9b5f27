#include "LexiconEditorTestSupport.h"

#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "ui/CLexicalItemsDialog.h"
#include "ui/CRamexWindow.h"
#include "undo/CUndoStructure.h"

namespace {

bool writtenDirectly(int32_t attribute) {
    return attribute == kAttrCategorySorter || attribute == kAttrSelected ||
           attribute == kAttrOffending ||
           (attribute >= kAttrSortLeft && attribute <= kAttrSecondSortParent) ||
           (attribute >= kAttrDirty && attribute <= kAttrCumulativeRectBottom);
}

} // namespace

std::string cellText(CTree& tree, int32_t record, int32_t attribute) {
    const CRString* text = nullptr;
    EXPECT_EQ(tree.getAnyString(record, attribute, text), kNoErr);
    return text ? text->str() : std::string();
}

int32_t cellValue(CTree& tree, int32_t record, int32_t attribute) {
    int32_t value = 0;
    EXPECT_EQ(tree.getValue(record, attribute, value), kNoErr);
    return value;
}

std::vector<std::string> databaseSnapshot(CTree& tree) {
    std::vector<std::string> cells;
    for (int32_t record = 1; record <= tree.recordCount(); ++record) {
        int32_t type = 0;
        tree.getValue(record, kAttrType, type);
        if (record != kHeaderRecord && type != kRecordNode && type != kRecordCategory &&
            type != kRecordFeature)
            continue;
        for (int32_t attribute = 1; attribute <= tree.attributeCount(); ++attribute) {
            // The free list's head moves with the table's growth, which is not undone.
            if ((record == kHeaderRecord && attribute == kHdrFirstUnusedRecord) ||
                (record != kHeaderRecord && writtenDirectly(attribute)))
                continue;
            int32_t value = 0;
            tree.getValue(record, attribute, value);
            std::string shown = std::to_string(value);
            if (isStringAttribute(attribute) && value != 0)
                shown = '"' + cellText(tree, record, attribute) + '"';
            if (value != 0)
                cells.push_back(std::to_string(record) + "." + std::to_string(attribute) + "=" +
                                shown);
        }
    }
    return cells;
}

void EditorTest::openGrammar(const std::string& text) {
    if (text.empty()) {
        ASSERT_TRUE(start());
        paint();
        editor().handleNewGrammar();
    } else {
        const std::string path = buildFile("grammar.rgr", text);
        setPreference("Current Grammar", QString::fromStdString(path));
        ASSERT_TRUE(start());
        paint();
        editor().handleOpenCurrentGrammar();
    }
    ASSERT_EQ(app->getMode(), kModeAuthor);
}

CLexicalItemsDialog& EditorTest::editor() {
    return app->lexicalItemsDialog();
}

CTree& EditorTest::tree() {
    return *editor().grammar();
}

int32_t EditorTest::word(const std::string& cited) {
    const std::vector<int32_t>* words = nullptr;
    editor().getSortedList(1, words);
    for (int32_t i = 1; i <= (*words)[0]; ++i)
        if (cellText(tree(), (*words)[i], kAttrCitationForm) == cited)
            return (*words)[i];
    return 0;
}

int32_t EditorTest::node(const std::string& label) {
    const int32_t root = editor().currentlySelectedWord();
    for (int32_t n = root; n != 0;) {
        if (cellText(tree(), n, kAttrLabel) == label)
            return n;
        int32_t next = 0;
        tree().getNextNode(n, root, next);
        n = next;
    }
    return 0;
}

void EditorTest::expectUndoRedo(const std::vector<std::string>& before) {
    const std::vector<std::string> after = databaseSnapshot(tree());
    editor().OnUndo();
    EXPECT_EQ(databaseSnapshot(tree()), before);
    editor().OnRedo();
    EXPECT_EQ(databaseSnapshot(tree()), after);
}

void EditorTest::undoAll() {
    for (;;) {
        bool can = false;
        tree().undoStructure().canUndo(can);
        if (!can)
            return;
        editor().OnUndo();
    }
}
