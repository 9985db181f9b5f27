#include "UiTestSupport.h"

#include "script/ScriptLineColouring.h"
#include "ui/CAuthorMenus.h"
#include "ui/CScriptEditor.h"
#include "ui/CScriptFindBar.h"
#include "ui/CScriptHighlighter.h"
#include "ui/CScriptWindow.h"
#include "undo/UndoLabels.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

namespace {

// Opens a grammar with the script for authoring and shows the script window.
class ScriptWindowTest : public AppTest {
protected:
    CScriptWindow& openWithScript(const std::string& script) {
        openForAuthoring("word dog: [NP [N dog]]\nscript:\n" + script + "end script\n");
        CScriptWindow& window = app->scriptWindow();
        window.show();
        window.resize(600, 400);
        QApplication::processEvents();
        platform.recorder.clear();
        return window;
    }
    // The caret's line and column and whether it selects, then the margin's error line.
    std::string caret() {
        CScriptEditor& editor = app->scriptWindow().editor();
        const QTextCursor at = editor.textCursor();
        return std::to_string(at.blockNumber()) + ":" + std::to_string(at.positionInBlock()) +
               (at.hasSelection() ? " selects" : "") + " mark " +
               std::to_string(editor.errorLine());
    }
};

// The foreground colour the layout of the line gives the character at column.
QColor colourAt(CScriptEditor& editor, int line, int column) {
    const QTextBlock block = editor.document()->findBlockByNumber(line);
    for (const QTextLayout::FormatRange& range : block.layout()->formats())
        if (column >= range.start && column < range.start + range.length)
            return range.format.foreground().color();
    return QColor();
}

} // namespace

TEST_F(ScriptWindowTest, TypingIsOneStepAndCheckScriptReportsInABoxTheStatusLineAndTheMargin) {
    CScriptWindow& window = openWithScript("define function f\n  beep\nend define\n");
    CTree& tree = *app->getCTree();
    CScriptEditor& editor = window.editor();
    const auto stored = [&tree] { return cellText(tree, kHeaderRecord, kHdrScriptText); };
    EXPECT_FALSE(editor.isReadOnly());
    window.OnCheckScript();
    EXPECT_EQ(takeCalls(), "msg[Script result]: The script is syntactically well-formed.");
    EXPECT_EQ(window.statusText(), "The script is syntactically well-formed.");
    EXPECT_EQ(caret(), "0:0 mark -1");
    const std::string before = stored();
    const DatabaseState original = captureState(tree);
    const std::size_t steps = tree.undoStructure().stepCount();
    // Colouring the lines changes no text and starts no step.
    editor.colourVisibleLines();
    EXPECT_EQ(tree.undoStructure().stepCount(), steps);

    // A run of keys at the end of line 2, a comment line and an error: one step, stored at once.
    QTextCursor at(editor.document()->findBlockByNumber(1));
    at.movePosition(QTextCursor::EndOfBlock);
    editor.setTextCursor(at);
    const int caretBefore = at.position();
    for (const char* line : {"  # note", "  _ # oops"}) {
        QTest::keyClick(&editor, Qt::Key_Return);
        QTest::keyClicks(&editor, QString::fromLatin1(line));
    }
    const std::string typed = "define function f\n  beep\n  # note\n  _ # oops\nend define\n";
    EXPECT_EQ(tree.undoStructure().stepCount(), steps + 1);
    EXPECT_EQ(undoLabelOf(tree), kLabelTyping);
    EXPECT_EQ(stored(), typed);

    // Check Script finds it on the fourth line (counted from 0 by the parser): the caret at the
    // start of that line, the mark beside it, the message in a box and under the text.
    window.OnCheckScript();
    EXPECT_EQ(takeCalls(), "msg[Script error]: Syntax error.");
    EXPECT_EQ(caret(), "3:0 mark 3");
    EXPECT_EQ(window.statusText(), "Line 4: Syntax error.");

    // Leaving the field ends the run; Undo (the menu's item) restores text and caret.
    loseFocus(editor);
    window.menus().action(kCommandUndo)->trigger();
    EXPECT_EQ(stored(), before);
    EXPECT_EQ(editor.toPlainText().toStdString(), before);
    EXPECT_EQ(editor.textCursor().position(), caretBefore);
    EXPECT_TRUE(sameStateAllowingGrowth(original, captureState(tree)));
    window.OnCheckScript();
    EXPECT_EQ(window.statusText(), "The script is syntactically well-formed.");
    window.menus().action(kCommandRedo)->trigger();
    EXPECT_EQ(stored(), typed);
    EXPECT_EQ(window.statusText(), "The script is syntactically well-formed.  (checked before "
                                   "the last change)");
    // A failed check leaves the grammar saveable.
    window.OnCheckScript();
    platform.recorder.fileAnswers.push_back(dir.file("saved.rgr"));
    app->lexicalItemsDialog().OnSaveAs();
    EXPECT_FALSE(isDirty(tree));
    platform.recorder.clear();

    // Messages with line breaks read as one line under the editor.
    EXPECT_EQ(window.reportParseError(12, 0), kNoErr);
    EXPECT_EQ(window.statusText(),
              "Line 1: The symbol following 'for every node' has to be a variable. Use 'define "
              "variable' to declare a variable.");
    // A check that succeeds takes the mark away; an invalid code is a bug report.
    EXPECT_EQ(window.reportParseError(0, 0), kNoErr);
    EXPECT_EQ(window.editor().errorLine(), -1);
    platform.recorder.clear();
    window.reportParseError(22, 1);
    EXPECT_EQ(takeCalls(), "bug: Internal error: Ramex sent itself an invalid error code. Please "
                           "report this bug. (CScriptWindow::reportParseError)");

    // The window's text field fills it when it is resized.
    window.resize(800, 700);
    QApplication::processEvents();
    EXPECT_GT(window.editor().height(), 600);
    EXPECT_GT(window.editor().width(), 780);
}

