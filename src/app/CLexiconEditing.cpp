#include "app/CLexiconEditing.h"

#include "base/ErrorReporter.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "script/CMiddleInterface.h"
#include "script/CScript.h"
#include "storage/CRString.h"
#include "undo/CUndoStructure.h"
#include "undo/CUserInterfaceTask.h"
#include "undo/UndoLabels.h"

#include <algorithm>
#include <initializer_list>

namespace {

constexpr int32_t kLexiconEditingCreatorTag = 152;
constexpr int32_t kSmallestFontSize = 8;
constexpr int32_t kLargestFontSize = 144;

} // namespace

RErr CLexiconEditing::open(int32_t label) {
    return theCTree.undoStructure().startTaskList(label);
}

RErr CLexiconEditing::close(const char* name, RErr err) {
    CUndoStructure& undo = theCTree.undoStructure();
    if (undo.isComposing()) {
        const RErr closed = undo.finishTaskList();
        if (!err)
            err = closed;
    }
    if (err)
        bug(name, err);
    return err;
}

RErr CLexiconEditing::task(int32_t code, int32_t undoIndex, int32_t doIndex) {
    CScript* script = theCTree.script();
    if (!script)
        return kErrNotInitialized;
    return CUserInterfaceTask::construct(theCTree.undoStructure(), script->middleInterface(), code,
                                         undoIndex, doIndex);
}

RErr CLexiconEditing::tasks(std::initializer_list<RTaskIndexes> list) {
    RErr err = kNoErr;
    for (const RTaskIndexes& one : list)
        if (!err)
            err = task(one.code, one.undoIndex, one.doIndex);
    return err;
}

RErr CLexiconEditing::initializeNode(int32_t node) {
    int32_t blessed = 0;
    RErr err = theCTree.getBlessedCategory(blessed);
    if (!err)
        err = theCTree.setNodeCategory(node, blessed);
    if (!err)
        err = theCTree.setNodeProjection(node, 0);
    if (!err)
        err = theCTree.autoNodeLabel(node);
    return reportError("CLexicalItemsDialog::initializeNode", err);
}

RErr CLexiconEditing::newArbitraryWordName(int32_t root, int32_t leaf) {
    std::unique_ptr<CRString> name;
    RErr err = theCTree.makeArbitraryString(kRecordNode, name);
    if (!err)
        err = theCTree.setNodeLabel(leaf, *name);
    if (!err)
        err = theCTree.setCitationForm(root, name.get());
    return err;
}

RErr CLexiconEditing::newWord(int32_t previousWord, int32_t& root, int32_t& leaf) {
    root = leaf = 0;
    int32_t blessed = 0;
    RErr err = open(kLabelNewTree);
    if (!err)
        err = theCTree.newRoot(root);
    if (!err)
        err = theCTree.newDaughterToLeft(root, leaf);
    if (!err)
        err = initializeNode(root);
    if (!err)
        err = initializeNode(leaf);
    if (!err)
        err = newArbitraryWordName(root, leaf);
    if (!err)
        err = theCTree.getBlessedCategory(blessed);
    if (!err)
        err = theCTree.setWordCategory(root, blessed);
    if (!err)
        err = theCTree.setMainTerminalNode(root, leaf);
    if (!err)
        err = theCTree.setFootNode(root, 0);
    if (!err)
        err = theCTree.setLowestXBarSpineNode(root, 0);
    if (!err)
        err = tasks({{kTaskInvalidateTree, 0, 0},
                     {kTaskSelectNode, 0, leaf},
                     {kTaskRebuildWords, 0, 0},
                     {kTaskSelectWord, previousWord, root},
                     {kTaskShowEditor, 0, 0}});
    return close("CLexicalItemsDialog::OnNewWord", err);
}

