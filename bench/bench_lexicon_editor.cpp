#include "app/CLexiconEditing.h"
#include "base/RecordingPlatform.h"
#include "model/CTree.h"
#include "ui/CLexicalItemsDialog.h"
#include "ui/CRamexApp.h"
#include "ui/CRamexWindow.h"
#include "ui/CTreeView.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

// The lexicon editor on the offscreen platform with a grammar of 5,000 words: selecting a
// word (the lists, the tree area painted, the node controls and the feature panel) under
// 16 ms; one keystroke in the citation form (the typing task, the leaf's label, the redraw
// and the tree area painted) under 5 ms; New Word with the word list rebuilt under 20 ms.

namespace {

constexpr int32_t kWords = 5000;

struct EditorWithGrammar {
    RecordingPlatform platform;
    ScopedPlatform scope{platform};
    QTemporaryDir settings;
    std::unique_ptr<CRamexApp> app;

    EditorWithGrammar() {
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
        app = std::make_unique<CRamexApp>();
        if (!app->InitInstance(true))
            std::abort();
        CLexicalItemsDialog& editor = app->lexicalItemsDialog();
        editor.handleNewGrammar();
        CLexiconEditing editing(*editor.grammar());
        for (int32_t i = 0; i < kWords; ++i) {
            int32_t root = 0, leaf = 0;
            if (editing.newWord(0, root, leaf))
                std::abort();
        }
        editor.resize(900, 640);
        editor.redrawUserInterface();
        if (editor.wordList().count() != kWords)
            std::abort();
        QApplication::processEvents();
    }
    CLexicalItemsDialog& editor() { return app->lexicalItemsDialog(); }
};

void selectAWord(benchmark::State& state) {
    EditorWithGrammar fixture;
    CLexicalItemsDialog& editor = fixture.editor();
    int32_t row = 0;
    for (auto _ : state) {
        row = (row + 977) % kWords;
        editor.OnSelchangeWordList(row);
        editor.treeArea().repaint();
    }
}
BENCHMARK(selectAWord)->Unit(benchmark::kMillisecond);

void keystrokeInTheCitationForm(benchmark::State& state) {
    EditorWithGrammar fixture;
    CLexicalItemsDialog& editor = fixture.editor();
    editor.OnSelchangeWordList(kWords / 2);
    QLineEdit& field = editor.citeFormField();
    field.setFocus();
    field.end(false);
    bool add = true;
    for (auto _ : state) {
        // One letter, then one backspace, so the text stays the same length.
        QKeyEvent press(QEvent::KeyPress, add ? Qt::Key_A : Qt::Key_Backspace, Qt::NoModifier,
                        add ? QStringLiteral("a") : QString());
        QApplication::sendEvent(&field, &press);
        editor.treeArea().repaint();
        add = !add;
    }
}
BENCHMARK(keystrokeInTheCitationForm)->Unit(benchmark::kMillisecond);

void newWordRebuildsTheList(benchmark::State& state) {
    EditorWithGrammar fixture;
    CLexicalItemsDialog& editor = fixture.editor();
    for (auto _ : state) {
        editor.OnNewWord();
        state.PauseTiming();
        editor.OnUndo();
        state.ResumeTiming();
    }
    if (editor.wordList().count() != kWords)
        std::abort();
}
BENCHMARK(newWordRebuildsTheList)->Unit(benchmark::kMillisecond);

} // namespace
