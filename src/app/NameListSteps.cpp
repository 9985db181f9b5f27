#include "app/NameListSteps.h"

#include "app/CLexiconEditing.h"
#include "app/CommandIds.h"
#include "base/ErrorReporter.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "script/CMiddleInterface.h"
#include "script/CScript.h"
#include "storage/CRString.h"
#include "undo/CUndoStructure.h"
#include "undo/CUserInterfaceTask.h"
#include "undo/UndoLabels.h"

namespace {

constexpr RNameListKind kCategories = {
    "Categories", 3, 3, 2, 7, 11, 72, kCommandCategories, kLabelNewCategory, kLabelDeleteCategory};
constexpr RNameListKind kFeatures = {
    "Features", 4, 4, 3, 8, 12, 73, kCommandFeatures, kLabelNewFeature, kLabelDeleteFeature};

bool isCategories(const RNameListKind& kind) {
    return kind.recordType == kCategories.recordType;
}

RErr userInterfaceTask(CTree& tree, int32_t code, int32_t undoValue, int32_t doValue) {
    if (!tree.script())
        return kErrNotInitialized;
    return CUserInterfaceTask::construct(tree.undoStructure(), tree.script()->middleInterface(),
                                         code, undoValue, doValue);
}

// The step's tasks after its data changes: rebuild, select, show.
RErr addRefreshTasks(CTree& tree, const RNameListKind& kind, int32_t undoSelection,
                     int32_t doSelection) {
    RErr err = userInterfaceTask(tree, kind.rebuildTask, 0, 0);
    if (!err)
        err = userInterfaceTask(tree, kind.selectTask, undoSelection, doSelection);
    if (!err)
        err = userInterfaceTask(tree, kind.showTask, 0, 0);
    return err;
}

// Closes a step that was opened, also after a failure, so the history stays balanced.
RErr finishStep(CTree& tree, RErr err) {
    const RErr closed = tree.undoStructure().finishTaskList();
    return err ? err : closed;
}

} // namespace

const char* const kCategoryInUseCaption = "Category in use";
const char* const kCategoryInUseText =
    "The category cannot be deleted, because there is a node or word using it.";

const RNameListKind& categoriesList() {
    return kCategories;
}

const RNameListKind& featuresList() {
    return kFeatures;
}

namespace NameListSteps {

RErr addName(CTree& tree, const RNameListKind& kind, int32_t& record) {
    record = 0;
    RErr err = tree.undoStructure().startTaskList(kind.newLabel);
    if (err)
        return reportError("NameListSteps::addName", err);
    int32_t created = 0;
    err = tree.newName(kind.recordType, created);
    if (!err)
        err = tree.makeArbitraryName(created);
    if (!err)
        err = addRefreshTasks(tree, kind, 0, created);
    err = finishStep(tree, err);
    if (!err)
        record = created;
    return reportError("NameListSteps::addName", err);
}

bool canRemove(const CTree& tree, const RNameListKind& kind, int32_t record) {
    if (record == 0)
        return false;
    if (!isCategories(kind))
        return true;
    int32_t blessed = 0;
    return !tree.getBlessedCategory(blessed) && blessed != record;
}

RErr removeName(CTree& tree, const RNameListKind& kind, int32_t record, bool& refusedInUse) {
    refusedInUse = false;
    if (!canRemove(tree, kind, record))
        return reportError("NameListSteps::removeName", kErrInvalidParameter);
    if (isCategories(kind)) {
        bool inUse = false;
        const RErr err = tree.categoryIsInUse(record, inUse);
        if (err || inUse) {
            refusedInUse = inUse;
            return reportError("NameListSteps::removeName", err);
        }
    }
    RErr err = tree.undoStructure().startTaskList(kind.deleteLabel);
    if (err)
        return reportError("NameListSteps::removeName", err);
    if (!isCategories(kind))
        err = tree.zeroOutAttribute(record);
    if (!err)
        err = tree.removeName(record);
    if (!err)
        err = addRefreshTasks(tree, kind, record, 0);
    return reportError("NameListSteps::removeName", finishStep(tree, err));
}

RErr sortedRecords(CTree& tree, const RNameListKind& kind, std::vector<int32_t>& array) {
    return reportError("NameListSteps::sortedRecords",
                       tree.getSortedList(kind.sortedListKind, array));
}

std::string nameOf(CTree& tree, int32_t record) {
    const CRString* name = nullptr;
    if (tree.getNameString(record, name) || !name)
        return std::string();
    return name->str();
}

} // namespace NameListSteps
