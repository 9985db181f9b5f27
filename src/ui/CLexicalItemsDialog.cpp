#include "ui/CLexicalItemsDialog.h"

#include "app/CLexiconEditing.h"
#include "app/CommandIds.h"
#include "base/ErrorReporter.h"
#include "drawing/CPort.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "render/QtDrawingDevice.h"
#include "storage/CRMemory.h"
#include "storage/CRString.h"
#include "ui/CAuthorMenus.h"
#include "ui/CCategoriesDialog.h"
#include "ui/CFeaturePanel.h"
#include "ui/CFeaturesDialog.h"
#include "ui/CRamexApp.h"
#include "ui/CScriptWindow.h"
#include "ui/CTreeView.h"
#include "ui/CTypingField.h"
#include "ui/RAuthorWindow.h"
#include "ui/ScreenPort.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

const char* const kColorNames[] = {"Black", "White", "Gray",   "Red",  "Orange", "Yellow",
                                   "Green", "Blue",  "Violet", "Cyan", "Magenta"};
const char* const kStyleNames[] = {"Plain", "Bold", "Italic", "Underline"};

QString qText(const CRString* text) {
    return text ? QString::fromStdString(text->str()) : QString();
}

} // namespace

CLexicalItemsDialog::CLexicalItemsDialog(CRamexApp& application)
    : theRamexApp(application),
      typing([this] { return theCTree.get(); }, [this] { redrawUserInterface(); }) {
    setWindowTitle(QStringLiteral("Ramex"));
    // The port measures on an image of the screen's resolution whenever it is not painting.
    measuringDevice = makeMeasuringDevice(*this, measuringImage);
    theCPort = std::make_unique<CPort>();
    theCPort->initializeFonts(measuringDevice.get());
    buildControls();
    buildMenus();
    bindTypingFields();
    resize(sizeHint().expandedTo(QSize(760, 560)));
}

CLexicalItemsDialog::~CLexicalItemsDialog() {
    // The tree area and the fields refer to the grammar; it goes first, without a redraw.
    typing.forget();
    theCTree.reset();
}

void CLexicalItemsDialog::buildControls() {
    auto* client = new QWidget(this);
    setCentralWidget(client);
    auto* columns = new QHBoxLayout(client);

    auto* left = new QVBoxLayout;
    wordListBox = new QListWidget(client);
    wordListBox->setUniformItemSizes(true);
    left->addWidget(wordListBox, 1);
    auto* word = new QFormLayout;
    citeForm = new QLineEdit(client);
    citeCategory = new QComboBox(client);
    word->addRow(QStringLiteral("Cite Form"), citeForm);
    word->addRow(QStringLiteral("Cite Category"), citeCategory);
    left->addLayout(word);
    theCTreeFragmentWnd = new CTreeView(client);
    theCTreeFragmentWnd->setMinimumSize(240, 200);
    left->addWidget(theCTreeFragmentWnd, 2);
    columns->addLayout(left, 1);

    auto* attributes = new QGroupBox(QStringLiteral("Node Attributes"), client);
    auto* right = new QVBoxLayout(attributes);
    auto* node = new QFormLayout;
    nodeType = new QComboBox(attributes);
    nodeType->setMaxVisibleItems(30);
    nodeLabel = new QLineEdit(attributes);
    style = new QComboBox(attributes);
    for (const char* name : kStyleNames)
        style->addItem(QLatin1String(name));
    color = new QComboBox(attributes);
    for (const char* name : kColorNames)
        color->addItem(QLatin1String(name));
    node->addRow(QStringLiteral("Node Type"), nodeType);
    node->addRow(QStringLiteral("Node Label"), nodeLabel);
    node->addRow(QStringLiteral("Style"), style);
    node->addRow(QStringLiteral("Color"), color);
    right->addLayout(node);
    mainTerminal = new QCheckBox(QStringLiteral("Main Terminal Node"), attributes);
    foot = new QCheckBox(QStringLiteral("Foot Node (TAG)"), attributes);
    right->addWidget(mainTerminal);
    right->addWidget(foot);
    auto* featureBox = new QGroupBox(QStringLiteral("Author-defined features"), attributes);
    auto* featureLayout = new QVBoxLayout(featureBox);
    features = new CFeaturePanel(featureBox);
    featureLayout->addWidget(features);
    right->addWidget(featureBox);
    right->addStretch(1);
    columns->addWidget(attributes, 1);

    // Only the user's choices are commands: the program's own settings send no `activated`.
    connect(wordListBox, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            OnSelchangeWordList(row);
    });
    connect(citeCategory, &QComboBox::activated, this,
            [this](int entry) { OnSelchangeCiteCategory(entry); });
    connect(nodeType, &QComboBox::activated, this,
            [this](int entry) { OnSelchangeNodeType(entry); });
    connect(style, &QComboBox::activated, this, [this](int entry) { OnSelchangeStyle(entry); });
    connect(color, &QComboBox::activated, this, [this](int entry) { OnSelchangeColor(entry); });
    connect(mainTerminal, &QCheckBox::clicked, this, [this] { OnMainTerminalNode(); });
    connect(foot, &QCheckBox::clicked, this, [this] { OnFootNode(); });
    features->setScrollHandler(
        [this](int32_t step, int32_t thumb) { OnFeatureScroll(step, thumb); });
    theCTreeFragmentWnd->setSource(nullptr, theCPort.get(),
                                   [this] { return theCurrentlySelectedWord; });
    theCTreeFragmentWnd->setPressHandler([this](int32_t hit, QMouseEvent&) {
        if (hit != 0)
            treeFragmentNodeClick(hit);
    });
}

