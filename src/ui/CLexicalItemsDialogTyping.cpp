#include "ui/CLexicalItemsDialog.h"

#include "base/ErrorReporter.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "ui/CFeaturePanel.h"
#include "ui/CRamexApp.h"
#include "ui/CTreeView.h"
#include "ui/CTypingField.h"
#include "ui/RAuthorWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

// Typing in the editor's fields, the notifications that put typed text back on undo and redo,
// and the scrolling panel of feature rows.

namespace {

constexpr int32_t kCategoriesWindow = 72;
constexpr int32_t kFeaturesWindow = 73;
constexpr int32_t kScriptWindow = 74;

} // namespace

void CLexicalItemsDialog::bindTypingFields() {
    citeFormTyping = new CTypingField(*citeForm, typing, [this](RTypingField& field) {
        if (!theCTree || theCurrentlySelectedWord == 0)
            return reportError("CLexicalItemsDialog::beforeTyping", kErrInvalidParameter);
        field.record = theCurrentlySelectedWord;
        field.attribute = kAttrCitationForm;
        // The main terminal node's label follows the citation form.
        int32_t mainTerminalNode = 0;
        theCTree->getMainTerminalNode(theCurrentlySelectedWord, mainTerminalNode);
        if (mainTerminalNode != 0) {
            field.followingRecord = mainTerminalNode;
            field.followingAttribute = kAttrLabel;
        }
        return kNoErr;
    });
    nodeLabelTyping = new CTypingField(*nodeLabel, typing, [this](RTypingField& field) {
        if (!haveNode())
            return reportError("CLexicalItemsDialog::beforeTyping", kErrInvalidParameter);
        field.record = theCurrentlySelectedNode;
        field.attribute = kAttrLabel;
        return kNoErr;
    });
    features->bindTyping(typing, [this](int32_t row, RTypingField& field) {
        const int32_t feature = features->rows().featureOfRow(sortedFeatures, row);
        int32_t slot = 0;
        RErr err = haveNode() && feature != 0 ? kNoErr : kErrInvalidParameter;
        if (!err)
            err = theCTree->convertToAttributeIndex(feature, slot);
        if (!err && slot == 0)
            err = kErrInvalidParameter;
        field.record = theCurrentlySelectedNode;
        field.attribute = slot;
        return reportError("CLexicalItemsDialog::beforeTyping", err);
    });
}

void CLexicalItemsDialog::afterTyping() {
    typing.afterTyping();
}

void CLexicalItemsDialog::newFocus() {
    typing.newFocus();
}

RErr CLexicalItemsDialog::notifyUserInterfaceOfTypingTask(int32_t record, int32_t attribute,
                                                          const CRString* text,
                                                          int32_t selectionStart,
                                                          int32_t selectionEnd) {
    RErr err = kNoErr;
    int32_t type = 0;
    auto passOn = [&](int32_t windowCode) {
        const auto window = authorWindows.find(windowCode);
        return window == authorWindows.end()
                   ? kNoErr
                   : window->second->showTypedText(record, attribute, text, selectionStart,
                                                   selectionEnd);
    };
    // The script's text needs no grammar here: the script window shows it.
    if (record == kHeaderRecord)
        err = attribute == kHdrScriptText ? passOn(kScriptWindow) : kErrInvalidParameter;
    else
        err = theCTree ? theCTree->getRecordType(record, type) : kErrNotInitialized;
    if (!err && record != kHeaderRecord) {
        switch (type) {
        case kRecordNode:
            err = showWordsTypingTask(record, attribute, text, selectionStart, selectionEnd);
            break;
        case kRecordCategory:
            userInterfaceFlag[1] = true;
            err = passOn(kCategoriesWindow);
            break;
        case kRecordFeature:
            userInterfaceFlag[2] = true;
            err = passOn(kFeaturesWindow);
            break;
        default:
            err = kErrInvalidParameter;
        }
    }
    // Undo and redo redraw once the whole step is back; typing redraws at each keystroke.
    if (!inHistoryStep)
        redrawUserInterface();
    return reportError("CLexicalItemsDialog::notifyUserInterfaceOfTypingTask", err);
}

RErr CLexicalItemsDialog::showWordsTypingTask(int32_t record, int32_t attribute,
                                              const CRString* text, int32_t selectionStart,
                                              int32_t selectionEnd) {
    int32_t root = 0;
    RErr err = theCTree->findRoot(record, root);
    if (err)
        return err;
    setSelectedWord(root);
    if (record != root)
        setSelectedNode(record);
    if (attribute == kAttrLabel) {
        nodeLabelTyping->showText(text, selectionStart, selectionEnd);
        // A label typed is measured again at the next drawing.
        err = theCTree->allTreesDirty();
        theCTreeFragmentWnd->update();
    } else if (attribute == kAttrCitationForm) {
        citeFormTyping->showText(text, selectionStart, selectionEnd);
        userInterfaceFlag[0] = true;
    } else {
        int32_t feature = 0;
        err = theCTree->convertAttributeIndexToFeatureRecord(attribute, feature);
        if (!err && features->rows().makeVisible(sortedFeatures, feature))
            err = updateScrollPanel();
        const int32_t row = features->rows().rowOfFeature(sortedFeatures, feature);
        if (!err && row >= 1 && row <= CFeatureRows::kRows)
            features->rowTyping(row).showText(text, selectionStart, selectionEnd);
    }
    return err;
}

RErr CLexicalItemsDialog::updateScrollPanel() {
    CFeatureRows& rows = features->rows();
    QScrollBar& bar = features->scrollBar();
    // A list that shrank may leave the old position beyond its end.
    rows.scrollTo(sortedFeatures, rows.position());
    const int32_t most = CFeatureRows::maximum(sortedFeatures);
    const int32_t count = sortedFeatures.empty() ? 0 : sortedFeatures[0];
    {
        const QSignalBlocker quiet(&bar);
        bar.setRange(0, most);
        bar.setValue(rows.position());
        bar.setSliderPosition(rows.position());
        bar.setEnabled(count > CFeatureRows::kRows);
    }
    RErr first = kNoErr;
    for (int32_t row = 1; row <= CFeatureRows::kRows; ++row) {
        const int32_t feature = rows.featureOfRow(sortedFeatures, row);
        QLabel& label = features->rowLabel(row);
        QLineEdit& field = features->rowField(row);
        label.setVisible(feature != 0);
        field.setVisible(feature != 0);
        if (feature == 0)
            continue;
        const CRString* name = nullptr;
        const CRString* value = nullptr;
        RErr err = theCTree->getNameString(feature, name);
        if (!err && haveNode())
            err = theCTree->getAuthorFeatureValue(theCurrentlySelectedNode, feature, value);
        label.setText(name ? QString::fromStdString(name->str()) : QString());
        field.setEnabled(haveNode());
        features->rowTyping(row).showText(value, 0, 0);
        if (!first)
            first = err;
    }
    if (first)
        bug("CLexicalItemsDialog::updateScrollPanel", first);
    return first;
}

void CLexicalItemsDialog::OnFeatureScroll(int32_t step, int32_t thumbPosition) {
    CFeatureRows& rows = features->rows();
    const int32_t wanted = step == 0 ? thumbPosition : rows.position() + step;
    if (rows.scrollTo(sortedFeatures, wanted))
        updateScrollPanel();
    else
        features->scrollBar().setSliderPosition(rows.position());
}
