#pragma once

#include "base/ErrorCodes.h"

#include <cstdint>
#include <vector>

// The lexicon editor's rules that need no window: how its lists map to what they stand for.
// Counted arrays hold the count in element 0 and the records in 1..n.

// The node-type list: "None", then three entries per category (bar levels 0, 1, 2). Entry 0 is
// category 0 at projection -1; an unknown category or projection gives entry 0.
int32_t nodeTypeEntry(const std::vector<int32_t>& sortedCategories, int32_t category,
                      int32_t projection);
// False for an entry outside the list.
bool nodeTypeOfEntry(const std::vector<int32_t>& sortedCategories, int32_t entry, int32_t& category,
                     int32_t& projection);

// The style list: 0 "Plain", 1 "Bold", 2 "Italic", 3 "Underline". A node with several styles
// shows the last of Underline, Italic, Bold that it has.
int32_t styleEntry(int32_t textStyleBits);
// The text-style value an entry adds (0 for Plain clears them); 1000 outside the list.
RErr styleValueOfEntry(int32_t entry, int32_t& value);

// The word to select after `cleared` goes: the list's first word, or its second when the
// first is the one cleared; 0 when no other word is left.
int32_t wordAfterClearing(const std::vector<int32_t>& sortedWords, int32_t cleared);

// The place of a record in a counted array (1..n), 0 when absent.
int32_t positionInList(const std::vector<int32_t>& list, int32_t record);

// The scrolling panel of four feature rows: `position` is the number of features scrolled past.
class CFeatureRows {
public:
    static constexpr int32_t kRows = 4;

    int32_t position() const { return scrollPosition; }
    // The last position the scroll bar offers (0 with four features or fewer).
    static int32_t maximum(const std::vector<int32_t>& sortedFeatures);
    // The feature row `row` (1..4) shows, 0 for none.
    int32_t featureOfRow(const std::vector<int32_t>& sortedFeatures, int32_t row) const;
    // The row of a feature; below 1 or above 4 when it is scrolled out of view, 0 when the
    // feature is not in the list at all.
    int32_t rowOfFeature(const std::vector<int32_t>& sortedFeatures, int32_t feature) const;
    // Scrolls just enough that the feature is on a row; true when the position changed.
    bool makeVisible(const std::vector<int32_t>& sortedFeatures, int32_t feature);
    // Sets a position, clamped to 0..maximum; true when it changed.
    bool scrollTo(const std::vector<int32_t>& sortedFeatures, int32_t wanted);
    // Line up -1, line down +1, page up -3, page down +3.
    static constexpr int32_t kLine = 1;
    static constexpr int32_t kPage = 3;

private:
    int32_t scrollPosition = 0;
};
