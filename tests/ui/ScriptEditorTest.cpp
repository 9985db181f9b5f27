#include "AuthoringTestSupport.h"

#include "model/CTree.h"
#include "script/ScriptLineColouring.h"
#include "storage/CRString.h"
#include "support/TreeTestSupport.h"
#include "ui/CLexicalItemsDialog.h"
#include "ui/CRamexWindow.h"
#include "ui/CScriptEditor.h"
#include "ui/CScriptFindBar.h"
#include "ui/CScriptHighlighter.h"
#include "ui/CScriptWindow.h"
#include "undo/UndoLabels.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include <string>

namespace {

// Opens a grammar with the script for authoring and shows the script window.
class ScriptWindowTest : public AuthoringTest {
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

    std::vector<RecordingPlatform::Call> boxes() const {
        return platform.recorder.callsOfKind(RecordingPlatform::Kind::Message);
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

TEST_F(ScriptWindowTest, CheckScriptReportsInABoxTheStatusLineAndTheMargin) {
    // An empty script is well-formed.
    CScriptWindow& window = openWithScript("");
    CScriptEditor& editor = window.editor();
    window.OnCheckScript();
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].title, "Script result");
    EXPECT_EQ(boxes()[0].text, "The script is syntactically well-formed.");
    EXPECT_EQ(window.statusText(), "The script is syntactically well-formed.");
    EXPECT_EQ(editor.errorLine(), -1);

    // A comma missing on the third line, after a comment line: the caret at the start of that
    // line (counted from 0 by the parser), the mark beside it, the message under the text.
    const CRString text("define variable a\n# the next one\ndefine variable x y, z", 1);
    ASSERT_EQ(inStep(*app->getCTree(), kLabelTyping,
                     [&] { return app->getCTree()->setMainString(1, text); }),
              kNoErr);
    window.newGrammarHasArrived();
    platform.recorder.clear();
    window.OnCheckScript();
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].title, "Script error");
    EXPECT_EQ(boxes()[0].text, "A comma is missing.");
    EXPECT_EQ(editor.textCursor().blockNumber(), 2);
    EXPECT_EQ(editor.textCursor().positionInBlock(), 0);
    EXPECT_FALSE(editor.textCursor().hasSelection());
    EXPECT_EQ(editor.errorLine(), 2);
    EXPECT_EQ(window.statusText(), "Line 3: A comma is missing.");

    // Messages with line breaks read as one line under the editor.
    EXPECT_EQ(window.reportParseError(12, 0), kNoErr);
    EXPECT_EQ(window.statusText(),
              "Line 1: The symbol following 'for every node' has to be a variable. Use 'define "
              "variable' to declare a variable.");
    // A check that succeeds takes the mark away; an invalid code is a bug report.
    EXPECT_EQ(window.reportParseError(0, 0), kNoErr);
    EXPECT_EQ(editor.errorLine(), -1);
    platform.recorder.clear();
    window.reportParseError(22, 1);
    EXPECT_EQ(platform.recorder.bugReports().size(), 1u);

    // The window's text field fills it when it is resized.
    window.resize(800, 700);
    QApplication::processEvents();
    EXPECT_GT(editor.height(), 600);
    EXPECT_GT(editor.width(), 780);
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
    EXPECT_EQ(colourAt(editor, 0, 0), colour(RScriptColour::Keyword));
    EXPECT_EQ(colourAt(editor, 0, 16), colour(RScriptColour::Hook));
    EXPECT_EQ(colourAt(editor, 0, 22), colour(RScriptColour::Comment));
    EXPECT_EQ(colourAt(editor, 1, 2), colour(RScriptColour::NativeFunction));
    EXPECT_EQ(colourAt(editor, 1, 15), colour(RScriptColour::NamedConstant));
    EXPECT_EQ(colourAt(editor, 2, 11), colour(RScriptColour::String));
    EXPECT_EQ(colourAt(editor, 2, 20), colour(RScriptColour::Number));
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
    EXPECT_GT(colouredLines(), 5);
    EXPECT_LT(colouredLines(), 200);
    EXPECT_FALSE(colours.isColoured(editor.document()->findBlockByNumber(99999)));
    editor.verticalScrollBar()->setValue(editor.verticalScrollBar()->maximum());
    editor.colourVisibleLines();
    EXPECT_TRUE(colours.isColoured(editor.document()->findBlockByNumber(99999)));
    EXPECT_LT(colouredLines(), 400);
    // Editing a line takes its colours away until it is shown again.
    QTextCursor caret(editor.document()->findBlockByNumber(99999));
    caret.insertText(QStringLiteral("if "));
    EXPECT_FALSE(colours.isColoured(editor.document()->findBlockByNumber(99999)));
    editor.colourVisibleLines();
    EXPECT_TRUE(colours.isColoured(editor.document()->findBlockByNumber(99999)));
    EXPECT_EQ(colourAt(editor, 99999, 0), colour(RScriptColour::Keyword));

    // A line of a megabyte is shown plain.
    editor.setPlainText(QString(1 << 20, QLatin1Char('a')) + QStringLiteral(" if"));
    editor.colourVisibleLines();
    EXPECT_TRUE(editor.document()->begin().layout()->formats().isEmpty());
}

