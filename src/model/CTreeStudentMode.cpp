// CTree's preparation of a document's trees for student mode.

#include "model/CTree.h"

#include "base/ErrorReporter.h"
#include "model/TreeAttributes.h"
#include "model/CBinaryTree.h"
#include "storage/CTablet.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr int32_t kSortByCitationForm = 2;

} // namespace

// Marks every tree as a lexicon word and links each category's words in citation-form order.
// These are runtime marks for the student's document, written without undo. The builders
// are released however the preparation ends.
RErr CTree::prepareTreesForStudentMode() {
    std::vector<int32_t> categories;
    std::vector<int32_t> roots;
    RErr err = collectList(kHdrFirstCategory, categories);
    if (!err)
        err = collectList(kHdrFirstRoot, roots);
    std::vector<std::unique_ptr<CBinaryTree>> sorters;
    for (std::size_t i = 0; i < categories.size() && !err; ++i)
        sorters.push_back(std::make_unique<CBinaryTree>(*this, kAttrSortLeft, kAttrSortRight,
                                                        kAttrSortParent, kSortByCitationForm));

    for (std::size_t i = 0; i < roots.size() && !err; ++i) {
        const int32_t root = roots[i];
        int32_t mainTerminal = 0;
        int32_t category = 0;
        err = theTablet->setValue(root, kAttrWhereIsTree, kTreeInLexicon);
        if (!err)
            err = getMainTerminalNode(root, mainTerminal);
        if (!err && !verifyNode(mainTerminal))
            err = kErrInvalidParameter;
        if (!err)
            err = theTablet->setValue(mainTerminal, kAttrIsMainTerminal, 1);
        if (!err)
            err = getWordCategory(root, category);
        const auto found = std::find(categories.begin(), categories.end(), category);
        if (!err && found == categories.end())
            err = kErrInvalidParameter;
        if (!err)
            err = sorters[static_cast<std::size_t>(std::distance(categories.begin(), found))]->add(
                root);
    }

    for (std::size_t i = 0; i < categories.size() && !err; ++i) {
        std::vector<int32_t> words;
        err = sorters[i]->produceArray(words);
        sorters[i].reset();
        // The category holds its first word, each word the next one, the last word 0.
        int32_t previous = categories[i];
        for (std::size_t w = 1; w < words.size(); ++w) {
            setCellDirectly(previous, kAttrNextWordInCategory, words[w]);
            previous = words[w];
        }
        if (!err)
            setCellDirectly(previous, kAttrNextWordInCategory, 0);
    }
    return reportError("CTree::prepareTreesForStudentMode", err);
}
