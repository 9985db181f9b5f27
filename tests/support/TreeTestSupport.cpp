#include "support/TreeTestSupport.h"

#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "storage/CStringManager.h"
#include "storage/CTablet.h"

#include <set>

DatabaseState captureState(CTree& tree) {
    DatabaseState state;
    state.records = tree.recordCount();
    state.attributes = tree.attributeCount();
    for (int32_t r = 1; r <= state.records; ++r) {
        for (int32_t a = 1; a <= state.attributes; ++a) {
            int32_t value = tree.tablet().cell(r, a);
            if (a == kAttrFishSpine && r != kHeaderRecord)
                value = value != 0 ? 1 : 0;
            state.cells.push_back(value);
            const bool stringCell = r == kHeaderRecord ? (a == kHdrScriptText || a == kHdrFontName)
                                                       : isStringAttribute(a);
            if (stringCell && value != 0) {
                const CRString* text = nullptr;
                tree.stringManager().getPointerToString(value, text);
                state.texts[{r, a}] = text ? text->str() : std::string("<none>");
            }
        }
    }
    return state;
}

::testing::AssertionResult sameStateAllowingGrowth(const DatabaseState& earlier,
                                                   const DatabaseState& now) {
    if (now.records < earlier.records || now.attributes < earlier.attributes)
        return ::testing::AssertionFailure() << "the table shrank";
    for (int32_t r = 1; r <= now.records; ++r) {
        for (int32_t a = 1; a <= now.attributes; ++a) {
            const bool old = r <= earlier.records && a <= earlier.attributes;
            const int32_t expected = old ? earlier.cell(r, a) : 0;
            if (now.cell(r, a) != expected)
                return ::testing::AssertionFailure()
                       << "record " << r << " attribute " << a << " holds " << now.cell(r, a)
                       << ", expected " << expected;
        }
    }
    if (now.texts != earlier.texts)
        return ::testing::AssertionFailure() << "the texts differ";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult stringsAreConsistent(CTree& tree) {
    std::set<int32_t> referenced;
    const DatabaseState state = captureState(tree);
    for (const auto& [where, text] : state.texts) {
        const int32_t id = state.cell(where.first, where.second);
        if (!referenced.insert(id).second)
            return ::testing::AssertionFailure() << "string " << id << " held by two cells";
        int32_t status = 0;
        tree.stringManager().getStringStatus(id, status);
        if (status != CStringManager::kCurrent)
            return ::testing::AssertionFailure() << "string " << id << " is not current";
    }
    for (int32_t id = 1; id <= tree.stringManager().maxArrayIndex(); ++id) {
        int32_t status = 0;
        tree.stringManager().getStringStatus(id, status);
        if (status == CStringManager::kCurrent && !referenced.count(id))
            return ::testing::AssertionFailure() << "string " << id << " current but unused";
    }
    return ::testing::AssertionSuccess();
}
