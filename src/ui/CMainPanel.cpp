#include "ui/CMainPanel.h"

#include "app/LexiconChoice.h"
#include "app/PanelGeometry.h"
#include "model/CTree.h"
#include "storage/CRString.h"
#include "ui/CTreeView.h"
#include "ui/ToolImages.h"

#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>

namespace {

const char* const kToolCaptions[3] = {"Arrow", "Scissors", "Spyglass"};
const QColor kDarkGray(80, 80, 80);
const QColor kLightGray(200, 200, 200);
constexpr int32_t kFaceMargin = 4;

QRect toQRect(const RRect& rect) {
    return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

QString nameOf(CTree* tree, int32_t record) {
    const CRString* name = nullptr;
    if (!tree || tree->getMainString(record, name) || !name)
        return QString();
    return QString::fromStdString(name->str());
}

QString citationOf(CTree* tree, int32_t word) {
    const CRString* text = nullptr;
    if (!tree || tree->getCitationForm(word, text) || !text)
        return QString();
    return QString::fromStdString(text->str());
}

} // namespace

CMainPanel::CMainPanel(RMainPanelOwner& ownerIn, QWidget* parent)
    : QWidget(parent), owner(ownerIn) {
    setFixedWidth(panel::kPanelWidth);
    setAutoFillBackground(true);
    QPalette gray = palette();
    gray.setColor(QPalette::Window, gray.color(QPalette::Button));
    setPalette(gray);

    for (int32_t tool = 1; tool <= 3; ++tool) {
        auto* button = new QToolButton(this);
        button->setText(QString::fromLatin1(kToolCaptions[tool - 1]));
        button->setToolTip(button->text());
        button->setCheckable(true);
        button->setAutoRaise(false);
        button->setFocusPolicy(Qt::NoFocus);
        button->setGeometry(toQRect(panel::toolButtonRect(tool)));
        button->setIconSize(button->size() - QSize(2 * kFaceMargin, 2 * kFaceMargin));
        connect(button, &QToolButton::clicked, this,
                [this, tool] { owner.toolButtonClicked(tool); });
        tools[static_cast<std::size_t>(tool - 1)] = button;
    }

    for (int32_t k = 1; k <= kMostButtons; ++k) {
        auto* button = new QPushButton(this);
        button->setCheckable(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setGeometry(toQRect(panel::categoryButtonRect(k)));
        button->hide();
        connect(button, &QPushButton::clicked, this, [this, k] { categoryClicked(k); });
        buttons[static_cast<std::size_t>(k - 1)] = button;
    }
    buttons[0]->setChecked(true);
    moreMenu = new QMenu(this);

    lexiconList = new QListWidget(this);
    lexiconList->setFrameShape(QFrame::NoFrame);
    lexiconList->setSelectionMode(QAbstractItemView::SingleSelection);
    lexiconList->setGeometry(10, 100, panel::kPanelWidth - 20, 122);
    lexiconList->hide();
    connect(lexiconList, &QListWidget::itemSelectionChanged, this, [this] {
        owner.closePopUp();
        previewView->update();
    });

    previewView = new CTreeView(this);
    previewView->setPressHandler(
        [this](int32_t, QMouseEvent& event) { owner.previewPressed(event); });
    previewView->setMoveHandler([this](QMouseEvent& event) { owner.previewMoved(event); },
                                [this](QMouseEvent& event) { owner.previewReleased(event); });
    previewView->hide();

    grammarLabelItem = new QLabel(QStringLiteral("Current Grammar:\nFiller text!"), this);
    grammarLabelItem->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    grammarLabelItem->setWordWrap(true);
    QFont italic = grammarLabelItem->font();
    italic.setItalic(true);
    grammarLabelItem->setFont(italic);
    placeGrammarLabel();
}

// ---- Tools ---------------------------------------------------------------------------------

QToolButton* CMainPanel::toolButton(int32_t tool) const {
    return tool >= 1 && tool <= 3 ? tools[static_cast<std::size_t>(tool - 1)] : nullptr;
}

void CMainPanel::showCurrentTool(int32_t tool) {
    for (int32_t t = 1; t <= 3; ++t) {
        QToolButton* button = toolButton(t);
        button->setChecked(t == tool);
        button->setIcon(toolFace(t, t == tool, button->iconSize()));
    }
}

void CMainPanel::setToolButtonVisible(int32_t tool, bool visible) {
    if (QToolButton* button = toolButton(tool))
        button->setVisible(visible);
}

// ---- Categories and words ------------------------------------------------------------------

void CMainPanel::setDocument(CTree* tree, CPort* port) {
    theCTree = tree;
    theCPort = port;
    previewView->setSource(tree, port, [this] { return currentlySelectedTree(); });
    if (!tree) {
        sortedCategories.clear();
        listedWords.clear();
        lexiconList->clear();
    }
}

QPushButton* CMainPanel::categoryButton(int32_t k) const {
    return k >= 1 && k <= kMostButtons ? buttons[static_cast<std::size_t>(k - 1)] : nullptr;
}

RErr CMainPanel::showLexicon(bool visible) {
    lexiconVisible = visible && theCTree != nullptr;
    RErr err = kNoErr;
    if (lexiconVisible) {
        err = categoriesWithWords(*theCTree, sortedCategories);
        const int32_t count = topCategory();
        const int32_t inUse = panel::buttonsInUse(count);
        const bool overflow = panel::lastButtonOpensMenu(count);
        moreMenu->clear();
        for (int32_t k = 1; k <= kMostButtons; ++k) {
            QPushButton* button = categoryButton(k);
            if (k > inUse) {
                button->hide();
                continue;
            }
            button->setText(nameOf(theCTree, sortedCategories[static_cast<std::size_t>(k - 1)]));
            button->show();
        }
        if (overflow) {
            // The last button lists every category from the 40th on.
            for (int32_t k = kMostButtons; k <= count; ++k) {
                QAction* item = moreMenu->addAction(
                    nameOf(theCTree, sortedCategories[static_cast<std::size_t>(k - 1)]));
                connect(item, &QAction::triggered, this, [this, k] {
                    owner.closePopUp();
                    chooseCategory(k);
                });
            }
        }
        // A category number kept from another grammar may be beyond this one's.
        const int32_t usable = usableCategoryIndex(current, count);
        current = usable == 0 ? 1 : usable;
        showChecks();
        placeLexicon();
        lexiconList->show();
        previewView->show();
        rebuildLexiconList();
    } else {
        for (QPushButton* button : buttons)
            button->hide();
        lexiconList->hide();
        previewView->hide();
    }
    update();
    return err;
}

void CMainPanel::categoryClicked(int32_t k) {
    owner.closePopUp();
    if (k == kMostButtons && panel::lastButtonOpensMenu(topCategory())) {
        // The button keeps showing the choice until a category is taken from the menu.
        categoryButton(k)->setChecked(current >= kMostButtons);
        QPushButton* button = categoryButton(k);
        moreMenu->popup(button->mapToGlobal(QPoint(0, button->height())));
        return;
    }
    chooseCategory(k);
}

void CMainPanel::chooseCategory(int32_t k) {
    if (k < 1 || k > topCategory())
        return;
    if (k != current) {
        current = k;
        rebuildLexiconList();
    }
    showChecks();
}

void CMainPanel::showChecks() {
    const int32_t count = topCategory();
    for (int32_t k = 1; k <= kMostButtons; ++k)
        categoryButton(k)->setChecked(k == std::min(current, kMostButtons));
    if (panel::lastButtonOpensMenu(count)) {
        const QString chosen =
            current >= kMostButtons && current <= count
                ? nameOf(theCTree, sortedCategories[static_cast<std::size_t>(current - 1)])
                : QStringLiteral("More");
        categoryButton(kMostButtons)->setText(chosen + QStringLiteral(" \u25BE"));
    }
}

void CMainPanel::rebuildLexiconList() {
    lexiconList->clearSelection();
    lexiconList->clear();
    listedWords.clear();
    if (theCTree && current >= 1 && current <= topCategory())
        wordsOfCategory(*theCTree, sortedCategories[static_cast<std::size_t>(current - 1)],
                        listedWords);
    for (int32_t word : listedWords)
        lexiconList->addItem(citationOf(theCTree, word));
    previewView->update();
}

int32_t CMainPanel::currentlySelectedTree() const {
    const int32_t row = lexiconList->currentRow();
    if (row < 0 || !lexiconList->item(row) || !lexiconList->item(row)->isSelected() ||
        static_cast<std::size_t>(row) >= listedWords.size())
        return 0;
    return listedWords[static_cast<std::size_t>(row)];
}

// ---- Geometry and painting -----------------------------------------------------------------

void CMainPanel::placeLexicon() {
    const int32_t inUse = panel::buttonsInUse(topCategory());
    lexiconList->setGeometry(toQRect(panel::wordListRect(inUse)));
    previewView->setGeometry(toQRect(panel::previewRect(inUse)));
}

QRect CMainPanel::previewRect() const {
    return previewView->geometry();
}

void CMainPanel::placeGrammarLabel() {
    grammarLabelItem->setGeometry(toQRect(panel::grammarLabelRect(height())));
}

void CMainPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeGrammarLabel();
}

void CMainPanel::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (!lexiconVisible)
        return;
    QPainter painter(this);
    for (const QWidget* framed :
         {static_cast<const QWidget*>(previewView), static_cast<const QWidget*>(lexiconList)}) {
        const QRect box = framed->geometry();
        // Inclusive edges: the bevel hugs the rectangle from outside.
        const RRect edges{box.top(), box.left(), box.bottom(), box.right()};
        for (const panel::RBevelLine& line : panel::sunkenBevel(edges)) {
            painter.setPen(QPen(line.dark ? kDarkGray : kLightGray, 1));
            painter.drawLine(line.h1, line.v1, line.h2, line.v2);
        }
    }
}
