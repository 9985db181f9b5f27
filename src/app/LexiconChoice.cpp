#include "app/LexiconChoice.h"

#include "base/ErrorReporter.h"
#include "model/CTree.h"

namespace {

constexpr int32_t kCategoriesByName = 3;

} // namespace

RErr categoriesWithWords(CTree& tree, std::vector<int32_t>& categories) {
    categories.clear();
    std::vector<int32_t> sorted;
    RErr err = tree.getSortedList(kCategoriesByName, sorted);
    const std::size_t count = sorted.empty() ? 0 : static_cast<std::size_t>(sorted[0]);
    for (std::size_t i = 1; i <= count && i < sorted.size() && !err; ++i) {
        int32_t word = 0;
        err = tree.getFirstWordInCategory(sorted[i], word);
        if (!err && word != 0)
            categories.push_back(sorted[i]);
    }
    return reportError("CRamexWindow::showCategoryButtons", err);
}

RErr wordsOfCategory(CTree& tree, int32_t category, std::vector<int32_t>& words) {
    words.clear();
    int32_t word = 0;
    RErr err = tree.getFirstWordInCategory(category, word);
    while (!err && word != 0) {
        words.push_back(word);
        err = tree.getNextWordInCategory(word, word);
    }
    return reportError("CRamexWindow::rebuildLexiconList", err);
}

int32_t usableCategoryIndex(int32_t chosen, int32_t count) {
    if (count <= 0)
        return 0;
    return chosen >= 1 && chosen <= count ? chosen : 1;
}
