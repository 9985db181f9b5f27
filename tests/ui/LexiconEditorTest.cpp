#include "LexiconEditorTestSupport.h"

#include "app/CommandIds.h"
#include "drawing/CPort.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "ui/CFeaturePanel.h"
#include "ui/CLexicalItemsDialog.h"
#include "ui/CTreeView.h"
#include "ui/CTypingField.h"
#include "undo/CUndoStructure.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

namespace {

const char* const kSpineGrammar = R"(categories: X N V A P
features: case num
word dog: [NP{spine} [N'{spine} [N{spine} dog]]]
word the: [A the]
)";

const char* const kSixFeatures = R"(categories: X N V A P
features: f1 f2 f3 f4 f5 f6
word dog: [N dog]
)";

void leave(QWidget& field) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&field, &out);
}

int32_t entryOf(QComboBox& list, const char* text) {
    return list.findText(QString::fromUtf8(text));
}

} // namespace

TEST_F(EditorTest, ANewWordGrowsIntoAFullSpineWithFeaturesAndEveryStepUndoesExactly) {
    openGrammar(kSpineGrammar);
    const std::vector<std::string> start = databaseSnapshot(tree());
    EXPECT_EQ(editor().wordList().count(), 2);
    EXPECT_EQ(editor().wordList().item(0)->text(), QStringLiteral("dog (N)"));

    std::vector<std::string> before = databaseSnapshot(tree());
    editor().OnNewWord();
    const int32_t root = editor().currentlySelectedWord();
    const int32_t leaf = editor().currentlySelectedNode();
    EXPECT_EQ(cellText(tree(), root, kAttrCitationForm), "New Word 0");
    EXPECT_EQ(cellText(tree(), leaf, kAttrLabel), "New Word 0");
    EXPECT_EQ(cellValue(tree(), root, kAttrMainTerminalNode), leaf);
    EXPECT_EQ(editor().wordList().currentItem()->text(), QStringLiteral("New Word 0 (X)"));
    expectUndoRedo(before);
    EXPECT_EQ(editor().currentlySelectedWord(), root);
    EXPECT_EQ(editor().currentlySelectedNode(), leaf);

    // The leaf's mother becomes N, then gets a mother N' and that one NP.
    editor().treeFragmentNodeClick(root);
    before = databaseSnapshot(tree());
    editor().OnSelchangeNodeType(entryOf(editor().nodeTypeList(), "N"));
    EXPECT_EQ(cellText(tree(), root, kAttrLabel), "N");
    expectUndoRedo(before);
    for (const char* type : {"N'", "NP"}) {
        before = databaseSnapshot(tree());
        editor().OnCreateMother();
        const int32_t mother = editor().currentlySelectedNode();
        EXPECT_EQ(editor().currentlySelectedWord(), mother);
        EXPECT_EQ(cellText(tree(), mother, kAttrCitationForm), "New Word 0");
        editor().OnSelchangeNodeType(entryOf(editor().nodeTypeList(), type));
        EXPECT_EQ(cellText(tree(), mother, kAttrLabel), type);
        editor().OnUndo();
        expectUndoRedo(before);
        editor().OnRedo();
    }

    // Features: the panel shows case and num; typing a value is one step.
    const int32_t top = editor().currentlySelectedWord();
    EXPECT_EQ(editor().featurePanel().rowLabel(1).text(), QStringLiteral("case"));
    EXPECT_EQ(editor().featurePanel().rowLabel(2).text(), QStringLiteral("num"));
    EXPECT_TRUE(editor().featurePanel().rowField(2).isVisibleTo(&editor()));
    EXPECT_FALSE(editor().featurePanel().rowField(3).isVisibleTo(&editor()));
    EXPECT_FALSE(editor().featurePanel().scrollBar().isEnabled());
    before = databaseSnapshot(tree());
    QTest::keyClicks(&editor().featurePanel().rowField(2), QStringLiteral("2"));
    leave(editor().featurePanel().rowField(2));
    EXPECT_EQ(cellText(tree(), top, kFirstFeatureSlot + 0) +
                  cellText(tree(), top, kFirstFeatureSlot + 1),
              "2");
    expectUndoRedo(before);

    // Rename the word: the leaf follows, the list shows it after the field is left.
    before = databaseSnapshot(tree());
    editor().citeFormField().selectAll();
    QTest::keyClicks(&editor().citeFormField(), QStringLiteral("cat"));
    leave(editor().citeFormField());
    EXPECT_EQ(cellText(tree(), leaf, kAttrLabel), "cat");
    EXPECT_EQ(editor().wordList().item(0)->text(), QStringLiteral("cat (X)"));
    expectUndoRedo(before);

    // Undo all comes back to the grammar as it was opened.
    undoAll();
    EXPECT_EQ(databaseSnapshot(tree()), start);
    EXPECT_EQ(editor().wordList().count(), 2);
    EXPECT_TRUE(platform.recorder.bugReports().empty());
}

