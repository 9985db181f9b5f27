#include "UiTestSupport.h"

#include "drawing/CPort.h"
#include "ui/CFeaturePanel.h"
#include "undo/UndoLabels.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>

#include <random>

namespace {

const char* const kSpineGrammar = R"(categories: X N V A P
features: case num
word dog: [NP{spine} [N'{spine} [N{spine} dog]]]
word the: [A the]
)";

int32_t entryOf(QComboBox& list, const char* text) {
    return list.findText(QString::fromUtf8(text));
}

void type(QLineEdit& field, const QString& text) {
    QTest::keyClicks(&field, text);
    loseFocus(field);
}

} // namespace

TEST_F(EditorTest, ANewWordGrowsIntoAFullSpineWithFeaturesAndEveryStepUndoesExactly) {
    openGrammar(kSpineGrammar);
    const std::vector<std::string> start = snapshot();
    EXPECT_EQ(shown(), "dog (N)*, the (A) / NP(N'(N(dog))) / -");
    const std::string list = "dog (N), New Word 0 (X)*, the (A) / ";
    expectStep([&] { editor().OnNewWord(); }, list + "X(New Word 0) / New Word 0");
    const int32_t root = editor().currentlySelectedWord();
    EXPECT_EQ(tree().tablet().cell(root, kAttrMainTerminalNode), editor().currentlySelectedNode());

    // The leaf's mother becomes N, then gets a mother N' and that one NP ("" is Create
    // Mother); the word moves up.
    editor().treeFragmentNodeClick(root);
    const std::pair<const char*, const char*> spine[] = {{"N", "N(New Word 0) / N"},
                                                         {"", "X(N(New Word 0)) / X"},
                                                         {"N'", "N'(N(New Word 0)) / N'"},
                                                         {"", "X(N'(N(New Word 0))) / X"},
                                                         {"NP", "NP(N'(N(New Word 0))) / NP"}};
    for (const auto& row : spine)
        expectStep(
            [&] {
                *row.first
                    ? editor().OnSelchangeNodeType(entryOf(editor().nodeTypeList(), row.first))
                    : editor().OnCreateMother();
            },
            list + row.second);
    const int32_t top = editor().currentlySelectedWord();
    EXPECT_EQ(cellText(tree(), top, kAttrCitationForm), "New Word 0");

    // Features: the panel shows case and num (two fields, no scrolling); a value is one step.
    CFeaturePanel& features = editor().featurePanel();
    EXPECT_EQ(
        (features.rowLabel(1).text() + " " + features.rowLabel(2).text()).toStdString() +
            bits({features.rowField(2).isVisibleTo(&editor()),
                  features.rowField(3).isVisibleTo(&editor()), features.scrollBar().isEnabled()}),
        "case num100");
    expectStep([&] { type(features.rowField(2), QStringLiteral("2")); },
               list + "NP(N'(N(New Word 0))) / NP");
    EXPECT_EQ(cellText(tree(), top, kFirstFeatureSlot + 1), "2");

    // Typing over part of the citation form is one step that renames the leaf at each key; the
    // list shows it, sorted anew, once the field is left. Undo gives back text and selection.
    QLineEdit& cite = editor().citeFormField();
    cite.setSelection(0, 8);
    expectStep(
        [&] {
            QTest::keyClicks(&cite, QStringLiteral("an"));
            EXPECT_EQ(editor().nodeLabelField().text(), QStringLiteral("an 0"));
            EXPECT_EQ(undoLabelOf(tree()), kLabelTyping);
            loseFocus(cite);
        },
        "an 0 (X)*, dog (N), the (A) / NP(N'(N(an 0))) / an 0",
        list + "NP(N'(N(New Word 0))) / New Word 0");
    editor().OnUndo();
    EXPECT_EQ(cite.text() + "/" + cite.selectedText(), "New Word 0/New Word");

    undoAll();
    EXPECT_EQ(snapshot(), start);
    EXPECT_EQ(editor().wordList().count(), 2);
    EXPECT_EQ(takeCalls(), "");
}

TEST_F(EditorTest, ASpineWordsCategoryRelabelsItsSpineAndNotItsTerminal) {
    openGrammar(kSpineGrammar);
    editor().OnSelchangeWordList(0);
    ASSERT_EQ(shown(), "dog (N)*, the (A) / NP(N'(N(dog))) / -");
    expectStep([&] { editor().OnSelchangeCiteCategory(entryOf(editor().citeCategoryList(), "V")); },
               "dog (V)*, the (A) / VP(V'(V(dog))) / -");

    // The X-bar spine command makes a new word of that shape for any category.
    EXPECT_EQ(menuText(editor().xBarMenu()), "2001 A | 2002 N | 2003 P | 2004 V | 2005 X");
    expectStep([&] { editor().OnXBarSpineItem(kFirstXBarSpineCommand + 2); },
               "dog (V), New Word 0 (P)*, the (A) / PP(P'(P(New Word 0))) / New Word 0");
    EXPECT_EQ(tree().tablet().cell(editor().currentlySelectedNode(), kAttrProjection), -1);
    EXPECT_EQ(tree().tablet().cell(editor().currentlySelectedWord(), kAttrLowestXBarSpineNode),
              node("P"));
    EXPECT_EQ(takeCalls(), "");
}

TEST_F(EditorTest, StyleColourMainTerminalAndFootAreOneStepEach) {
    openGrammar(kSpineGrammar);
    editor().OnSelchangeWordList(0);
    const int32_t np = node("NP");
    const int32_t dog = node("dog");
    const std::string shownDog = "dog (N)*, the (A) / NP(N'(N(dog))) / ";
    editor().treeFragmentNodeClick(np);
    const auto cell = [this](int32_t record, int32_t attribute) {
        return tree().tablet().cell(record, attribute);
    };
    const auto style = [this] { return editor().styleList().currentText().toStdString(); };

    editor().OnSelchangeStyle(entryOf(editor().styleList(), "Italic"));
    editor().OnSelchangeStyle(entryOf(editor().styleList(), "Bold"));
    EXPECT_EQ(cell(np, kAttrTextStyle), 3);
    editor().OnUndo();
    EXPECT_EQ(style(), "Italic");
    editor().OnRedo();
    EXPECT_EQ(style(), "Bold");
    editor().OnSelchangeStyle(entryOf(editor().styleList(), "Plain"));
    EXPECT_EQ(cell(np, kAttrTextStyle), 0);
    expectStep([&] { editor().OnSelchangeColor(entryOf(editor().colorList(), "Violet")); },
               shownDog + "NP");
    EXPECT_EQ(cell(np, kAttrColor), 9);
    EXPECT_EQ(editor().colorList().currentText(), QStringLiteral("Violet"));

    // Main terminal: on the node that already is it nothing happens at all.
    editor().treeFragmentNodeClick(dog);
    const std::size_t steps = tree().undoStructure().stepCount();
    editor().mainTerminalBox().click();
    EXPECT_EQ(tree().undoStructure().stepCount(), steps);
    EXPECT_TRUE(editor().mainTerminalBox().isChecked());
    // Elsewhere it moves; undo selects the old main terminal node again, and the old foot
    // (none) when the foot is undone.
    editor().treeFragmentNodeClick(np);
    expectStep([&] { editor().mainTerminalBox().click(); }, shownDog + "NP", shownDog + "dog");
    EXPECT_EQ(cell(word("dog"), kAttrMainTerminalNode), np);
    EXPECT_TRUE(editor().mainTerminalBox().isChecked());
    editor().OnUndo();
    expectStep([&] { editor().footBox().click(); }, shownDog + "dog", shownDog + "-");
    EXPECT_EQ(cell(word("dog"), kAttrFootNode), dog);
    EXPECT_TRUE(editor().footBox().isChecked());

    // The foot and the main terminal node are not deleted.
    editor().OnDeleteNode();
    EXPECT_EQ(takeCalls(),
              "msg: The selected node cannot be deleted, because it is the foot node.  "
              "Before deleting this node, please select a different node and click "
              "the Foot Node checkbox to change the foot node.");
}

TEST_F(EditorTest, DeleteNodeOnRootsAndSisterToLeftOnTheMiddleDaughter) {
    openGrammar("categories: X N V A P\nword saw: [VP [V saw] [NP] [PP]]\nword it: [NP it]\n");
    editor().OnSelchangeWordList(1);
    const int32_t vp = node("VP");
    const int32_t middle = node("NP");
    // A root with three daughters cannot go.
    editor().treeFragmentNodeClick(vp);
    editor().updateMenus();
    EXPECT_EQ(enabledAmong(editor(),
                           {kCommandDeleteNode, kCommandCreateMother, kCommandCreateSisterToLeft,
                            kCommandCreateDaughterToRight, kCommandCreateDaughter}),
              (std::vector<int32_t>{kCommandCreateMother, kCommandCreateDaughterToRight}));

    // Sister to the left of the middle daughter goes to the far left.
    editor().treeFragmentNodeClick(middle);
    expectStep([&] { editor().OnCreateSisterToLeft(); },
               "it (N), saw (V)* / VP(X V(saw) NP PP) / X",
               "it (N), saw (V)* / VP(V(saw) NP PP) / -");
    // Deleting the middle daughter puts nothing in its place (it has none).
    editor().OnUndo();
    editor().treeFragmentNodeClick(middle);
    expectStep([&] { editor().OnDeleteNode(); }, "it (N), saw (V)* / VP(V(saw) PP) / -");

    // A root with one daughter: the daughter becomes the word again.
    editor().OnSelchangeWordList(0);
    const int32_t it = word("it");
    editor().treeFragmentNodeClick(it);
    const std::vector<std::string> before = snapshot();
    editor().OnCreateMother();
    editor().treeFragmentNodeClick(editor().currentlySelectedWord());
    editor().updateMenus();
    EXPECT_TRUE(editor().action(kCommandDeleteNode)->isEnabled());
    expectStep([&] { editor().OnDeleteNode(); }, "it (N)*, saw (V) / NP(it) / -");
    EXPECT_EQ(editor().currentlySelectedWord(), it);
    editor().OnUndo();
    editor().OnUndo();
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(editor().currentlySelectedWord(), it);
    EXPECT_EQ(takeCalls(), "");
}

TEST_F(EditorTest, SixFeaturesScrollAndUndoingTheSixthsValueBringsItIntoView) {
    openGrammar("categories: X N V A P\nfeatures: f1 f2 f3 f4 f5 f6\nword dog: [N dog]\n");
    editor().OnSelchangeWordList(0);
    editor().treeFragmentNodeClick(node("N"));
    CFeaturePanel& panel = editor().featurePanel();
    const auto rows = [&panel] {
        return (panel.rowLabel(1).text() + " " + panel.rowLabel(4).text() + " at " +
                QString::number(panel.rows().position()) + "/" +
                QString::number(panel.scrollBar().value()) + " of " +
                QString::number(panel.scrollBar().maximum()))
            .toStdString();
    };
    EXPECT_EQ(rows() + bits({panel.scrollBar().isEnabled()}), "f1 f4 at 0/0 of 21");
    editor().OnFeatureScroll(3, 0); // a page down stops at the end
    EXPECT_EQ(rows(), "f3 f6 at 2/2 of 2");

    const std::vector<std::string> before = snapshot();
    type(panel.rowField(4), QStringLiteral("plural"));
    editor().OnFeatureScroll(-1, 0);
    editor().OnFeatureScroll(-1, 0);
    EXPECT_EQ(rows(), "f1 f4 at 0/0 of 2");
    editor().OnUndo();
    EXPECT_EQ(rows(), "f3 f6 at 2/2 of 2");
    EXPECT_EQ(panel.rowField(4).text(), QString());
    EXPECT_EQ(snapshot(), before);
    editor().OnRedo();
    EXPECT_EQ(panel.rowField(4).text(), QStringLiteral("plural"));
    EXPECT_EQ(takeCalls(), "");
}

TEST_F(EditorTest, ClearDuplicateTheViewOrderAndTheFont) {
    openGrammar(kSpineGrammar);
    editor().OnSelchangeWordList(0);
    const int32_t dog = word("dog");
    expectStep([&] { editor().OnDuplicate(); },
               "dog (N), dog copy (N)*, the (A) / NP(N'(N(dog copy))) / dog copy");

    editor().OnViewByCategory();
    EXPECT_TRUE(editor().action(kCommandViewByCategory)->isChecked());
    EXPECT_EQ(shown(), "the (A), dog (N), dog copy (N)* / NP(N'(N(dog copy))) / dog copy");
    editor().OnViewAlphabetically();

    // Clear outside a field deletes the word; the next one is selected, and undo selects the
    // word again.
    editor().setFocus();
    editor().setSelectedWord(dog);
    expectStep([&] { editor().OnClear(); }, "dog copy (N)*, the (A) / NP(N'(N(dog copy))) / -");
    editor().OnUndo();

    // Undoing a font change keeps the selection and refreshes the port.
    editor().treeFragmentNodeClick(node("N"));
    editor().setFontChooser([](std::string& face, int32_t& size) {
        face = "Serif";
        size = 300;
        return true;
    });
    const std::vector<std::string> before = snapshot();
    editor().OnFontAndSize();
    EXPECT_EQ(tree().fontSize, 144);
    EXPECT_EQ(cellText(tree(), kHeaderRecord, kHdrFontName), "Serif");
    const int32_t bigHeight = editor().port().getCurrentFontHeight();
    const std::string selected = "dog (N)*, dog copy (N), the (A) / NP(N'(N(dog))) / N";
    editor().OnUndo();
    EXPECT_EQ(snapshot(), before);
    EXPECT_LT(editor().port().getCurrentFontHeight(), bigHeight);
    EXPECT_EQ(shown(), selected);
    editor().OnRedo();
    EXPECT_EQ(editor().port().getCurrentFontHeight(), bigHeight);
    EXPECT_EQ(shown(), selected);
    EXPECT_EQ(takeCalls(), "");
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
    EXPECT_EQ(editor().action(kFirstXBarSpineCommand + 119), last);
    last->trigger();
    EXPECT_NE(node("XP"), 0);
    EXPECT_EQ(editor().nodeTypeList().count(), 1 + 3 * 120);
    EXPECT_EQ(takeCalls(), "");
}

// Random commands, typing runs, undos and redos as an author could give them (only what the
// menus and controls allow); the editor never shows a word or node that is gone, and undoing
// everything gives back the grammar exactly.
TEST_F(EditorTest, FiveHundredRandomEditsUndoneAllRestoreTheGrammar) {
    openGrammar("categories: X N V A P\nfeatures: case num gender\n"
                "word dog: [NP{spine} [N'{spine} [N{spine} dog]]]\n"
                "word very: [AP{foot} [A very] [AP]]\n");
    const std::vector<std::string> start = snapshot();
    std::mt19937 random(20261207);
    auto pick = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    // New Word, the seven node commands from Create Mother to Delete Node, Duplicate, Clear,
    // and the two views.
    const int32_t commands[] = {81, 91, 92, 93, 94, 95, 96, 97, 27, 26, 84, 83};
    const QString texts[] = {"a", "Haus", "ü", "日本", " x y ", QString(300, QLatin1Char('w'))};
    for (int step = 0; step < 500; ++step) {
        SCOPED_TRACE(step);
        CLexicalItemsDialog& e = editor();
        e.setFocus();
        e.updateMenus();
        const int choice = pick(12);
        const int32_t selectedWord = e.currentlySelectedWord();
        if (choice == 0) {
            QAction* command = e.action(commands[pick(12)]);
            if (command->isEnabled())
                command->trigger();
        } else if (const QList<QAction*> spines = e.xBarMenu().actions();
                   choice == 1 && !spines.isEmpty()) {
            spines.at(pick(static_cast<int>(spines.size())))->trigger();
        } else if (choice == 2 && e.wordList().count() > 0) {
            e.OnSelchangeWordList(pick(e.wordList().count()));
        } else if (choice == 3 && selectedWord != 0) {
            const std::vector<int32_t> nodes = nodesOf(tree(), selectedWord);
            e.treeFragmentNodeClick(nodes[static_cast<std::size_t>(pick(int(nodes.size())))]);
        } else if (choice == 4 && e.nodeTypeList().isEnabled()) {
            e.OnSelchangeNodeType(pick(e.nodeTypeList().count()));
        } else if (choice == 5 && e.styleList().isEnabled()) {
            e.OnSelchangeStyle(pick(4));
        } else if (choice == 6 && e.colorList().isEnabled()) {
            e.OnSelchangeColor(pick(11));
        } else if (choice == 7 && e.currentlySelectedNode() != 0) {
            pick(2) ? e.OnMainTerminalNode() : e.OnFootNode();
        } else if (choice == 8 && e.citeCategoryList().isEnabled()) {
            e.OnSelchangeCiteCategory(pick(e.citeCategoryList().count()));
        } else if (choice == 9) {
            QLineEdit* fields[] = {&e.citeFormField(), &e.nodeLabelField(),
                                   &e.featurePanel().rowField(1 + pick(3))};
            QLineEdit* field = fields[pick(3)];
            if (field->isEnabled()) {
                if (pick(2))
                    field->selectAll();
                const QString& text = texts[pick(6)];
                if (text.toLatin1() == text.toUtf8()) {
                    QTest::keyClicks(field, text);
                } else {
                    // What an input method commits, as for text typed in any script.
                    QInputMethodEvent composed;
                    composed.setCommitString(text);
                    QApplication::sendEvent(field, &composed);
                }
                if (pick(2))
                    QTest::keyClick(field, Qt::Key_Backspace);
                loseFocus(*field);
            }
        } else if (choice == 10 && e.action(kCommandUndo)->isEnabled()) {
            e.OnUndo();
        } else if (choice == 11 && e.action(kCommandRedo)->isEnabled()) {
            e.OnRedo();
        }
        // What the editor shows still exists.
        const int32_t word = e.currentlySelectedWord();
        const int32_t node = e.currentlySelectedNode();
        int32_t isRoot = 1;
        int32_t rootOfNode = word;
        if (word != 0) {
            ASSERT_TRUE(tree().verifyNode(word));
            tree().isRootNode(word, isRoot);
        }
        if (node != 0) {
            ASSERT_TRUE(tree().verifyNode(node));
            tree().findRoot(node, rootOfNode);
        }
        ASSERT_EQ(isRoot, 1);
        ASSERT_EQ(rootOfNode, word);
        int32_t roots = 0;
        int32_t root = 0;
        for (tree().getFirstRoot(root); root != 0; tree().getNextRoot(root, root))
            ++roots;
        ASSERT_EQ(e.wordList().count(), roots);
    }
    undoAll();
    EXPECT_EQ(snapshot(), start);
    EXPECT_EQ(editor().wordList().count(), 2);
}
