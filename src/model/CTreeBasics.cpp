// CTree's foundation: stores, cells, strings, undo tasks, records, fish spines, save and load.

#include "model/CTree.h"

#include "base/ErrorReporter.h"
#include "model/LoadedDatabaseCheck.h"
#include "model/TreeAttributes.h"
#include "script/CScript.h"
#include "storage/CFileDescriptor.h"
#include "storage/CRFile.h"
#include "storage/CRString.h"
#include "storage/CStringManager.h"
#include "storage/CTablet.h"
#include "undo/CDatabaseTask.h"
#include "undo/CFishSpineTask.h"
#include "undo/CStringTask.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <algorithm>

namespace {

constexpr int32_t kNewStringCreatorTag = 81; // the empty text handed out for an empty cell
constexpr int32_t kFontNameCreatorTag = 82;  // the font name a load puts into an old file
constexpr int32_t kFishSpineInitialLevels = 2;

} // namespace

CTree::CTree() = default;

CTree::~CTree() {
    // The undo history goes first: its string tasks release entries of the string manager.
    // The script's global variables are what variable tasks change, so it goes next.
    theUndoStructure.reset();
    theScript.reset();
    theStringManager.reset();
    theTablet.reset();
    for (const auto& spine : fishSpines)
        if (spine)
            CRMemory::shared().countFree(kTagFishSpine);
}

RErr CTree::makeEmptyStores() {
    theTablet = std::make_unique<CTablet>();
    theTablet->watchAttribute(kAttrMother);
    rootCache = RRootCache{};
    theStringManager = std::make_unique<CStringManager>();
    theUndoStructure = std::make_unique<CUndoStructure>();
    RErr err = theTablet->createTablet();
    if (!err)
        err = theStringManager->createStringStructure();
    if (!err)
        err = theTablet->setMaxAttributes(kBaseAttributeCount);
    return err;
}

RErr CTree::createTree(bool addStandardCategoriesFlag) {
    theScript.reset();
    RErr err = makeEmptyStores();
    // Make the script object for this database.
    theScript = std::make_unique<CScript>(*this, *theUndoStructure);
    fontNameIndex = 0;
    fontSize = 10;
    horizontalPadding = 10;
    verticalPadding = 2;
    lineHeight = 16;
    hOffset = 0;
    vOffset = 0;
    thickness = 0;
    if (!err)
        err = copyDrawingParametersToTablet();
    if (!err)
        err = theUndoStructure->startTaskList(kLabelNewDatabase);
    if (!err && addStandardCategoriesFlag)
        err = addStandardCategories();
    if (!err)
        err = theUndoStructure->finishTaskList();
    if (!err)
        err = theUndoStructure->zeroOut();
    tagColorsMode = 0;
    return reportError("CTree::createTree", err);
}

RErr CTree::setTreePort(CPort* port) {
    thePort = port;
    return kNoErr;
}

int32_t CTree::recordCount() const {
    int32_t count = 0;
    if (theTablet && theTablet->exists())
        theTablet->getMaxRecords(count);
    return count;
}

int32_t CTree::attributeCount() const {
    int32_t count = 0;
    if (theTablet && theTablet->exists())
        theTablet->getMaxAttributes(count);
    return count;
}

int32_t CTree::cellOrZero(int32_t record, int32_t attribute) const {
    if (record < 1 || record > recordCount() || attribute < 1 || attribute > attributeCount())
        return 0;
    return theTablet->cell(record, attribute);
}

void CTree::setCellDirectly(int32_t record, int32_t attribute, int32_t value) {
    theTablet->setValue(record, attribute, value);
}

RErr CTree::getValue(int32_t record, int32_t attribute, int32_t& value) const {
    value = 0;
    if (!theTablet)
        return reportError("CTree::getValue", kErrNotInitialized);
    return reportError("CTree::getValue", theTablet->getValue(record, attribute, value));
}

RErr CTree::getRootOfList(int32_t list, int32_t& record) const {
    record = 0;
    if (list < kHdrFirstUnusedRecord || list > kHdrFirstFeature)
        return reportError("CTree::getRootOfList", kErrInvalidParameter);
    return reportError("CTree::getRootOfList", theTablet->getValue(kHeaderRecord, list, record));
}

RErr CTree::setRootOfList(int32_t list, int32_t record) {
    if (list < kHdrFirstUnusedRecord || list > kHdrFirstFeature)
        return reportError("CTree::setRootOfList", kErrInvalidParameter);
    return reportError("CTree::setRootOfList", dataTask(kHeaderRecord, list, record));
}

RErr CTree::getRecordType(int32_t record, int32_t& type) const {
    type = 0;
    return reportError("CTree::getRecordType", theTablet->getValue(record, kAttrType, type));
}