TEST_F(EditorTest, ASpineWordsCategoryRelabelsItsSpineAndNotItsTerminal) {
    openGrammar(kSpineGrammar);
    editor().OnSelchangeWordList(0);
    const int32_t dog = word("dog");
    ASSERT_EQ(editor().currentlySelectedWord(), dog);
    const std::vector<std::string> before = databaseSnapshot(tree());
    editor().OnSelchangeCiteCategory(entryOf(editor().citeCategoryList(), "V"));
    EXPECT_NE(node("VP"), 0);
    EXPECT_NE(node("V'"), 0);
    EXPECT_NE(node("V"), 0);
    EXPECT_NE(node("dog"), 0);
    EXPECT_EQ(editor().wordList().item(0)->text(), QStringLiteral("dog (V)"));
    expectUndoRedo(before);

    // The X-bar spine command makes the same shape for any category.
    const std::vector<std::string> spine = databaseSnapshot(tree());
    editor().OnXBarSpineItem(kFirstXBarSpineCommand + 2); // A, N, P, V, X: the third is P
    EXPECT_NE(node("PP"), 0);
    EXPECT_NE(node("P'"), 0);
    const int32_t terminal = editor().currentlySelectedNode();
    EXPECT_EQ(cellValue(tree(), terminal, kAttrProjection), -1);
    EXPECT_EQ(cellValue(tree(), editor().currentlySelectedWord(), kAttrLowestXBarSpineNode),
              node("P"));
    EXPECT_EQ(editor().xBarMenu().actions().size(), 5);
    EXPECT_EQ(editor().xBarMenu().actions().at(2)->text(), QStringLiteral("P"));
    expectUndoRedo(spine);
    EXPECT_TRUE(platform.recorder.bugReports().empty());
}

TEST_F(EditorTest, StyleColourMainTerminalAndFootAreOneStepEach) {
    openGrammar(kSpineGrammar);
    editor().OnSelchangeWordList(0);
    const int32_t np = node("NP");
    editor().treeFragmentNodeClick(np);

    std::vector<std::string> before = databaseSnapshot(tree());
    editor().OnSelchangeStyle(entryOf(editor().styleList(), "Italic"));
    editor().OnSelchangeStyle(entryOf(editor().styleList(), "Bold"));
    EXPECT_EQ(cellValue(tree(), np, kAttrTextStyle), 3);
    EXPECT_EQ(editor().styleList().currentText(), QStringLiteral("Bold"));
    editor().OnUndo();
    EXPECT_EQ(editor().styleList().currentText(), QStringLiteral("Italic"));
    editor().OnRedo();
    editor().OnSelchangeStyle(entryOf(editor().styleList(), "Plain"));
    EXPECT_EQ(cellValue(tree(), np, kAttrTextStyle), 0);

    before = databaseSnapshot(tree());
    editor().OnSelchangeColor(entryOf(editor().colorList(), "Violet"));
    EXPECT_EQ(cellValue(tree(), np, kAttrColor), 9);
    EXPECT_EQ(editor().colorList().currentText(), QStringLiteral("Violet"));
    expectUndoRedo(before);

    // Main terminal: on the node that already is it nothing happens at all.
    const int32_t dog = node("dog");
    editor().treeFragmentNodeClick(dog);
    EXPECT_TRUE(editor().mainTerminalBox().isChecked());
    const std::size_t steps = tree().undoStructure().stepCount();
    editor().mainTerminalBox().click();
    EXPECT_EQ(tree().undoStructure().stepCount(), steps);
    EXPECT_TRUE(editor().mainTerminalBox().isChecked());

    editor().treeFragmentNodeClick(np);
    before = databaseSnapshot(tree());
    editor().mainTerminalBox().click();
    EXPECT_EQ(cellValue(tree(), word("dog"), kAttrMainTerminalNode), np);
    EXPECT_TRUE(editor().mainTerminalBox().isChecked());
    editor().OnUndo();
    EXPECT_EQ(databaseSnapshot(tree()), before);
    // Undo selects the old main terminal node again.
    EXPECT_EQ(editor().currentlySelectedNode(), dog);

    before = databaseSnapshot(tree());
    editor().footBox().click();
    EXPECT_EQ(cellValue(tree(), word("dog"), kAttrFootNode), dog);
    EXPECT_TRUE(editor().footBox().isChecked());
    expectUndoRedo(before);

    // The foot and the main terminal node are not deleted.
    editor().OnDeleteNode();
    ASSERT_EQ(platform.recorder.callsOfKind(RecordingPlatform::Kind::Message).size(), 1u);
    EXPECT_NE(messageTexts().back().find("because it is the foot node"), std::string::npos);
    EXPECT_TRUE(platform.recorder.bugReports().empty());
}