TEST_F(ScriptWindowTest, LinesAreColouredByKindOnlyWhenInView) {
    CScriptWindow& window = openWithScript("define function open # the hook\n"
                                           "  set-color(n, red)\n"
                                           "  message(\"a # b\" & 12)\n"
                                           "end define\n");
    CScriptEditor& editor = window.editor();
    CScriptHighlighter& colours = editor.highlighter();
    editor.colourVisibleLines();
    const auto colour = [&](RScriptColour kind) {
        return colours.format(static_cast<int>(kind)).foreground().color();
    };
    const std::tuple<int, int, RScriptColour> cases[] = {
        {0, 0, RScriptColour::Keyword},        {0, 16, RScriptColour::Hook},
        {0, 22, RScriptColour::Comment},       {1, 2, RScriptColour::NativeFunction},
        {1, 15, RScriptColour::NamedConstant}, {2, 11, RScriptColour::String},
        {2, 20, RScriptColour::Number}};
    for (const auto& [line, column, kind] : cases)
        EXPECT_EQ(colourAt(editor, line, column), colour(kind)) << line << ":" << column;
    EXPECT_FALSE(colourAt(editor, 1, 12).isValid()); // the plain name n

    // A long script: only the lines in view are coloured, at the top and after scrolling.
    QString big;
    for (int i = 0; i < 100000; ++i)
        big += QStringLiteral("  let x = x + 1 # line %1\n").arg(i);
    EXPECT_EQ(window.sizeWarningText(), "");
    editor.setPlainText(big);
    editor.colourVisibleLines();
    // Too long for a grammar file: the window says so while it is.
    EXPECT_TRUE(window.sizeWarningText().startsWith("The script is 2"));
    EXPECT_TRUE(window.sizeWarningText().endsWith("the grammar cannot be saved until the script "
                                                  "is shorter."));
    const auto colouredLines = [&] {
        int count = 0;
        for (QTextBlock b = editor.document()->begin(); b.isValid(); b = b.next())
            count += colours.isColoured(b) ? 1 : 0;
        return count;
    };
    const auto lastColoured = [&] {
        return colours.isColoured(editor.document()->findBlockByNumber(99999));
    };
    EXPECT_GT(colouredLines(), 5);
    EXPECT_LT(colouredLines(), 200);
    EXPECT_FALSE(lastColoured());
    editor.verticalScrollBar()->setValue(editor.verticalScrollBar()->maximum());
    editor.colourVisibleLines();
    EXPECT_TRUE(lastColoured());
    EXPECT_LT(colouredLines(), 400);
    // Editing a line takes its colours away until it is shown again.
    QTextCursor(editor.document()->findBlockByNumber(99999)).insertText(QStringLiteral("if "));
    EXPECT_FALSE(lastColoured());
    editor.colourVisibleLines();
    EXPECT_TRUE(lastColoured());
    EXPECT_EQ(colourAt(editor, 99999, 0), colour(RScriptColour::Keyword));

    // A line of a megabyte is shown plain.
    editor.setPlainText(QString(1 << 20, QLatin1Char('a')) + QStringLiteral(" if"));
    editor.colourVisibleLines();
    EXPECT_TRUE(editor.document()->begin().layout()->formats().isEmpty());
}