void CLexicalItemsDialog::installReferences(CCategoriesDialog& categories,
                                            CFeaturesDialog& featureList, CScriptWindow& script) {
    categoriesDialog = &categories;
    featuresDialog = &featureList;
    scriptWindow = &script;
}

void CLexicalItemsDialog::attachAuthorWindow(int32_t windowCode, RAuthorWindow& window) {
    authorWindows[windowCode] = &window;
}

void CLexicalItemsDialog::addCoordinatedMenus(CAuthorMenus& menus) {
    coordinatedMenus.emplace_back(&menus);
}

// ---- Selection -----------------------------------------------------------------------------

void CLexicalItemsDialog::setSelectedWord(int32_t word) {
    if (word == theCurrentlySelectedWord)
        return;
    int32_t root = 0;
    if (theCurrentlySelectedNode != 0 &&
        (!theCTree || !theCTree->verifyNode(theCurrentlySelectedNode) ||
         theCTree->findRoot(theCurrentlySelectedNode, root) || root != word))
        setSelectedNode(0);
    theCurrentlySelectedWord = word;
    const int32_t position = positionInList(sortedWords, word);
    const QSignalBlocker quiet(wordListBox);
    wordListBox->setCurrentRow(position - 1);
    theCTreeFragmentWnd->update();
}

void CLexicalItemsDialog::setSelectedNode(int32_t node) {
    if (node == theCurrentlySelectedNode)
        return;
    // The mark is drawn, not undone: it is written directly.
    if (theCTree && theCurrentlySelectedNode != 0 && theCTree->verifyNode(theCurrentlySelectedNode))
        theCTree->setSelectedValue(theCurrentlySelectedNode, 0);
    if (theCTree && node != 0 && theCTree->verifyNode(node))
        theCTree->setSelectedValue(node, 1);
    theCurrentlySelectedNode = node;
    theCTreeFragmentWnd->update();
}

bool CLexicalItemsDialog::haveNode() const {
    return theCTree && theCurrentlySelectedNode != 0;
}

void CLexicalItemsDialog::treeFragmentNodeClick(int32_t node) {
    typing.forget();
    setSelectedNode(node);
    theCTreeFragmentWnd->update();
    redrawUserInterface();
}

