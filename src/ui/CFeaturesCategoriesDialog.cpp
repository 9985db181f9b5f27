#include "ui/CFeaturesCategoriesDialog.h"

#include "app/NameListSteps.h"
#include "base/ErrorReporter.h"
#include "base/Platform.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "ui/CAuthorMenus.h"
#include "ui/CLexicalItemsDialog.h"
#include "ui/CRamexApp.h"
#include "ui/CTypingField.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

CFeaturesCategoriesDialog::CFeaturesCategoriesDialog(CRamexApp& application,
                                                     const RNameListKind& kind)
    : theRamexApp(application), theKind(kind), theArray{0} {
    setWindowTitle(QString::fromUtf8(kind.title));
    auto* area = new QWidget(this);
    auto* row = new QHBoxLayout(area);
    theList = new QListWidget(area);
    theList->setSelectionMode(QAbstractItemView::SingleSelection);
    row->addWidget(theList, 2);
    auto* column = new QVBoxLayout;
    theNewButton = new QPushButton(QStringLiteral("New"), area);
    theRemoveButton = new QPushButton(QStringLiteral("Remove"), area);
    theNameField = new QLineEdit(area);
    column->addWidget(theNewButton);
    column->addWidget(theRemoveButton);
    column->addSpacing(12);
    column->addWidget(theNameField);
    column->addStretch(1);
    row->addLayout(column, 1);
    setCentralWidget(area);
    resize(300, 260);
    CLexicalItemsDialog& editor = theRamexApp.lexicalItemsDialog();
    theMenus = new CAuthorMenus(*menuBar(), *this, editor);
    theTyping = new CTypingField(*theNameField, editor.typingRuns(), [this](RTypingField& field) {
        if (theSelection == 0)
            return reportError("CFeaturesCategoriesDialog::beforeTyping", kErrInvalidParameter);
        field.record = theSelection;
        field.attribute = kAttrLabel;
        return kNoErr;
    });
    editor.attachAuthorWindow(kind.windowCode, *this);
    connect(theNewButton, &QPushButton::clicked, this, [this] { OnNewButton(); });
    connect(theRemoveButton, &QPushButton::clicked, this, [this] { OnDeleteButton(); });
    connect(theList, &QListWidget::currentRowChanged, this, [this](int listRow) {
        if (listRow >= 0)
            OnSelectRow(listRow);
    });
    updateLocalControls();
}

void CFeaturesCategoriesDialog::initializeUserInterface() {
    theSelection = 0;
    itemToBeSelected = -1;
}

void CFeaturesCategoriesDialog::setSelection(int32_t record) {
    const auto begin = theArray.begin() + 1;
    auto found = std::find(begin, theArray.end(), record);
    if (record == 0 || found == theArray.end())
        found = begin;
    theSelection = found == theArray.end() ? 0 : *found;
    const int row = theSelection ? static_cast<int>(found - begin) : -1;
    if (theList->currentRow() != row) {
        const QSignalBlocker quiet(theList);
        theList->setCurrentRow(row);
    }
}

void CFeaturesCategoriesDialog::rebuildListIfChanged(CTree& tree) {
    // The list follows the grammar: names are compared, so a rename shows as well.
    QStringList names;
    for (std::size_t i = 1; i < theArray.size(); ++i)
        names << QString::fromStdString(NameListSteps::nameOf(tree, theArray[i]));
    bool same = theList->count() == names.size();
    for (int i = 0; same && i < names.size(); ++i)
        same = theList->item(i)->text() == names[i];
    if (same)
        return;
    const QSignalBlocker quiet(theList);
    theList->clear();
    theList->addItems(names);
}

