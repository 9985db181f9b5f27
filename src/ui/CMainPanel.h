#pragma once

#include "base/ErrorCodes.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <vector>

class CPort;
class CTree;
class CTreeView;
class QLabel;
class QListWidget;
class QMenu;
class QMouseEvent;
class QPushButton;
class QToolButton;

// What the panel tells the main window.
class RMainPanelOwner {
public:
    virtual ~RMainPanelOwner() = default;
    virtual void toolButtonClicked(int32_t tool) = 0;
    virtual void closePopUp() = 0;
    virtual void previewPressed(QMouseEvent& event) = 0;
    virtual void previewMoved(QMouseEvent& event) = 0;
    virtual void previewReleased(QMouseEvent& event) = 0;
};

// The left panel of the main window: the tool buttons, the category buttons of the grammar's
// categories that have words, the word list of the chosen category, the preview of the
// chosen word and the grammar label, placed by the fixed panel geometry.
class CMainPanel : public QWidget {
public:
    static constexpr int32_t kMostButtons = 40;

    CMainPanel(RMainPanelOwner& owner, QWidget* parent);

    // --- Tools ---
    // Unchecks all three and checks `tool` with its light face.
    void showCurrentTool(int32_t tool);
    void setToolButtonVisible(int32_t tool, bool visible);
    QToolButton* toolButton(int32_t tool) const;

    // --- The lexicon part ---
    void setDocument(CTree* tree, CPort* port);
    // Shows (rebuilding the category buttons and the word list) or hides the lexicon part.
    RErr showLexicon(bool visible);
    bool lexiconShown() const { return lexiconVisible; }
    // k from 1: checks button k (or the overflow choice), rebuilds the list.
    void chooseCategory(int32_t k);
    int32_t currentCategory() const { return current; }
    int32_t topCategory() const { return static_cast<int32_t>(sortedCategories.size()); }
    const std::vector<int32_t>& categories() const { return sortedCategories; }
    QPushButton* categoryButton(int32_t k) const;
    // The menu of the categories beyond the 39th, when there are more than 40.
    QMenu* overflowMenu() const { return moreMenu; }
    QListWidget* wordList() const { return lexiconList; }
    // The word chosen in the list, 0 when none.
    int32_t currentlySelectedTree() const;
    CTreeView* preview() const { return previewView; }
    QRect previewRect() const;
    QLabel* grammarLabel() const { return grammarLabelItem; }

    // The grammar label keeps its place above the bottom edge.
    void placeGrammarLabel();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void rebuildLexiconList();
    void placeLexicon();
    void categoryClicked(int32_t k);
    void showChecks();

    RMainPanelOwner& owner;
    CTree* theCTree = nullptr;
    CPort* theCPort = nullptr;
    std::array<QToolButton*, 3> tools{};
    std::array<QPushButton*, kMostButtons> buttons{};
    QMenu* moreMenu = nullptr;
    QListWidget* lexiconList = nullptr;
    CTreeView* previewView = nullptr;
    QLabel* grammarLabelItem = nullptr;
    std::vector<int32_t> sortedCategories;
    std::vector<int32_t> listedWords;
    int32_t current = 1;
    bool lexiconVisible = false;
};