TEST_F(ScriptWindowTest, FindWrapsAroundAndGoToLinePlacesTheCaret) {
    CScriptWindow& window = openWithScript("define function f\n  beep\nend define\n"
                                           "define function g\n  Beep\nend define\n");
    CScriptEditor& editor = window.editor();
    window.OnFind();
    CScriptFindBar& bar = window.findBar();
    EXPECT_TRUE(bar.isVisibleTo(&window));
    bar.searchField().setText(QStringLiteral("beep"));
    EXPECT_TRUE(bar.findNext(false));
    EXPECT_EQ(editor.textCursor().blockNumber(), 1);
    EXPECT_EQ(editor.textCursor().selectedText(), "beep");
    EXPECT_TRUE(bar.findNext(false));
    EXPECT_EQ(editor.textCursor().blockNumber(), 4);
    EXPECT_TRUE(bar.findNext(false)); // round the end
    EXPECT_EQ(editor.textCursor().blockNumber(), 1);
    EXPECT_TRUE(bar.findNext(true));
    EXPECT_EQ(editor.textCursor().blockNumber(), 4);
    bar.matchCaseBox().setChecked(true);
    window.OnFindNext(false);
    EXPECT_EQ(editor.textCursor().blockNumber(), 1);
    window.OnFindNext(false);
    EXPECT_EQ(editor.textCursor().blockNumber(), 1); // the only exact match
    bar.searchField().setText(QStringLiteral("boop"));
    EXPECT_FALSE(bar.findNext(false));
    EXPECT_EQ(bar.note(), "Not found");
    EXPECT_EQ(editor.textCursor().blockNumber(), 1);

    platform.recorder.askAnswers.push_back(std::string("5"));
    window.OnGoToLine();
    EXPECT_EQ(editor.textCursor().blockNumber(), 4);
    EXPECT_EQ(editor.textCursor().positionInBlock(), 0);
    const auto asked = platform.recorder.callsOfKind(RecordingPlatform::Kind::Ask);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, "Go to line (1 to 7):");
    platform.recorder.askAnswers.push_back(std::string("999"));
    window.OnGoToLine();
    EXPECT_EQ(editor.textCursor().blockNumber(), 6); // the last line
    platform.recorder.askAnswers.push_back(std::string("two"));
    window.OnGoToLine();
    EXPECT_EQ(editor.textCursor().blockNumber(), 6);
    EXPECT_EQ(platform.recorder.callsOfKind(RecordingPlatform::Kind::Beep).size(), 1u);
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