RErr CTree::dataTask(int32_t record, int32_t attribute, int32_t newValue) {
    return reportError("CTree::dataTask", CDatabaseTask::construct(*theUndoStructure, *theTablet,
                                                                   record, attribute, newValue));
}

RErr CTree::stringTask(int32_t record, int32_t attribute, const CRString* text) {
    return reportError("CTree::stringTask",
                       CStringTask::construct(*theUndoStructure, *theTablet, *theStringManager,
                                              record, attribute, text));
}

RErr CTree::getAnyString(int32_t record, int32_t attribute, const CRString*& text) {
    text = nullptr;
    int32_t id = 0;
    RErr err = theTablet->getValue(record, attribute, id);
    if (!err && id != 0)
        err = theStringManager->getPointerToString(id, text);
    if (!err && !text)
        text = CRString::addToGarbage(std::make_unique<CRString>("", kNewStringCreatorTag));
    return reportError("CTree::getAnyString", err);
}

RErr CTree::getMainString(int32_t record, const CRString*& text) {
    return reportError("CTree::getMainString", getAnyString(record, kAttrLabel, text));
}

RErr CTree::setMainString(int32_t record, const CRString& text) {
    return reportError("CTree::setMainString", stringTask(record, kAttrLabel, &text));
}

RErr CTree::killStringField(int32_t record, int32_t attribute) {
    int32_t id = 0;
    RErr err = theTablet->getValue(record, attribute, id);
    if (!err && id != 0)
        err = stringTask(record, attribute, nullptr);
    return reportError("CTree::killStringField", err);
}

RErr CTree::copyDrawingParametersToTablet() {
    const int32_t values[] = {fontNameIndex, fontSize, horizontalPadding, verticalPadding,
                              lineHeight,    hOffset,  vOffset,           thickness};
    RErr err = kNoErr;
    for (int32_t i = 0; i < 8 && !err; ++i)
        err = theTablet->setValue(kHeaderRecord, kHdrFontName + i, values[i]);
    return reportError("CTree::copyDrawingParametersToTablet", err);
}

RErr CTree::copyDrawingParametersFromTablet() {
    int32_t* fields[] = {&fontNameIndex, &fontSize, &horizontalPadding, &verticalPadding,
                         &lineHeight,    &hOffset,  &vOffset,           &thickness};
    RErr err = kNoErr;
    for (int32_t i = 0; i < 8 && !err; ++i)
        err = theTablet->getValue(kHeaderRecord, kHdrFontName + i, *fields[i]);
    return reportError("CTree::copyDrawingParametersFromTablet", err);
}

RErr CTree::getFirstUnusedRecord(int32_t& record) {
    record = 0;
    // Room for the stamp first: a failed allocation must leave the records as they were.
    const auto highest = static_cast<std::size_t>(recordCount()) + 1;
    if (highest >= recordTakenAt.size())
        recordTakenAt.resize(std::max(highest + 1, recordTakenAt.size() * 2), 0);
    int32_t head = 0;
    RErr err = getRootOfList(kHdrFirstUnusedRecord, head);
    if (!err && head != 0) {
        int32_t next = 0;
        err = theTablet->getValue(head, kAttrNextRoot, next);
        if (!err)
            err = setRootOfList(kHdrFirstUnusedRecord, next);
        if (!err)
            record = head;
    } else if (!err) {
        // Growth is not undone: the index stays valid for a redo.
        const int32_t count = recordCount();
        err = theTablet->setMaxRecords(count + 1);
        if (!err)
            record = count + 1;
    }
    if (!err)
        recordTakenAt[static_cast<std::size_t>(record)] = ++recordTakes;
    return reportError("CTree::getFirstUnusedNode", err);
}

RErr CTree::newRecord(int32_t& record, int32_t type) {
    RErr err = getFirstUnusedRecord(record);
    if (!err)
        err = dataTask(record, kAttrType, type);
    if (!err && type == kRecordNode)
        err = CFishSpineTask::construct(*theUndoStructure, *this, record, true);
    if (err)
        record = 0;
    return reportError("CTree::newRecord", err);
}

RErr CTree::validateRecord(int32_t record, bool& valid) const {
    valid = record >= 2 && record <= recordCount();
    return kNoErr;
}

