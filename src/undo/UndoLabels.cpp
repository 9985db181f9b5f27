#include "undo/UndoLabels.h"

#include <array>

namespace {

// Indexed by label; the first two open lists that are cleared at once and never shown.
constexpr std::array<const char*, kUndoLabelCount> kUndoTexts = {
    "",
    "",
    "Typing",
    "New Tree",
    "Create Daughter",
    "Create Sister",
    "Create Mother",
    "Change Color",
    "Change Category",
    "Change Attribute",
    "Delete Node",
    "New Category",
    "Delete Category",
    "New Feature",
    "Delete Feature",
    "Duplicate Word",
    "Clear Word",
    "Drag",
    "Scissors",
    "Magnifying Glass",
    "Menu",
    "Triangle",
    "Drawing Preferences",
};

} // namespace

const char* undoString(int32_t label) {
    if (label < 0 || label >= kUndoLabelCount)
        return "";
    return kUndoTexts[static_cast<std::size_t>(label)];
}
