#include "LexiconEditorTestSupport.h"

#include "app/CommandIds.h"
#include "model/CTree.h"
#include "ui/CFeaturePanel.h"
#include "ui/CLexicalItemsDialog.h"
#include "undo/CUndoStructure.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTest>

#include <random>

namespace {

const char* const kGrammar = R"(categories: X N V A P
features: case num gender
word dog: [NP{spine} [N'{spine} [N{spine} dog]]]
word very: [AP{foot} [A very] [AP]]
)";

const QString kTexts[] = {QStringLiteral("a"),     QStringLiteral("Haus"),
                          QStringLiteral("ü"),     QStringLiteral("日本"),
                          QStringLiteral(" x y "), QString(300, QLatin1Char('w'))};

void leave(QWidget& field) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&field, &out);
}

} // namespace

// Random commands, typing runs, undos and redos as an author could give them (only what the
// menus and controls allow); the editor never shows a word or node that is gone, and undoing
// everything gives back the grammar exactly.
TEST_F(EditorTest, FiveHundredRandomEditsUndoneAllRestoreTheGrammar) {
    openGrammar(kGrammar);
    const std::vector<std::string> start = databaseSnapshot(tree());
    std::mt19937 random(20261207);
    auto pick = [&random](int32_t n) {
        return static_cast<int32_t>(std::uniform_int_distribution<int32_t>(0, n - 1)(random));
    };
    const int32_t commands[] = {kCommandNewWord,
                                kCommandCreateMother,
                                kCommandCreateDaughter,
                                kCommandCreateDaughterToLeft,
                                kCommandCreateDaughterToRight,
                                kCommandCreateSisterToLeft,
                                kCommandCreateSisterToRight,
                                kCommandDeleteNode,
                                kCommandDuplicate,
                                kCommandClear,
                                kCommandViewByCategory,
                                kCommandViewAlphabetically};
    for (int32_t step = 0; step < 500; ++step) {
        CLexicalItemsDialog& e = editor();
        e.setFocus();
        e.updateMenus();
        const int32_t choice = pick(12);
        if (choice == 0) {
            const int32_t id = commands[pick(12)];
            if (e.action(id)->isEnabled())
                e.action(id)->trigger();
        } else if (choice == 1 && e.xBarMenu().actions().size() > 0) {
            e.xBarMenu()
                .actions()
                .at(pick(static_cast<int32_t>(e.xBarMenu().actions().size())))
                ->trigger();
        } else if (choice == 2 && e.wordList().count() > 0) {
            e.OnSelchangeWordList(pick(e.wordList().count()));
        } else if (choice == 3 && e.currentlySelectedWord() != 0) {
            // A node of the word's tree, clicked.
            std::vector<int32_t> nodes;
            const int32_t root = e.currentlySelectedWord();
            for (int32_t n = root; n != 0;) {
                nodes.push_back(n);
                int32_t next = 0;
                tree().getNextNode(n, root, next);
                n = next;
            }
            e.treeFragmentNodeClick(nodes[pick(static_cast<int32_t>(nodes.size()))]);
        } else if (choice == 4 && e.nodeTypeList().isEnabled()) {
            e.OnSelchangeNodeType(pick(e.nodeTypeList().count()));
        } else if (choice == 5 && e.styleList().isEnabled()) {
            e.OnSelchangeStyle(pick(4));
        } else if (choice == 6 && e.colorList().isEnabled()) {
            e.OnSelchangeColor(pick(11));
        } else if (choice == 7 && e.currentlySelectedNode() != 0) {
            if (pick(2))
                e.OnMainTerminalNode();
            else
                e.OnFootNode();
        } else if (choice == 8 && e.citeCategoryList().isEnabled()) {
            e.OnSelchangeCiteCategory(pick(e.citeCategoryList().count()));
        } else if (choice == 9) {
            QLineEdit* fields[] = {&e.citeFormField(), &e.nodeLabelField(),
                                   &e.featurePanel().rowField(1 + pick(3))};
            QLineEdit* field = fields[pick(3)];
            if (field->isEnabled()) {
                if (pick(2))
                    field->selectAll();
                const QString& text = kTexts[pick(6)];
                bool ascii = true;
                for (QChar c : text)
                    ascii = ascii && c.unicode() < 128;
                if (ascii) {
                    QTest::keyClicks(field, text);
                } else {
                    // What an input method commits, as for text typed in any script.
                    QInputMethodEvent composed;
                    composed.setCommitString(text);
                    QApplication::sendEvent(field, &composed);
                }
                if (pick(2))
                    QTest::keyClick(field, Qt::Key_Backspace);
                leave(*field);
            }
        } else if (choice == 10 && e.action(kCommandUndo)->isEnabled()) {
            e.OnUndo();
        } else if (choice == 11 && e.action(kCommandRedo)->isEnabled()) {
            e.OnRedo();
        }
        // What the editor shows still exists.
        const int32_t word = e.currentlySelectedWord();
        const int32_t node = e.currentlySelectedNode();
        if (word != 0) {
            int32_t isRoot = 0;
            ASSERT_TRUE(tree().verifyNode(word)) << "step " << step;
            tree().isRootNode(word, isRoot);
            ASSERT_EQ(isRoot, 1) << "step " << step;
        }
        if (node != 0) {
            int32_t root = 0;
            ASSERT_TRUE(tree().verifyNode(node)) << "step " << step;
            tree().findRoot(node, root);
            ASSERT_EQ(root, word) << "step " << step;
        }
        int32_t roots = 0;
        int32_t root = 0;
        for (tree().getFirstRoot(root); root != 0; tree().getNextRoot(root, root))
            ++roots;
        ASSERT_EQ(e.wordList().count(), roots) << "step " << step;
    }
    EXPECT_EQ(platform.recorder.bugReports(), std::vector<std::string>());
    undoAll();
    EXPECT_EQ(databaseSnapshot(tree()), start);
    EXPECT_EQ(editor().wordList().count(), 2);
}