TEST_F(ScriptWindowTest, FindWrapsAroundAndGoToLinePlacesTheCaret) {
    CScriptWindow& window = openWithScript("define function f\n  beep\nend define\n"
                                           "define function g\n  Beep\nend define\n");
    window.OnFind();
    CScriptFindBar& bar = window.findBar();
    EXPECT_TRUE(bar.isVisibleTo(&window));
    bar.searchField().setText(QStringLiteral("beep"));
    // Each search's result and the caret after it: forward twice, round the end, backward.
    std::string found;
    for (bool backward : {false, false, false, true}) {
        found += bar.findNext(backward) ? "" : "none ";
        found += caret() + "; ";
    }
    EXPECT_EQ(found, "1:6 selects mark -1; 4:6 selects mark -1; 1:6 selects mark -1; "
                     "4:6 selects mark -1; ");
    EXPECT_EQ(window.editor().textCursor().selectedText(), "Beep");
    bar.matchCaseBox().setChecked(true);
    window.OnFindNext(false);
    window.OnFindNext(false);
    EXPECT_EQ(caret(), "1:6 selects mark -1"); // the only exact match
    bar.searchField().setText(QStringLiteral("boop"));
    EXPECT_FALSE(bar.findNext(false));
    EXPECT_EQ(bar.note(), "Not found");
    EXPECT_EQ(caret(), "1:6 selects mark -1");

    // Go to line: the caret at the line's start; beyond the end the last line; not a number
    // a beep.
    std::string lines;
    for (const char* answer : {"5", "999", "two"}) {
        platform.recorder.askAnswers.push_back(std::string(answer));
        window.OnGoToLine();
        lines += caret() + "; ";
    }
    EXPECT_EQ(lines, "4:0 mark -1; 6:0 mark -1; 6:0 mark -1; ");
    EXPECT_EQ(takeCalls(),
              "ask: Go to line (1 to 7): | ask: Go to line (1 to 7): | ask: Go to line (1 to 7): "
              "| beep");
}

TEST(CScriptEditor, PastedLineBreaksBecomeLineFeeds) {
    EXPECT_EQ(CScriptEditor::withLineFeeds(QStringLiteral("a\r\nb\rc\n\r\nd")),
              QStringLiteral("a\nb\nc\n\nd"));
    CScriptEditor editor;
    QApplication::clipboard()->setText(QStringLiteral("let x = 1\r\nlet y = 2\rexit"));
    editor.paste();
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("let x = 1\nlet y = 2\nexit"));
    EXPECT_EQ(editor.lineCount(), 3);
}