RErr CTree::discardRecord(int32_t record) {
    bool valid = false;
    validateRecord(record, valid);
    RErr err = valid ? kNoErr : kErrInvalidParameter;
    const int32_t attributes = attributeCount();
    for (int32_t a = 2; a <= attributes && !err; ++a)
        if (a != kAttrFishSpine && theTablet->cell(record, a) != 0)
            err = kErrGeneral;
    int32_t head = 0;
    if (!err && theTablet->cell(record, kAttrType) == kRecordNode)
        err = CFishSpineTask::construct(*theUndoStructure, *this, record, false);
    if (!err)
        err = getRootOfList(kHdrFirstUnusedRecord, head);
    if (!err)
        err = dataTask(record, kAttrType, kRecordUnused);
    if (!err)
        err = dataTask(record, kAttrNextRoot, head);
    if (!err)
        err = setRootOfList(kHdrFirstUnusedRecord, record);
    return reportError("CTree::discardRecord", err);
}

std::vector<RExtent>* CTree::fishSpine(int32_t node) {
    const int32_t handle = cellOrZero(node, kAttrFishSpine);
    if (handle < 1 || handle > static_cast<int32_t>(fishSpines.size()))
        return nullptr;
    return fishSpines[static_cast<std::size_t>(handle - 1)].get();
}

void CTree::releaseFishSpine(int32_t handle) {
    if (handle < 1 || handle > static_cast<int32_t>(fishSpines.size()))
        return;
    auto& slot = fishSpines[static_cast<std::size_t>(handle - 1)];
    if (!slot)
        return;
    slot.reset();
    freeFishSpineHandles.push_back(handle);
    CRMemory::shared().countFree(kTagFishSpine);
}

RErr CTree::allocateFishspine(int32_t node) {
    int32_t depth = 0;
    int32_t handle = 0;
    RErr err = theTablet->getValue(node, kAttrFishSpineDepth, depth);
    if (!err)
        err = theTablet->getValue(node, kAttrFishSpine, handle);
    if (err)
        return reportError("CTree::allocateFishspine", err);
    if (depth != 0)
        bug("CTree::allocateFishspine (depth != 0)\n", kNoErr);
    if (handle != 0) {
        bug("CTree::allocateFishspine (fish spine pointer already allocated)\n", kNoErr);
        releaseFishSpine(handle);
    }
    auto spine = std::make_unique<std::vector<RExtent>>(kFishSpineInitialLevels);
    if (freeFishSpineHandles.empty()) {
        fishSpines.push_back(std::move(spine));
        handle = static_cast<int32_t>(fishSpines.size());
    } else {
        handle = freeFishSpineHandles.back();
        freeFishSpineHandles.pop_back();
        fishSpines[static_cast<std::size_t>(handle - 1)] = std::move(spine);
    }
    CRMemory::shared().countAllocation(kTagFishSpine);
    setCellDirectly(node, kAttrFishSpine, handle);
    setCellDirectly(node, kAttrFishSpineDepth, 1);
    return kNoErr;
}

RErr CTree::deallocateFishspine(int32_t node) {
    int32_t handle = 0;
    RErr err = theTablet->getValue(node, kAttrFishSpine, handle);
    if (!err && handle == 0)
        err = kErrGeneral;
    if (!err) {
        releaseFishSpine(handle);
        setCellDirectly(node, kAttrFishSpine, 0);
        setCellDirectly(node, kAttrFishSpineDepth, 0);
    }
    return reportError("CTree::deallocateFishspine", err);
}

RErr CTree::collectAllNodes(std::vector<int32_t>& nodes) const {
    // Iterative pre-order over the root list; a count bound stops a cycle in a damaged file.
    nodes.clear();
    const int32_t records = recordCount();
    const auto isNode = [&](int32_t r) {
        return r >= 1 && r <= records && theTablet->cell(r, kAttrType) == kRecordNode;
    };
    std::vector<int32_t> pending;
    for (int32_t root = cellOrZero(kHeaderRecord, kHdrFirstRoot); root != 0;
         root = cellOrZero(root, kAttrNextRoot)) {
        if (!isNode(root) || static_cast<int32_t>(nodes.size()) >= records)
            return kErrInvalidFormat;
        pending.push_back(root);
        while (!pending.empty()) {
            const int32_t node = pending.back();
            pending.pop_back();
            if (!isNode(node) || static_cast<int32_t>(nodes.size()) >= records)
                return kErrInvalidFormat;
            nodes.push_back(node);
            const std::size_t firstPushed = pending.size();
            for (int32_t d = cellOrZero(node, kAttrLeftmostDaughter); d != 0;
                 d = cellOrZero(d, kAttrNextSister)) {
                if (pending.size() - firstPushed >= static_cast<std::size_t>(records))
                    return kErrInvalidFormat;
                pending.push_back(d);
            }
            std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(firstPushed), pending.end());
        }
    }
    return kNoErr;
}

