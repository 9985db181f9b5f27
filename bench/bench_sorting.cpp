#include "base/ErrorCodes.h"
#include "base/Platform.h"
#include "base/RecordingPlatform.h"
#include "model/CTree.h"
#include "storage/CRString.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int32_t kWords = 10000;
constexpr int32_t kWordsByCitationForm = 1;
constexpr int32_t kWordsByCategory = 2;

void check(RErr err) {
    if (err != kNoErr)
        std::abort();
}

// Four small letters spelling the number in base 26: the same length throughout, so the
// numbers' order is the alphabetical order.
std::string spell(int32_t number) {
    std::string word(4, 'a');
    for (int i = 3; i >= 0; --i, number /= 26)
        word[static_cast<std::size_t>(i)] = static_cast<char>('a' + number % 26);
    return word;
}

// A lexicon of 10,000 words over the five standard categories. The root list runs newest
// first, so the words are made from the last to the first: the lists are then read in
// alphabetical order, the worst input for an unbalanced insertion search tree.
struct Lexicon {
    Lexicon() {
        check(tree.createTree(true));
        std::vector<int32_t> categories;
        int32_t category = 0;
        check(tree.getFirstName(3, category));
        for (; category != 0; check(tree.getNextName(category, category)))
            categories.push_back(category);
        check(tree.undoStructure().startTaskList(kLabelNewTree));
        for (int32_t i = kWords - 1; i >= 0; --i) {
            int32_t root = 0;
            int32_t terminal = 0;
            const CRString form(spell(i), 1);
            check(tree.newRoot(root));
            check(tree.newDaughterToLeft(root, terminal));
            check(tree.setMainTerminalNode(root, terminal));
            check(tree.setCitationForm(root, &form));
            check(tree.setWordCategory(root, categories[static_cast<std::size_t>(i) % 5]));
        }
        check(tree.undoStructure().finishTaskList());
    }

    RecordingPlatform platform;
    ScopedPlatform scope{platform};
    CTree tree;
};

Lexicon& lexicon() {
    static Lexicon shared;
    return shared;
}

void sortLexicon(benchmark::State& state, int32_t kind) {
    Lexicon& l = lexicon();
    std::vector<int32_t> array;
    for (auto _ : state) {
        check(l.tree.getSortedList(kind, array));
        benchmark::DoNotOptimize(array.data());
    }
    if (array.size() != static_cast<std::size_t>(kWords) + 1)
        std::abort();
    state.SetItemsProcessed(state.iterations() * kWords);
}

// The lexicon window's list: target under 20 ms.
void BM_SortLexiconAddedInAlphabeticalOrder(benchmark::State& state) {
    sortLexicon(state, kWordsByCitationForm);
}
BENCHMARK(BM_SortLexiconAddedInAlphabeticalOrder)->Unit(benchmark::kMillisecond);

void BM_SortLexiconByCategory(benchmark::State& state) {
    sortLexicon(state, kWordsByCategory);
}
BENCHMARK(BM_SortLexiconByCategory)->Unit(benchmark::kMillisecond);

// What a student waits for when starting a document from the grammar.
void BM_PrepareLexiconForStudentMode(benchmark::State& state) {
    Lexicon& l = lexicon();
    for (auto _ : state)
        check(l.tree.prepareTreesForStudentMode());
    state.SetItemsProcessed(state.iterations() * kWords);
}
BENCHMARK(BM_PrepareLexiconForStudentMode)->Unit(benchmark::kMillisecond);

} // namespace