void CLexicalItemsDialog::OnSelchangeWordList(int32_t row) {
    const int32_t count = sortedWords.empty() ? 0 : sortedWords[0];
    if (row < 0 || row >= count) {
        bug("CLexicalItemsDialog::OnSelchangeWordList", kErrGeneral);
        return;
    }
    typing.forget();
    setSelectedWord(sortedWords[row + 1]);
    theCTreeFragmentWnd->update();
    redrawUserInterface();
}

// ---- User-interface tasks ------------------------------------------------------------------

RErr CLexicalItemsDialog::doUserInterfaceUndoTask(int32_t taskCode, int32_t value) {
    switch (taskCode) {
    case kTaskRebuildWords:
    case kTaskRebuildCategories:
    case kTaskRebuildFeatures:
        userInterfaceFlag[taskCode - 1] = true;
        return kNoErr;
    case kTaskInvalidateTree:
        theCTreeFragmentWnd->update();
        return kNoErr;
    case kTaskSelectNode:
        nodeToBeSelected = value;
        return kNoErr;
    case kTaskSelectWord:
        wordToBeSelected = value;
        return kNoErr;
    case kTaskSelectCategory:
    case kTaskSelectFeature: {
        const auto window = authorWindows.find(taskCode == kTaskSelectCategory ? 72 : 73);
        return window == authorWindows.end() ? kNoErr : window->second->requestSelection(value);
    }
    case kTaskShowEditor:
        if (isVisible())
            raise();
        return kNoErr;
    case kTaskShowCategories:
    case kTaskShowFeatures:
    case kTaskShowScript: {
        QWidget* window = taskCode == kTaskShowCategories ? static_cast<QWidget*>(categoriesDialog)
                          : taskCode == kTaskShowFeatures ? static_cast<QWidget*>(featuresDialog)
                                                          : static_cast<QWidget*>(scriptWindow);
        if (window) {
            window->show();
            window->raise();
        }
        return kNoErr;
    }
    case kTaskRefreshDrawing:
        refreshDrawing = true;
        return kNoErr;
    default:
        return reportError("CLexicalItemsDialog::doUserInterfaceUndoTask", kErrGeneral);
    }
}

bool CLexicalItemsDialog::queryUserInterfaceFlag(int32_t which) const {
    return which >= 1 && which <= 3 && userInterfaceFlag[which - 1];
}

RErr CLexicalItemsDialog::getSortedList(int32_t which, const std::vector<int32_t>*& list) const {
    list = nullptr;
    switch (which) {
    case 1:
        list = &sortedWords;
        return kNoErr;
    case 2:
        list = &sortedCategories;
        return kNoErr;
    case 3:
        list = &sortedFeatures;
        return kNoErr;
    default:
        return reportError("CLexicalItemsDialog::getSortedList", kErrInvalidParameter);
    }
}

// ---- Redrawing -----------------------------------------------------------------------------

RErr CLexicalItemsDialog::fetchSortedLists() {
    if (userInterfaceFlag[1])
        userInterfaceFlag[0] = true;
    RErr err = kNoErr;
    // A citation form being typed changes one entry in place; the list is sorted again when
    // the run ends.
    if (userInterfaceFlag[0] && typing.inProgress()) {
        userInterfaceFlag[0] = false;
        wordListNeedsSorting = true;
        const int32_t position = positionInList(sortedWords, theCurrentlySelectedWord);
        if (position > 0 && wordListBox->item(position - 1))
            wordListBox->item(position - 1)->setText(wordEntry(theCurrentlySelectedWord));
    } else if (wordListNeedsSorting && !typing.inProgress()) {
        userInterfaceFlag[0] = true;
        wordListNeedsSorting = false;
    }
    if (userInterfaceFlag[0])
        err = theCTree->getSortedList(viewAlphabeticallyNotByCategory ? 1 : 2, sortedWords);
    if (!err && userInterfaceFlag[1])
        err = theCTree->getSortedList(3, sortedCategories);
    if (!err && userInterfaceFlag[2])
        err = theCTree->getSortedList(4, sortedFeatures);
    return err;
}