RErr CLexiconEditing::newXBarSpine(int32_t category, int32_t previousWord, int32_t& root,
                                   int32_t& terminal) {
    root = terminal = 0;
    int32_t chain[4] = {0, 0, 0, 0};
    RErr err = theCTree.validateCategoryWithError(category);
    if (!err)
        err = open(kLabelNewTree);
    if (!err)
        err = theCTree.newRoot(chain[0]);
    for (int i = 1; i < 4 && !err; ++i)
        err = theCTree.newDaughterToLeft(chain[i - 1], chain[i]);
    for (int i = 0; i < 4 && !err; ++i)
        err = initializeNode(chain[i]);
    const int32_t projections[4] = {2, 1, 0, -1};
    for (int i = 0; i < 4 && !err; ++i) {
        err = theCTree.setNodeCategory(chain[i], i < 3 ? category : 0);
        if (!err)
            err = theCTree.setNodeProjection(chain[i], projections[i]);
        if (!err)
            err = theCTree.setBelongsToXBarSpine(chain[i]);
        if (!err && i < 3)
            err = theCTree.autoNodeLabel(chain[i]);
    }
    if (!err)
        err = newArbitraryWordName(chain[0], chain[3]);
    if (!err)
        err = theCTree.setWordCategory(chain[0], category);
    if (!err)
        err = theCTree.setMainTerminalNode(chain[0], chain[3]);
    if (!err)
        err = theCTree.setFootNode(chain[0], 0);
    if (!err)
        err = theCTree.setLowestXBarSpineNode(chain[0], chain[2]);
    if (!err)
        err = tasks({{kTaskInvalidateTree, 0, 0},
                     {kTaskSelectNode, 0, chain[3]},
                     {kTaskRebuildWords, 0, 0},
                     {kTaskSelectWord, previousWord, chain[0]},
                     {kTaskShowEditor, 0, 0}});
    if (!err) {
        root = chain[0];
        terminal = chain[3];
    }
    return close("CLexicalItemsDialog::OnXBarSpineItem", err);
}

RErr CLexiconEditing::clearWord(int32_t word, int32_t nextWord) {
    RErr err = theCTree.validateRootWithError(word);
    if (!err)
        err = open(kLabelClearWord);
    if (!err)
        err = theCTree.killRootNode(word);
    if (!err)
        err = tasks({{kTaskInvalidateTree, 0, 0},
                     {kTaskRebuildWords, 0, 0},
                     {kTaskSelectWord, word, nextWord},
                     {kTaskShowEditor, 0, 0}});
    return close("CLexicalItemsDialog::OnClear", err);
}

RErr CLexiconEditing::duplicateWord(int32_t word, int32_t& copy, int32_t& copyMainTerminal) {
    copy = copyMainTerminal = 0;
    RErr err = theCTree.validateRootWithError(word);
    if (!err)
        err = open(kLabelDuplicateWord);
    if (!err)
        err = theCTree.cloneTree(word, copy);
    const CRString* cited = nullptr;
    if (!err)
        err = theCTree.getCitationForm(word, cited);
    std::unique_ptr<CRString> name;
    if (!err)
        name = std::make_unique<CRString>(cited->str() + " copy", kLexiconEditingCreatorTag);
    if (!err)
        err = theCTree.setCitationForm(copy, name.get());
    if (!err)
        err = theCTree.getMainTerminalNode(copy, copyMainTerminal);
    if (!err && copyMainTerminal == 0)
        bug("Unable to find main terminal node (CLexicalItemsDialog::OnDuplicate)", kNoErr);
    if (!err)
        err = theCTree.setNodeLabel(copyMainTerminal != 0 ? copyMainTerminal : copy, *name);
    if (!err)
        err = tasks({{kTaskInvalidateTree, 0, 0},
                     {kTaskSelectNode, 0, copyMainTerminal},
                     {kTaskRebuildWords, 0, 0},
                     {kTaskSelectWord, word, copy},
                     {kTaskShowEditor, 0, 0}});
    return close("CLexicalItemsDialog::OnDuplicate", err);
}

RErr CLexiconEditing::createMother(int32_t node, int32_t& root) {
    root = 0;
    RErr err = theCTree.validateRootWithError(node);
    if (!err)
        err = open(kLabelCreateMother);
    if (!err)
        err = theCTree.newRoot(root);
    if (!err)
        err = initializeNode(root);
    if (!err)
        err = theCTree.moveRootInfo(node, root);
    if (!err)
        err = theCTree.attachDaughterToLeft(node, root);
    if (!err)
        err = tasks({{kTaskRebuildWords, 0, 0},
                     {kTaskInvalidateTree, 0, 0},
                     {kTaskSelectWord, node, root},
                     {kTaskSelectNode, node, root},
                     {kTaskShowEditor, 0, 0}});
    return close("CLexicalItemsDialog::OnCreateMother", err);
}