TEST_F(EditorTest, DeleteNodeOnRootsAndSisterToLeftOnTheMiddleDaughter) {
    openGrammar("categories: X N V A P\nword saw: [VP [V saw] [NP] [PP]]\nword it: [NP it]\n");
    editor().OnSelchangeWordList(1); // "it" comes first
    ASSERT_EQ(editor().currentlySelectedWord(), word("saw"));
    const int32_t vp = node("VP");

    // A root with three daughters cannot go.
    editor().treeFragmentNodeClick(vp);
    editor().updateMenus();
    EXPECT_FALSE(editor().action(kCommandDeleteNode)->isEnabled());
    EXPECT_TRUE(editor().action(kCommandCreateMother)->isEnabled());
    EXPECT_FALSE(editor().action(kCommandCreateSisterToLeft)->isEnabled());
    EXPECT_TRUE(editor().action(kCommandCreateDaughterToRight)->isEnabled());
    EXPECT_FALSE(editor().action(kCommandCreateDaughter)->isEnabled());

    // Sister to the left of the middle daughter goes to the far left.
    const int32_t middle = node("NP");
    editor().treeFragmentNodeClick(middle);
    std::vector<std::string> before = databaseSnapshot(tree());
    editor().OnCreateSisterToLeft();
    const int32_t sister = editor().currentlySelectedNode();
    EXPECT_EQ(cellValue(tree(), vp, kAttrLeftmostDaughter), sister);
    EXPECT_EQ(cellText(tree(), sister, kAttrLabel), "X");
    expectUndoRedo(before);
    editor().OnUndo();

    // Deleting the middle daughter puts nothing in its place (it has none).
    editor().treeFragmentNodeClick(middle);
    before = databaseSnapshot(tree());
    editor().OnDeleteNode();
    EXPECT_EQ(node("NP"), 0);
    EXPECT_EQ(editor().currentlySelectedNode(), 0);
    expectUndoRedo(before);
    editor().OnUndo();
    EXPECT_EQ(editor().currentlySelectedNode(), middle);

    // A root with one daughter: the daughter becomes the word.
    editor().OnSelchangeWordList(0);
    const int32_t it = word("it");
    ASSERT_EQ(editor().currentlySelectedWord(), it);
    editor().treeFragmentNodeClick(it);
    before = databaseSnapshot(tree());
    editor().OnCreateMother();
    const int32_t mother = editor().currentlySelectedWord();
    editor().treeFragmentNodeClick(mother);
    editor().updateMenus();
    EXPECT_TRUE(editor().action(kCommandDeleteNode)->isEnabled());
    editor().OnDeleteNode();
    EXPECT_EQ(editor().currentlySelectedWord(), it);
    EXPECT_EQ(cellText(tree(), it, kAttrCitationForm), "it");
    editor().OnUndo();
    editor().OnUndo();
    EXPECT_EQ(databaseSnapshot(tree()), before);
    EXPECT_EQ(editor().currentlySelectedWord(), it);
    EXPECT_TRUE(platform.recorder.bugReports().empty());
}

TEST_F(EditorTest, SixFeaturesScrollAndUndoingTheSixthsValueBringsItIntoView) {
    openGrammar(kSixFeatures);
    editor().OnSelchangeWordList(0);
    editor().treeFragmentNodeClick(node("N"));
    CFeaturePanel& panel = editor().featurePanel();
    EXPECT_TRUE(panel.scrollBar().isEnabled());
    EXPECT_EQ(panel.scrollBar().maximum(), 2);
    EXPECT_EQ(panel.rowLabel(1).text(), QStringLiteral("f1"));

    editor().OnFeatureScroll(3, 0); // a page down stops at the end
    EXPECT_EQ(panel.rows().position(), 2);
    EXPECT_EQ(panel.scrollBar().value(), 2);
    EXPECT_EQ(panel.rowLabel(1).text(), QStringLiteral("f3"));
    EXPECT_EQ(panel.rowLabel(4).text(), QStringLiteral("f6"));

    const std::vector<std::string> before = databaseSnapshot(tree());
    QTest::keyClicks(&panel.rowField(4), QStringLiteral("plural"));
    leave(panel.rowField(4));
    editor().OnFeatureScroll(-1, 0);
    editor().OnFeatureScroll(-1, 0);
    EXPECT_EQ(panel.rowLabel(4).text(), QStringLiteral("f4"));

    editor().OnUndo();
    EXPECT_EQ(panel.rows().position(), 2);
    EXPECT_EQ(panel.rowLabel(4).text(), QStringLiteral("f6"));
    EXPECT_EQ(panel.rowField(4).text(), QString());
    EXPECT_EQ(databaseSnapshot(tree()), before);
    editor().OnRedo();
    EXPECT_EQ(panel.rowField(4).text(), QStringLiteral("plural"));
    EXPECT_TRUE(platform.recorder.bugReports().empty());
}