RErr CTree::allocateFishspines() {
    std::vector<int32_t> nodes;
    RErr err = collectAllNodes(nodes);
    for (const int32_t node : nodes) {
        if (err)
            break;
        const int32_t handle = theTablet->cell(node, kAttrFishSpine);
        // After a load the stored value means nothing; only our own handles are released.
        if (handle != 0 && fishSpine(node) != nullptr)
            releaseFishSpine(handle);
        setCellDirectly(node, kAttrFishSpine, 0);
        setCellDirectly(node, kAttrFishSpineDepth, 0);
        err = allocateFishspine(node);
    }
    return reportError("CTree::allocateFishspines", err);
}

RErr CTree::deallocateFishspines() {
    std::vector<int32_t> nodes;
    RErr err = collectAllNodes(nodes);
    for (const int32_t node : nodes)
        if (!err && theTablet->cell(node, kAttrFishSpine) != 0)
            err = deallocateFishspine(node);
    return reportError("CTree::deallocateFishspines", err);
}

RErr CTree::doSave(CFileDescriptor& file) {
    RErr err = copyDrawingParametersToTablet();
    bool exists = false;
    if (!err)
        err = file.exists(exists);
    if (!err && !exists)
        err = CRFile::createCFile(file);
    if (!err) {
        CRFile container(file, err);
        if (!err)
            err = theTablet->writeTabletToDisk(container);
        if (!err)
            err = theStringManager->writeStringStructureToDisk(container);
    }
    return reportError("CTree::doSave", err);
}

RErr CTree::doLoad(CFileDescriptor& file) {
    // Read into fresh stores and check them before anything is replaced, so a failed load
    // leaves the database as it was.
    auto tablet = std::make_unique<CTablet>();
    auto strings = std::make_unique<CStringManager>();
    RErr err = tablet->createTablet();
    if (!err)
        err = strings->createStringStructure();
    if (!err) {
        CRFile container(file, err);
        if (!err)
            err = tablet->readTabletFromDisk(container);
        if (!err)
            err = strings->readStringStructureFromDisk(container);
    }
    if (!err)
        err = checkLoadedDatabase(*tablet, *strings);
    // The history refers to the stores being replaced.
    if (!err)
        err = theUndoStructure->zeroOut();
    if (err)
        return reportError("CTree::doLoad", err);

    theTablet = std::move(tablet);
    theTablet->watchAttribute(kAttrMother);
    rootCache = RRootCache{};
    theStringManager = std::move(strings);
    for (const auto& spine : fishSpines)
        if (spine)
            CRMemory::shared().countFree(kTagFishSpine);
    fishSpines.clear();
    freeFishSpineHandles.clear();

    err = allocateFishspines();
    if (!err)
        err = copyDrawingParametersFromTablet();
    if (!err)
        err = theUndoStructure->startTaskList(kLabelLoadDatabase);
    if (!err) {
        err = markEveryTreeDirty();
        if (!err)
            err = repairLoadedDatabase();
        const RErr finishErr = theUndoStructure->finishTaskList();
        if (!err)
            err = finishErr;
    }
    if (!err)
        err = theUndoStructure->zeroOut();
    return reportError("CTree::doLoad", err);
}

RErr CTree::markEveryTreeDirty() {
    RErr err = kNoErr;
    for (int32_t root = cellOrZero(kHeaderRecord, kHdrFirstRoot); root != 0 && !err;
         root = cellOrZero(root, kAttrNextRoot))
        err = treeDirty(root);
    return err;
}

// Older files may lack a font name or hold preferences the menus no longer offer.
RErr CTree::repairLoadedDatabase() {
    RErr err = kNoErr;
    // Runtime references of categories mean nothing in a file.
    for (int32_t r = 2; r <= recordCount(); ++r)
        if (theTablet->cell(r, kAttrType) == kRecordCategory)
            setCellDirectly(r, kAttrCategorySorter, 0);
    if (theTablet->cell(kHeaderRecord, kHdrFontName) == 0) {
        const CRString fallbackFont("MS Sans Serif", kFontNameCreatorTag);
        err = stringTask(kHeaderRecord, kHdrFontName, &fallbackFont);
        if (!err)
            fontNameIndex = theTablet->cell(kHeaderRecord, kHdrFontName);
    }
    if (!err && (fontSize < 8 || fontSize > 144)) {
        setCellDirectly(kHeaderRecord, kHdrFontSize, 10);
        fontSize = 10;
    }
    if (!err && verticalPadding == 3) {
        setCellDirectly(kHeaderRecord, kHdrVerticalPadding, 2);
        verticalPadding = 2;
    }
    if (!err && lineHeight == 11) {
        setCellDirectly(kHeaderRecord, kHdrLineHeight, 16);
        lineHeight = 16;
    }
    return err;
}
