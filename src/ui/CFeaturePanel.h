#pragma once

#include "app/LexiconEditorRules.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>

class CTypingField;
class CTypingRuns;
class QLabel;
class QLineEdit;
class QScrollBar;
struct RTypingField;

// The lexicon editor's four rows of author-defined features (a name and the selected node's
// value) and the scroll bar that moves them through the grammar's features. What the rows
// show is decided by CFeatureRows; the editor fills them.
class CFeaturePanel : public QWidget {
public:
    explicit CFeaturePanel(QWidget* parent);

    // Each row's value is a typing field; `locate` says which cell row r (1..4) stands for.
    void bindTyping(CTypingRuns& runs, std::function<RErr(int32_t row, RTypingField&)> locate);
    // Told of the scroll bar's actions: the step (-3, -1, +1, +3), or 0 and the thumb's place
    // when it is released.
    void setScrollHandler(std::function<void(int32_t step, int32_t thumb)> handler);

    CFeatureRows& rows() { return theRows; }
    QLabel& rowLabel(int32_t row) const { return *labels.at(row - 1); }
    QLineEdit& rowField(int32_t row) const { return *fields.at(row - 1); }
    CTypingField& rowTyping(int32_t row) const { return *typings.at(row - 1); }
    QScrollBar& scrollBar() const { return *bar; }
    // Control ids 271, 273, 275, 277 of the rows' values.
    static int32_t dialogItemOfRow(int32_t row) { return 269 + 2 * row; }

private:
    CFeatureRows theRows;
    std::array<QLabel*, CFeatureRows::kRows> labels{};
    std::array<QLineEdit*, CFeatureRows::kRows> fields{};
    std::array<CTypingField*, CFeatureRows::kRows> typings{};
    QScrollBar* bar = nullptr;
    std::function<void(int32_t, int32_t)> scrolled;
};