RErr CLexiconEditing::createDaughter(int32_t node, bool toLeft, int32_t& daughter) {
    daughter = 0;
    RErr err = theCTree.validateNodeWithError(node);
    if (!err)
        err = open(kLabelCreateDaughter);
    if (!err && !toLeft)
        err = task(kTaskShowEditor, 0, 0);
    if (!err)
        err = toLeft ? theCTree.newDaughterToLeft(node, daughter)
                     : theCTree.newDaughterToRight(node, daughter);
    if (!err)
        err = initializeNode(daughter);
    if (!err)
        err = tasks(
            {{kTaskInvalidateTree, 0, 0}, {kTaskSelectNode, 0, daughter}, {kTaskShowEditor, 0, 0}});
    return close(toLeft ? "CLexicalItemsDialog::OnCreateDaughter"
                        : "CLexicalItemsDialog::OnCreateDaughterToRight",
                 err);
}

RErr CLexiconEditing::createSister(int32_t node, bool toLeft, int32_t& sister) {
    sister = 0;
    int32_t mother = 0;
    RErr err = theCTree.getMother(node, mother);
    if (!err && mother == 0)
        err = kErrInvalidParameter;
    if (!err)
        err = open(kLabelCreateSister);
    if (!err)
        err = toLeft ? theCTree.newDaughterToLeft(mother, sister)
                     : theCTree.newDaughterToRight(mother, sister);
    if (!err)
        err = initializeNode(sister);
    if (!err)
        err = tasks(
            {{kTaskInvalidateTree, 0, 0}, {kTaskSelectNode, 0, sister}, {kTaskShowEditor, 0, 0}});
    return close(toLeft ? "CLexicalItemsDialog::OnCreateSisterToLeft"
                        : "CLexicalItemsDialog::OnCreateSisterToRight",
                 err);
}

RErr CLexiconEditing::deleteNode(int32_t word, int32_t node, RDeleteRefusal& refusal,
                                 int32_t& rootAfter) {
    refusal = RDeleteRefusal::None;
    rootAfter = 0;
    int32_t foot = 0;
    int32_t mainTerminal = 0;
    RErr err = theCTree.validateNodeWithError(node);
    if (!err)
        err = theCTree.getFootNode(word, foot);
    if (!err)
        err = theCTree.getMainTerminalNode(word, mainTerminal);
    if (!err && node == foot)
        refusal = RDeleteRefusal::FootNode;
    else if (!err && node == mainTerminal)
        refusal = RDeleteRefusal::MainTerminalNode;
    if (err || refusal != RDeleteRefusal::None)
        return reportError("CLexicalItemsDialog::OnDeleteNode", err);
    err = open(kLabelDeleteNode);
    if (!err)
        err = theCTree.deleteNode(node, rootAfter);
    if (!err)
        err = tasks({{kTaskInvalidateTree, 0, 0},
                     {kTaskSelectNode, node, 0},
                     {kTaskSelectWord, word, rootAfter},
                     {kTaskRebuildWords, 0, 0},
                     {kTaskShowEditor, 0, 0}});
    return close("CLexicalItemsDialog::OnDeleteNode", err);
}

RErr CLexiconEditing::changeWordCategory(int32_t word, int32_t category) {
    RErr err = theCTree.validateRootWithError(word);
    if (!err)
        err = open(kLabelChangeCategory);
    if (!err)
        err = theCTree.setWordCategory(word, category);
    if (!err)
        err = task(kTaskRebuildWords, 0, 0);
    // The spine runs up from its lowest node through mothers that are marked as on it.
    int32_t node = 0;
    if (!err)
        err = theCTree.getLowestXBarSpineNode(word, node);
    while (!err && node != 0) {
        int32_t onSpine = 0;
        err = theCTree.getBelongsToXBarSpine(node, onSpine);
        if (err || !onSpine)
            break;
        err = theCTree.setNodeCategory(node, category);
        if (!err)
            err = theCTree.autoNodeLabel(node);
        if (!err)
            err = theCTree.getMother(node, node);
    }
    if (!err)
        err = tasks(
            {{kTaskSelectWord, word, word}, {kTaskShowEditor, 0, 0}, {kTaskInvalidateTree, 0, 0}});
    return close("CLexicalItemsDialog::OnSelchangeCiteCategory", err);
}

