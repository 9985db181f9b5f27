#include "app/LexiconEditorRules.h"

#include <algorithm>

namespace {

int32_t countOf(const std::vector<int32_t>& list) {
    return list.empty() ? 0 : std::min<int32_t>(list[0], static_cast<int32_t>(list.size()) - 1);
}

} // namespace

int32_t positionInList(const std::vector<int32_t>& list, int32_t record) {
    const int32_t n = countOf(list);
    for (int32_t i = 1; i <= n; ++i)
        if (list[i] == record)
            return i;
    return 0;
}

int32_t nodeTypeEntry(const std::vector<int32_t>& sortedCategories, int32_t category,
                      int32_t projection) {
    if (category == 0 || projection < 0 || projection > 2)
        return 0;
    const int32_t position = positionInList(sortedCategories, category);
    return position == 0 ? 0 : (position - 1) * 3 + projection + 1;
}

bool nodeTypeOfEntry(const std::vector<int32_t>& sortedCategories, int32_t entry, int32_t& category,
                     int32_t& projection) {
    category = 0;
    projection = -1;
    if (entry == 0)
        return true;
    if (entry < 0 || entry > countOf(sortedCategories) * 3)
        return false;
    category = sortedCategories[(entry - 1) / 3 + 1];
    projection = (entry - 1) % 3;
    return true;
}

int32_t styleEntry(int32_t bits) {
    int32_t entry = 0;
    if (bits & 4)
        entry = 3;
    if (bits & 1)
        entry = 2;
    if (bits & 2)
        entry = 1;
    return entry;
}

RErr styleValueOfEntry(int32_t entry, int32_t& value) {
    static const int32_t values[] = {0, 2, 1, 4};
    value = 0;
    if (entry < 0 || entry > 3)
        return kErrGeneral;
    value = values[entry];
    return kNoErr;
}

int32_t wordAfterClearing(const std::vector<int32_t>& sortedWords, int32_t cleared) {
    const int32_t n = countOf(sortedWords);
    if (n >= 1 && sortedWords[1] != cleared)
        return sortedWords[1];
    return n >= 2 ? sortedWords[2] : 0;
}

int32_t CFeatureRows::maximum(const std::vector<int32_t>& sortedFeatures) {
    return std::max<int32_t>(0, countOf(sortedFeatures) - kRows);
}

int32_t CFeatureRows::featureOfRow(const std::vector<int32_t>& sortedFeatures, int32_t row) const {
    if (row < 1 || row > kRows || scrollPosition + row > countOf(sortedFeatures))
        return 0;
    return sortedFeatures[scrollPosition + row];
}

int32_t CFeatureRows::rowOfFeature(const std::vector<int32_t>& sortedFeatures,
                                   int32_t feature) const {
    const int32_t position = positionInList(sortedFeatures, feature);
    return position == 0 ? 0 : position - scrollPosition;
}

bool CFeatureRows::makeVisible(const std::vector<int32_t>& sortedFeatures, int32_t feature) {
    if (positionInList(sortedFeatures, feature) == 0)
        return false;
    const int32_t row = rowOfFeature(sortedFeatures, feature);
    int32_t wanted = scrollPosition;
    if (row < 1)
        wanted -= 1 - row;
    if (row > kRows)
        wanted += row - kRows;
    return scrollTo(sortedFeatures, wanted);
}

bool CFeatureRows::scrollTo(const std::vector<int32_t>& sortedFeatures, int32_t wanted) {
    wanted = std::clamp<int32_t>(wanted, 0, maximum(sortedFeatures));
    if (wanted == scrollPosition)
        return false;
    scrollPosition = wanted;
    return true;
}
