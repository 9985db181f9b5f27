#include "model/CTree.h"
#include "script/CScript.h"
#include "script/CSymbolTable.h"
#include "storage/CRString.h"
#include "ui/CScriptEditor.h"
#include "ui/CScriptHighlighter.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>

#include <cstdlib>
#include <string>

// The script editor on a script of 10,000 lines (1,000 functions of ten lines, with comments,
// strings, natives and constants): opening it in the editor (text, colouring of the lines in
// view, one paint), scrolling to its end and checking it, each under 100 ms; one keystroke
// with its colouring and the read of the whole text that stores it, under 5 ms.

namespace {

constexpr int32_t kBenchCreatorTag = 162;

std::string scriptOfLines(int functions) {
    std::string text;
    for (int i = 0; i < functions; ++i) {
        const std::string n = std::to_string(i);
        text += "define function f" + n + "(a, b) # note " + n + "\n";
        text += "  define variable c\n";
        text += "  let c = a + b * 2\n";
        text += "  if c > 10 then\n";
        text += "    set-color(a, red)\n";
        text += "  else\n";
        text += "    message(\"small # \" & c)\n";
        text += "  end if\n";
        text += "  return c\n";
        text += "end define\n";
    }
    return text;
}

const QString& bigScript() {
    static const QString text = QString::fromStdString(scriptOfLines(1000));
    return text;
}

void showEditor(CScriptEditor& editor) {
    editor.resize(600, 400);
    editor.show();
    QApplication::processEvents();
}

void paintNow(CScriptEditor& editor) {
    editor.viewport()->repaint();
    QApplication::processEvents();
}

void BM_OpenScriptOf10000Lines(benchmark::State& state) {
    CScriptEditor editor;
    showEditor(editor);
    for (auto _ : state) {
        editor.setPlainText(bigScript());
        editor.moveCursor(QTextCursor::Start);
        paintNow(editor);
    }
    if (editor.blockCount() != 10001)
        std::abort();
}
BENCHMARK(BM_OpenScriptOf10000Lines)->Unit(benchmark::kMillisecond);

// Bad input that must not freeze the window: one line of a megabyte (shown without colours).
void BM_OpenOneMegabyteLine(benchmark::State& state) {
    CScriptEditor editor;
    showEditor(editor);
    const QString line = QStringLiteral("let x = 1 ").repeated(1 << 17);
    for (auto _ : state) {
        editor.setPlainText(line);
        paintNow(editor);
    }
}
BENCHMARK(BM_OpenOneMegabyteLine)->Unit(benchmark::kMillisecond);

void BM_ScrollToTheEndOf10000Lines(benchmark::State& state) {
    CScriptEditor editor;
    showEditor(editor);
    for (auto _ : state) {
        state.PauseTiming();
        editor.setPlainText(bigScript());
        paintNow(editor);
        state.ResumeTiming();
        editor.verticalScrollBar()->setValue(editor.verticalScrollBar()->maximum());
        paintNow(editor);
    }
    if (!editor.highlighter().isColoured(editor.document()->findBlockByNumber(9999)))
        std::abort();
}
BENCHMARK(BM_ScrollToTheEndOf10000Lines)->Unit(benchmark::kMillisecond);

void BM_CheckScriptOf10000Lines(benchmark::State& state) {
    CTree tree;
    if (tree.createTree(true))
        std::abort();
    // The script is stored as an author's typing would store it: inside an undo step.
    RErr err = tree.undoStructure().startTaskList(kLabelTyping);
    if (!err)
        err = tree.setMainString(1, CRString(scriptOfLines(1000), kBenchCreatorTag));
    if (!err)
        err = tree.undoStructure().finishTaskList();
    if (err)
        std::abort();
    tree.script()->setTraceOutput(nullptr);
    for (auto _ : state)
        if (tree.script()->parseScript(false))
            std::abort();
    // The last function was defined, so the whole text was compiled.
    CSymbol* last = nullptr;
    tree.script()->symbolTable()->findASymbol(CRString("f999", kBenchCreatorTag), nullptr, last);
    if (!last)
        std::abort();
}
BENCHMARK(BM_CheckScriptOf10000Lines)->Unit(benchmark::kMillisecond);

void BM_KeystrokeIn10000Lines(benchmark::State& state) {
    CScriptEditor editor;
    showEditor(editor);
    editor.setPlainText(bigScript());
    editor.placeCaretAtLine(5000);
    paintNow(editor);
    std::string stored;
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(&editor, &press);
        // What the typing step stores: the whole text as UTF-8.
        stored = editor.toPlainText().toStdString();
        paintNow(editor);
    }
    if (stored.size() < static_cast<size_t>(bigScript().size()))
        std::abort();
}
BENCHMARK(BM_KeystrokeIn10000Lines)->Unit(benchmark::kMillisecond);

} // namespace