RErr CLexiconEditing::changeNodeType(int32_t word, int32_t node, int32_t category,
                                     int32_t projection) {
    RErr err = theCTree.validateNodeWithError(node);
    if (!err)
        err = open(kLabelChangeAttribute);
    if (!err)
        err = theCTree.setNodeCategory(node, category);
    if (!err)
        err = theCTree.setNodeProjection(node, projection);
    if (!err)
        err = theCTree.autoNodeLabel(node);
    if (!err)
        err = tasks(
            {{kTaskInvalidateTree, 0, 0}, {kTaskSelectWord, word, word}, {kTaskShowEditor, 0, 0}});
    return close("CLexicalItemsDialog::OnSelchangeNodeType", err);
}

RErr CLexiconEditing::changeLook(int32_t node, bool styleNotColor, int32_t value) {
    RErr err = theCTree.validateNodeWithError(node);
    if (!err)
        err = open(kLabelChangeColor);
    if (!err)
        err =
            styleNotColor ? theCTree.addTextAttribute(node, value) : theCTree.setColor(node, value);
    // A bold or italic label has another width.
    if (!err && styleNotColor)
        err = theCTree.treeDirty(node);
    if (!err)
        err = tasks(
            {{kTaskInvalidateTree, 0, 0}, {kTaskSelectNode, node, node}, {kTaskShowEditor, 0, 0}});
    return close(styleNotColor ? "CLexicalItemsDialog::OnSelchangeStyle"
                               : "CLexicalItemsDialog::OnSelchangeColor",
                 err);
}

RErr CLexiconEditing::changeStyle(int32_t node, int32_t value) {
    return changeLook(node, true, value);
}

RErr CLexiconEditing::changeColor(int32_t node, int32_t color) {
    return changeLook(node, false, color);
}

RErr CLexiconEditing::setRootReference(bool foot, int32_t word, int32_t node, bool& changed) {
    const char* name =
        foot ? "CLexicalItemsDialog::OnFootNode" : "CLexicalItemsDialog::OnMainTerminalNode";
    changed = false;
    int32_t old = 0;
    RErr err = theCTree.validateNodeWithError(node);
    if (!err)
        err = foot ? theCTree.getFootNode(word, old) : theCTree.getMainTerminalNode(word, old);
    if (err || old == node)
        return reportError(name, err);
    err = open(kLabelChangeAttribute);
    if (!err)
        err = foot ? theCTree.setFootNode(word, node) : theCTree.setMainTerminalNode(word, node);
    if (!err)
        err = tasks(
            {{kTaskInvalidateTree, 0, 0}, {kTaskSelectNode, old, node}, {kTaskShowEditor, 0, 0}});
    changed = !err;
    return close(name, err);
}

RErr CLexiconEditing::setMainTerminal(int32_t word, int32_t node, bool& changed) {
    return setRootReference(false, word, node, changed);
}

RErr CLexiconEditing::setFoot(int32_t word, int32_t node, bool& changed) {
    return setRootReference(true, word, node, changed);
}

RErr CLexiconEditing::changeFont(const std::string& faceName, int32_t size) {
    size = std::clamp(size, kSmallestFontSize, kLargestFontSize);
    const CRString face(faceName, kLexiconEditingCreatorTag);
    // The refresh task, not a word selection: undo and redo keep the selection and give the
    // port the font the grammar then holds.
    RErr err = open(kLabelDrawingPreferences);
    if (!err)
        err = task(kTaskRefreshDrawing, 0, 0);
    if (!err)
        err = theCTree.setDrawingPref(kHdrFontSize, size, nullptr);
    if (!err)
        err = theCTree.setDrawingPref(kHdrFontName, 0, &face);
    if (!err)
        err = theCTree.updateDrawingPrefs();
    if (!err)
        err = theCTree.allTreesDirty();
    if (!err)
        err = task(kTaskInvalidateTree, 0, 0);
    return close("CLexicalItemsDialog::OnFontAndSize", err);
}