void CFeaturesCategoriesDialog::updateLocalControls() {
    CTree* tree = theRamexApp.getCTree();
    if (tree != shownTree) {
        initializeUserInterface();
        shownTree = tree;
    }
    theArray.assign(1, 0);
    if (tree && NameListSteps::sortedRecords(*tree, theKind, theArray))
        theArray.assign(1, 0);
    if (itemToBeSelected >= 0) {
        theSelection = itemToBeSelected;
        itemToBeSelected = -1;
    }
    if (tree)
        rebuildListIfChanged(*tree);
    else {
        const QSignalBlocker quiet(theList);
        theList->clear();
    }
    setSelection(theSelection);
    theNameField->setEnabled(theSelection != 0);
    if (tree && theSelection) {
        const QString name = QString::fromStdString(NameListSteps::nameOf(*tree, theSelection));
        theTyping->showText(name, 0, 0);
    } else {
        theTyping->showText(QString(), 0, 0);
    }
    theNewButton->setEnabled(tree != nullptr);
    theRemoveButton->setEnabled(tree && NameListSteps::canRemove(*tree, theKind, theSelection));
}

void CFeaturesCategoriesDialog::updateLocalMenus() {
    theMenus->updateEditItems(theKind.windowsMenuItem);
}

void CFeaturesCategoriesDialog::updateFromEditor() {
    updateLocalMenus();
    updateLocalControls();
}

RErr CFeaturesCategoriesDialog::showTypedText(int32_t record, int32_t attribute,
                                              const CRString* text, int32_t selectionStart,
                                              int32_t selectionEnd) {
    if (attribute != kAttrLabel)
        return reportError("CFeaturesCategoriesDialog::showTypedText", kErrInvalidParameter);
    return notifyUserInterfaceOfTypingTask(record, text, selectionStart, selectionEnd);
}

RErr CFeaturesCategoriesDialog::requestSelection(int32_t record) {
    return doUserInterfaceUndoTask(theKind.selectTask, record);
}

void CFeaturesCategoriesDialog::showEvent(QShowEvent* event) {
    updateLocalControls();
    QMainWindow::showEvent(event);
}

RErr CFeaturesCategoriesDialog::doUserInterfaceUndoTask(int32_t taskCode, int32_t index) {
    if (taskCode != theKind.selectTask)
        return reportError("CFeaturesCategoriesDialog::doUserInterfaceUndoTask",
                           kErrInvalidParameter);
    itemToBeSelected = index;
    return kNoErr;
}

RErr CFeaturesCategoriesDialog::notifyUserInterfaceOfTypingTask(int32_t record,
                                                                const CRString* text,
                                                                int32_t selectionStart,
                                                                int32_t selectionEnd) {
    // The list may not know the record yet; the next update selects it then.
    itemToBeSelected = record;
    setSelection(record);
    theTyping->showText(text, selectionStart, selectionEnd);
    return kNoErr;
}

void CFeaturesCategoriesDialog::redraw() {
    // The editor's redraw updates this window too.
    theRamexApp.lexicalItemsDialog().redrawUserInterface();
}

void CFeaturesCategoriesDialog::OnNewButton() {
    CTree* tree = theRamexApp.getCTree();
    if (!tree)
        return;
    // A command ends any typing run.
    theRamexApp.lexicalItemsDialog().typingRuns().forget();
    int32_t record = 0;
    const RErr err = NameListSteps::addName(*tree, theKind, record);
    if (!err)
        itemToBeSelected = record;
    redraw();
    if (err)
        bug("CFeaturesCategoriesDialog::OnNewButton", err);
}

void CFeaturesCategoriesDialog::OnDeleteButton() {
    CTree* tree = theRamexApp.getCTree();
    if (!tree || !NameListSteps::canRemove(*tree, theKind, theSelection))
        return;
    theRamexApp.lexicalItemsDialog().typingRuns().forget();
    bool refused = false;
    const RErr err = NameListSteps::removeName(*tree, theKind, theSelection, refused);
    if (refused) {
        MessageRequest box;
        box.title = kCategoryInUseCaption;
        box.text = kCategoryInUseText;
        currentPlatform().showMessage(box);
        return;
    }
    if (!err)
        itemToBeSelected = 0;
    redraw();
    if (err)
        bug("CFeaturesCategoriesDialog::OnDeleteButton", err);
}

void CFeaturesCategoriesDialog::OnSelectRow(int row) {
    if (row < 0 || row + 1 >= static_cast<int>(theArray.size())) {
        bug("CFeaturesCategoriesDialog::OnSelectRow", kErrGeneral);
        return;
    }
    setSelection(theArray[static_cast<std::size_t>(row) + 1]);
    redraw();
}