TEST_F(EditorTest, ClearDuplicateAndTheViewOrder) {
    openGrammar(kSpineGrammar);
    editor().OnSelchangeWordList(0);
    const int32_t dog = word("dog");
    std::vector<std::string> before = databaseSnapshot(tree());
    editor().OnDuplicate();
    const int32_t copy = editor().currentlySelectedWord();
    EXPECT_EQ(cellText(tree(), copy, kAttrCitationForm), "dog copy");
    EXPECT_EQ(cellText(tree(), editor().currentlySelectedNode(), kAttrLabel), "dog copy");
    expectUndoRedo(before);

    editor().OnViewByCategory();
    EXPECT_TRUE(editor().action(kCommandViewByCategory)->isChecked());
    EXPECT_EQ(editor().wordList().item(0)->text(), QStringLiteral("the (A)"));
    editor().OnViewAlphabetically();
    EXPECT_EQ(editor().wordList().item(0)->text(), QStringLiteral("dog (N)"));

    // Clear outside a field deletes the word; the next one is selected.
    editor().setFocus();
    editor().setSelectedWord(dog);
    before = databaseSnapshot(tree());
    editor().OnClear();
    EXPECT_EQ(word("dog"), 0);
    EXPECT_EQ(editor().currentlySelectedWord(), copy);
    expectUndoRedo(before);
    editor().OnUndo();
    EXPECT_EQ(editor().currentlySelectedWord(), dog);
    EXPECT_TRUE(platform.recorder.bugReports().empty());
}

TEST_F(EditorTest, UndoingAFontChangeKeepsTheSelectionAndRefreshesThePort) {
    openGrammar(kSpineGrammar);
    editor().OnSelchangeWordList(0);
    editor().treeFragmentNodeClick(node("N"));
    const int32_t selected = editor().currentlySelectedNode();
    editor().setFontChooser([](std::string& face, int32_t& size) {
        face = "Serif";
        size = 300;
        return true;
    });
    const std::vector<std::string> before = databaseSnapshot(tree());
    editor().OnFontAndSize();
    EXPECT_EQ(tree().fontSize, 144);
    EXPECT_EQ(cellText(tree(), kHeaderRecord, kHdrFontName), "Serif");
    const int32_t bigHeight = editor().port().getCurrentFontHeight();
    editor().OnUndo();
    EXPECT_EQ(databaseSnapshot(tree()), before);
    EXPECT_EQ(editor().currentlySelectedNode(), selected);
    EXPECT_LT(editor().port().getCurrentFontHeight(), bigHeight);
    editor().OnRedo();
    EXPECT_EQ(editor().port().getCurrentFontHeight(), bigHeight);
    EXPECT_EQ(editor().currentlySelectedNode(), selected);
    EXPECT_TRUE(platform.recorder.bugReports().empty());
}

TEST_F(EditorTest, EveryOneOfManyCategoriesHasItsSpineItem) {
    std::string text = "categories: X";
    for (int32_t i = 1; i <= 119; ++i)
        text += " K" + std::to_string(1000 + i);
    openGrammar(text + "\n");
    QMenu& spines = editor().xBarMenu();
    ASSERT_EQ(spines.actions().size(), 120);
    // The last category, far beyond item 101, builds its spine like the first.
    QAction* last = spines.actions().back();
    EXPECT_EQ(last->text(), QStringLiteral("X"));
    EXPECT_EQ(last->data().toInt(), kFirstXBarSpineCommand + 119);
    EXPECT_EQ(editor().action(kFirstXBarSpineCommand + 119), last);
    last->trigger();
    EXPECT_NE(node("XP"), 0);
    EXPECT_EQ(editor().nodeTypeList().count(), 1 + 3 * 120);
    EXPECT_TRUE(platform.recorder.bugReports().empty());
}