void CLexicalItemsDialog::applyRequestedSelections() {
    if (wordToBeSelected != -1) {
        setSelectedWord(wordToBeSelected);
        wordToBeSelected = -1;
    }
    if (nodeToBeSelected != -1) {
        int32_t root = 0;
        // A node of another tree brings its word along.
        const bool exists = nodeToBeSelected != 0 && theCTree->verifyNode(nodeToBeSelected);
        if (exists && !theCTree->findRoot(nodeToBeSelected, root) &&
            root != theCurrentlySelectedWord)
            setSelectedWord(root);
        setSelectedNode(exists ? nodeToBeSelected : 0);
        nodeToBeSelected = -1;
    }
}

void CLexicalItemsDialog::dropSelectionsThatAreGone() {
    // Whatever undo and redo did, the editor never shows a word or node that is gone.
    int32_t root = 0;
    const bool nodeGone =
        theCurrentlySelectedNode != 0 &&
        (!theCTree->verifyNode(theCurrentlySelectedNode) ||
         theCTree->findRoot(theCurrentlySelectedNode, root) || root != theCurrentlySelectedWord);
    if (nodeGone) {
        if (theCTree->verifyNode(theCurrentlySelectedNode))
            theCTree->setSelectedValue(theCurrentlySelectedNode, 0);
        theCurrentlySelectedNode = 0;
    }
    if (theCurrentlySelectedWord != 0 &&
        positionInList(sortedWords, theCurrentlySelectedWord) == 0) {
        theCurrentlySelectedWord = 0;
        setSelectedNode(0);
    }
}

RErr CLexicalItemsDialog::attachPort() {
    return attachDocumentPort(*theCTree, *theCPort);
}

void CLexicalItemsDialog::redrawUserInterface() {
    const int32_t mode = theRamexApp.getMode();
    if (!theCTree || (mode != kModeSwitchingToAuthor && mode != kModeAuthor)) {
        updateMenus();
        return;
    }
    RErr err = kNoErr;
    if (refreshDrawing) {
        refreshDrawing = false;
        err = attachPort();
        theCTreeFragmentWnd->update();
    }
    if (!err)
        err = fetchSortedLists();
    const bool rebuildWords = userInterfaceFlag[0];
    const bool rebuildCategories = userInterfaceFlag[1];
    if (rebuildWords) {
        // The selection's entry is found again in the new list.
        const QSignalBlocker quiet(wordListBox);
        rebuildWordList();
    }
    applyRequestedSelections();
    dropSelectionsThatAreGone();

    updateMenus();
    if (rebuildCategories)
        rebuildCategoryLists();
    updateWordControls();
    updateNodeControls();
    const RErr panelErr = updateScrollPanel();
    if (!err)
        err = panelErr;

    for (const auto& window : authorWindows)
        window.second->updateFromEditor();
    updateCoordinatedMenuItems();

    userInterfaceFlag = {false, false, false};
    CRString::garbageCollection();
    if (err)
        bug("CLexicalItemsDialog::redrawUserInterface", err);
}

QString CLexicalItemsDialog::wordEntry(int32_t word) {
    const CRString* cited = nullptr;
    const CRString* category = nullptr;
    int32_t wordCategory = 0;
    theCTree->getCitationForm(word, cited);
    theCTree->getWordCategory(word, wordCategory);
    if (wordCategory != 0)
        theCTree->getNameString(wordCategory, category);
    return qText(cited) + QStringLiteral(" (") + qText(category) + QLatin1Char(')');
}

void CLexicalItemsDialog::rebuildWordList() {
    QStringList entries;
    const int32_t count = sortedWords.empty() ? 0 : sortedWords[0];
    entries.reserve(count);
    for (int32_t i = 1; i <= count; ++i)
        entries.push_back(wordEntry(sortedWords[i]));
    wordListBox->setUpdatesEnabled(false);
    wordListBox->clear();
    wordListBox->addItems(entries);
    wordListBox->setUpdatesEnabled(true);
    const int32_t position = positionInList(sortedWords, theCurrentlySelectedWord);
    if (position > 0)
        wordListBox->setCurrentRow(position - 1);
    else if (count > 0 && theCurrentlySelectedWord == 0 && wordToBeSelected == -1) {
        // With no word selected the first entry is shown selected; it is then the selection,
        // so that what the list shows is what the controls edit.
        theCurrentlySelectedWord = sortedWords[1];
        wordListBox->setCurrentRow(0);
    }
}

void CLexicalItemsDialog::rebuildCategoryLists() {
    const QSignalBlocker quietCategory(citeCategory);
    const QSignalBlocker quietType(nodeType);
    citeCategory->clear();
    nodeType->clear();
    nodeType->addItem(QStringLiteral("None"));
    const int32_t count = sortedCategories.empty() ? 0 : sortedCategories[0];
    for (int32_t i = 1; i <= count; ++i) {
        const CRString* name = nullptr;
        theCTree->getNameString(sortedCategories[i], name);
        citeCategory->addItem(qText(name));
        for (int32_t projection = 0; projection <= 2; ++projection) {
            std::unique_ptr<CRString> label;
            theCTree->makeNodeLabel(sortedCategories[i], projection, label);
            nodeType->addItem(qText(label.get()));
        }
    }
}

void CLexicalItemsDialog::updateWordControls() {
    const bool word = theCurrentlySelectedWord != 0;
    citeForm->setEnabled(word);
    citeCategory->setEnabled(word);
    const CRString* cited = nullptr;
    int32_t category = 0;
    if (word) {
        theCTree->getCitationForm(theCurrentlySelectedWord, cited);
        theCTree->getWordCategory(theCurrentlySelectedWord, category);
    } else {
        theCTree->getBlessedCategory(category);
    }
    citeFormTyping->showText(cited, 0, 0);
    const QSignalBlocker quiet(citeCategory);
    citeCategory->setCurrentIndex(positionInList(sortedCategories, category) - 1);
}

void CLexicalItemsDialog::updateNodeControls() {
    const bool node = haveNode();
    for (QWidget* control :
         std::initializer_list<QWidget*>{nodeType, nodeLabel, style, color, mainTerminal, foot})
        control->setEnabled(node);
    int32_t category = 0;
    int32_t projection = 0;
    int32_t bits = 0;
    int32_t colorValue = 1;
    int32_t mainTerminalNode = 0;
    int32_t footNode = 0;
    const CRString* label = nullptr;
    if (node) {
        const int32_t n = theCurrentlySelectedNode;
        theCTree->getCategory(n, category);
        theCTree->getProjection(n, projection);
        theCTree->getValue(n, kAttrTextStyle, bits);
        theCTree->getColor(n, colorValue);
        theCTree->getMainString(n, label);
        theCTree->getMainTerminalNode(theCurrentlySelectedWord, mainTerminalNode);
        theCTree->getFootNode(theCurrentlySelectedWord, footNode);
    } else {
        theCTree->getBlessedCategory(category);
    }
    const QSignalBlocker quietType(nodeType);
    nodeType->setCurrentIndex(nodeTypeEntry(sortedCategories, category, projection));
    nodeLabelTyping->showText(label, 0, 0);
    const QSignalBlocker quietStyle(style);
    style->setCurrentIndex(styleEntry(bits));
    const QSignalBlocker quietColor(color);
    color->setCurrentIndex(colorValue >= 1 && colorValue <= 11 ? colorValue - 1 : 0);
    mainTerminal->setChecked(node && mainTerminalNode == theCurrentlySelectedNode);
    foot->setChecked(node && footNode == theCurrentlySelectedNode);
}
