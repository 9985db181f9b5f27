#pragma once

#include "base/ErrorCodes.h"
#include "storage/CRMemory.h"
#include "undo/RUndoClients.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CFileDescriptor;
class CPort;
struct RPoint;
struct RRect;
class CRString;
class CScript;
class CStringManager;
class CTablet;
class CUndoStructure;

// How far a subtree reaches to the right and to the left of a node's centre on one row.
struct RExtent {
    int32_t right = 0;
    int32_t left = 0;
};

// The database of one open grammar or document. Every object is a record of the tablet:
// the header (record 1), the nodes of all trees, the categories, the features and unused
// records. Every change a user could undo goes through dataTask and stringTask inside an
// open undo list. The class is split over several files by concern.
class CTree : public RFishSpineOwner {
public:
    CTree();
    CTree(const CTree&) = delete;
    CTree& operator=(const CTree&) = delete;
    ~CTree() override;

    // --- Records, strings and files ---

    // Builds an empty database (with the standard categories X, N, V, A, P when asked);
    // the history is cleared afterwards.
    RErr createTree(bool addStandardCategories);
    RErr setTreePort(CPort* port);
    CPort* port() const { return thePort; }
    RErr doSave(CFileDescriptor& file);
    // Replaces the contents of a database just made by createTree(false). A failed load
    // leaves the database as it was.
    RErr doLoad(CFileDescriptor& file);

    RErr getRootOfList(int32_t list, int32_t& record) const;
    RErr setRootOfList(int32_t list, int32_t record);
    RErr getRecordType(int32_t record, int32_t& type) const;
    RErr getValue(int32_t record, int32_t attribute, int32_t& value) const;
    RErr getMainString(int32_t record, const CRString*& text);
    RErr setMainString(int32_t record, const CRString& text);
    // The text a string cell refers to; an empty volatile string for an empty cell. The
    // caller never frees it and copies it before keeping it.
    RErr getAnyString(int32_t record, int32_t attribute, const CRString*& text);
    RErr killStringField(int32_t record, int32_t attribute);
    // The two change primitives: each records an undoable task in the open list.
    RErr dataTask(int32_t record, int32_t attribute, int32_t newValue);
    RErr stringTask(int32_t record, int32_t attribute, const CRString* text);

    RErr copyDrawingParametersToTablet();
    RErr copyDrawingParametersFromTablet();

    RErr getFirstUnusedRecord(int32_t& record);
    RErr newRecord(int32_t& record, int32_t type);
    RErr validateRecord(int32_t record, bool& valid) const;
    // Returns a cleared record (every attribute but 1 and 40 is 0) to the free list.
    RErr discardRecord(int32_t record);
    // Records taken into use so far (new or from the free list), a count that only grows. A
    // walk keeps it when it starts; takenSince then tells a record taken after that, even one
    // that took over the number of a record the walk had listed. Kept in memory only.
    uint64_t recordsTakenSoFar() const { return recordTakes; }
    bool takenSince(int32_t record, uint64_t mark) const {
        const auto index = static_cast<std::size_t>(record);
        return record > 0 && index < recordTakenAt.size() && recordTakenAt[index] > mark;
    }

    // Fish spines live in a side table; attribute 40 holds 0 or a handle into it.
    RErr allocateFishspine(int32_t node) override;
    RErr deallocateFishspine(int32_t node) override;
    RErr allocateFishspines();
    RErr deallocateFishspines();
    // The node's fish spine, or nullptr. Layout resizes it to the depth it needs.
    std::vector<RExtent>* fishSpine(int32_t node);

    // --- Tree hierarchy ---

    // A node is an index in range whose record type is node. Reports nothing.
    bool verifyNode(int32_t node) const;
    RErr validateNodeWithError(int32_t node) const;
    RErr validateRootWithError(int32_t node) const; // 1004 for an invalid node or a non-root

    RErr newRoot(int32_t& node);
    RErr addNodeToRootList(int32_t node);
    RErr removeNodeFromRootList(int32_t node);
    RErr findRoot(int32_t node, int32_t& root) const;
    RErr getFirstRoot(int32_t& root) const;
    RErr getNextRoot(int32_t root, int32_t& next) const;

    RErr getMother(int32_t node, int32_t& mother) const;
    RErr getLeftmostDaughter(int32_t node, int32_t& daughter) const;
    RErr getNextSister(int32_t node, int32_t& sister) const;
    RErr getRightmostDaughter(int32_t mother, int32_t& daughter) const;
    RErr getPreviousSister(int32_t node, int32_t& sister) const;
    RErr howManyDaughters(int32_t node, int32_t& count) const;
    RErr newDaughterToLeft(int32_t mother, int32_t& node);
    RErr newDaughterToRight(int32_t mother, int32_t& node);

    // Pre-order successor; with haltNode 0 the walk goes on through every tree of the root
    // list, otherwise it stays inside haltNode's subtree.
    RErr getNextNode(int32_t node, int32_t haltNode, int32_t& next) const;

    RErr getLabel(int32_t node, const CRString*& label);
    RErr setSubscript(int32_t node, const CRString* subscript);
    RErr getSubscript(int32_t node, const CRString*& subscript);

    RErr setSelectedValue(int32_t node, int32_t value); // written directly, without undo
    RErr setOffendingNodeValue(int32_t node, int32_t value);
    RErr getOffendingNodeValue(int32_t node, int32_t& value) const;
    RErr turnOffAllOffendingNodes();
    // Marks the node's tree for layout, in a way that undo and redo leave marked.
    RErr treeDirty(int32_t node);

    RErr setCitationForm(int32_t root, const CRString* text);
    RErr getCitationForm(int32_t root, const CRString*& text);
    RErr setWordCategory(int32_t root, int32_t category);
    RErr getWordCategory(int32_t root, int32_t& category) const;
    RErr setMainTerminalNode(int32_t root, int32_t node);
    RErr getMainTerminalNode(int32_t root, int32_t& node) const;
    RErr setFootNode(int32_t root, int32_t node);
    RErr getFootNode(int32_t root, int32_t& node) const;
    RErr setLowestXBarSpineNode(int32_t root, int32_t node);
    RErr getLowestXBarSpineNode(int32_t root, int32_t& node) const;
    RErr moveRootInfo(int32_t oldRoot, int32_t newRoot);
    RErr setBelongsToXBarSpine(int32_t node);
    RErr getBelongsToXBarSpine(int32_t node, int32_t& value) const;
    RErr setWhereIsTree(int32_t root, int32_t where);
    RErr getWhereIsTree(int32_t root, int32_t& where) const;

    RErr canDeleteNode(int32_t node, bool& can) const;
    // Removes one node, keeping its daughters in its place; root is the remaining tree's root.
    RErr deleteNode(int32_t node, int32_t& root);
    RErr killRootNode(int32_t node);
    RErr killNodeWithoutDetaching(int32_t node);

    RErr cloneNode(int32_t node, int32_t& copy);
    RErr cloneTree(int32_t root, int32_t& newRoot);

    // "New Word 0", "X0", "Feature 0", ...: the counter goes up by one (undoably). The caller
    // owns the string.
    RErr makeArbitraryString(int32_t recordType, std::unique_ptr<CRString>& text);
    RErr prepareTreesForStudentMode();

    // --- Structural relations (read-only; truth values are 0 or 1) ---

    RErr getCategory(int32_t node, int32_t& category) const;
    RErr getProjection(int32_t node, int32_t& projection) const;
    RErr leftmostDaughter(int32_t node, int32_t& daughter) const;
    RErr dominate(int32_t a, int32_t b, int32_t& result) const;
    RErr nonReflexiveDominate(int32_t a, int32_t b, int32_t& result) const;
    RErr immediatelyDominate(int32_t a, int32_t b, int32_t& result) const;
    RErr sameRoot(int32_t a, int32_t b, int32_t& result) const;
    RErr isRootNode(int32_t node, int32_t& result) const;
    RErr hasDaughters(int32_t node, int32_t& result) const;
    RErr isBranchingNode(int32_t node, int32_t& result) const;
    RErr isSisterOf(int32_t a, int32_t b, int32_t& result) const;
    RErr isLeftmostSister(int32_t node, int32_t& result) const;
    RErr isRightmostSister(int32_t node, int32_t& result) const;
    RErr findLowestBranchingNode(int32_t node, int32_t& result) const;
    RErr findLowestCommonDominator(int32_t a, int32_t b, int32_t& result) const;
    RErr cCommand(int32_t a, int32_t b, int32_t& result) const;
    RErr mCommand(int32_t a, int32_t b, int32_t& result) const;
    RErr precede(int32_t a, int32_t b, int32_t& result) const;
    RErr same(int32_t a, int32_t b, int32_t& result) const;
    RErr isHead(int32_t node, int32_t& result) const;
    RErr isMaximalProjection(int32_t node, int32_t& result) const;
    RErr bottomMax(int32_t node, int32_t& result) const;
    RErr topMax(int32_t node, int32_t& result) const;
    RErr head(int32_t node, int32_t& result) const;
    RErr belongToSameSpine(int32_t a, int32_t b, int32_t& result) const;
    RErr searchForSpecOrComplement(int32_t node, int32_t level, int32_t& result) const;
    RErr complement(int32_t node, int32_t& result) const;
    RErr spec(int32_t node, int32_t& result) const;
    RErr isComplementOf(int32_t a, int32_t b, int32_t& result) const;
    RErr isSpecOf(int32_t a, int32_t b, int32_t& result) const;
    RErr foot(int32_t node, int32_t& result) const;
    RErr isFoot(int32_t node, int32_t& result) const;
    RErr isMainTerminalNode(int32_t node, bool studentModeNotAuthor, int32_t& result) const;
    RErr selection(int32_t& result) const;
    RErr howManyRootNodes(int32_t& result) const;
    // " the dog": one space before each leaf label, leaves left to right. The caller owns it.
    RErr subtreeTerminalString(int32_t node, std::unique_ptr<CRString>& text);
    RErr terminalString(std::unique_ptr<CRString>& text);

    // --- Tree-building operations (each change undoable; the caller opens the step) ---

    RErr attachDaughterToLeft(int32_t daughter, int32_t mother);
    RErr attachDaughterToRight(int32_t daughter, int32_t mother);
    RErr detach(int32_t node);
    RErr detachClone(int32_t node, int32_t& copy);
    RErr moveDaughters(int32_t from, int32_t to);
    RErr substitute(int32_t first, int32_t second);
    RErr canTagAdjoin(int32_t first, int32_t second, int32_t& result) const;
    RErr tagAdjoin(int32_t first, int32_t second);
    RErr cloneForAdjunction(int32_t node, int32_t& copy);
    RErr copySubtree(int32_t first, int32_t second);
    // The caller owns left and right; direction is '/', '\\' or 0.
    static void parseCategorialLabel(const CRString& label, std::unique_ptr<CRString>& left,
                                     std::unique_ptr<CRString>& right, int32_t& direction,
                                     bool& error);
    RErr canApply(int32_t first, int32_t second, bool& can, bool& error);
    RErr apply(int32_t first, int32_t second, int32_t& newRoot);
    RErr canCompose(int32_t first, int32_t second, bool& can, bool& error);
    RErr compose(int32_t first, int32_t second, int32_t& newRoot);
    RErr canUnify(int32_t first, int32_t second, bool& can);
    RErr unify(int32_t first, int32_t second);
    RErr copyFeatures(int32_t first, int32_t second);
    RErr attributeAssignment(int32_t record, int32_t attribute, const CRString* text);
    RErr setNodeLabel(int32_t node, const CRString& label);
    RErr setNodeCategory(int32_t node, int32_t category);
    RErr setNodeProjection(int32_t node, int32_t projection);
    RErr makeNodeLabel(int32_t category, int32_t projection, std::unique_ptr<CRString>& label);
    RErr autoNodeLabel(int32_t node);
    RErr newIndex(std::unique_ptr<CRString>& index);

    // --- Categories, features and words ---

    // A new category (type 3) or feature (type 4) record at the head of its list; a feature
    // also gets a slot.
    RErr newName(int32_t type, int32_t& record);
    RErr removeName(int32_t record);
    // The highest free feature slot, or a new one when none is free.
    RErr allocateAttribute(int32_t feature);
    RErr deallocateAttribute(int32_t feature);
    RErr zeroOutAttribute(int32_t feature);
    RErr getNameString(int32_t record, const CRString*& name);
    RErr getFirstName(int32_t type, int32_t& record) const;
    RErr getNextName(int32_t record, int32_t& next) const;
    RErr convertToAttributeIndex(int32_t feature, int32_t& slot) const;
    RErr convertAttributeIndexToFeatureRecord(int32_t slot, int32_t& feature) const;
    RErr getAuthorFeatureValue(int32_t node, int32_t feature, const CRString*& value);
    // -1 when no category has the name; 0 for "none" in any letter case.
    RErr convertCategoryLabelToIndex(const CRString& name, int32_t& category);
    RErr validateCategory(int32_t category, bool& isGood) const;
    RErr validateCategoryWithError(int32_t category) const;
    RErr categoryIsInUse(int32_t category, bool& inUse) const;
    // Kinds: 1 roots by citation form then category name; 2 roots by category name then
    // citation form; 3 categories by name; 4 features by name. Element 0 is the count.
    RErr getSortedList(int32_t kind, std::vector<int32_t>& array);
    RErr addStandardCategories();
    RErr getBlessedCategory(int32_t& category) const;
    RErr makeArbitraryName(int32_t record);
    RErr getFirstWordInCategory(int32_t category, int32_t& word) const;
    RErr getNextWordInCategory(int32_t word, int32_t& next) const;

    // --- Layout and drawing ---

    // Lays out the root's tree when it is dirty, then clears the flag.
    RErr prepareTree(int32_t root);
    // Bottom-up layout of the node's subtree: offsets of daughters and fish spines.
    RErr prepareNode(int32_t node);
    // The smallest distance between the centres of two sister subtrees, left before right.
    RErr howCloseCanTheseNodesBe(int32_t left, int32_t right, int32_t& distance);
    RErr realHalfWidth(int32_t node, int32_t& width);
    RErr paddedHalfWidth(int32_t node, int32_t& width);
    // Half the width of the leaves' labels and subscripts, each followed by a space.
    RErr getTriangleStringHalfWidth(int32_t node, int32_t& width);
    // Lays out if needed, positions and paints one tree, then its cumulative rectangles.
    RErr drawTree(int32_t root, bool performOffset);
    RErr drawNodeAndBelow(int32_t node);
    // Every tree of the tree area, in root-list order.
    RErr drawAllTrees();
    RErr drawOneTreeAtATemporaryAbsoluteLocation(int32_t root, const RPoint& point);
    RErr allTreesDirty();
    RErr calculateCumulativeRect(int32_t node);
    RErr getNodeRect(int32_t node, RRect& rect) const;
    // Lays a dirty root's tree out first, with the port's drawing suspended.
    RErr getNodeCumulativeRect(int32_t node, RRect& rect);
    RErr setAbsolutePoint(int32_t root, const RPoint& point); // undoable
    RErr setAbsolutePointNoUndo(int32_t root, const RPoint& point);
    RErr getAbsolutePoint(int32_t root, RPoint& point) const;
    RErr setRelativePoint(int32_t node, const RPoint& point);
    RErr getRelativePoint(int32_t node, RPoint& point) const;
    // The absolute point that centres the tree's bounding box in the rectangle.
    RErr centerTreeInRect(int32_t root, const RRect& rect, RPoint& point);
    RErr hitTest(const RPoint& point, int32_t whereIsTree, int32_t& node);
    RErr hitTestOneTreeOnly(int32_t root, const RPoint& point, int32_t& node);
    RErr hitTestThisNodeAndBelow(const RPoint& point, int32_t node, int32_t& hit);
    RErr getTriangleValue(int32_t node, int32_t& value) const;
    RErr setTriangleValue(int32_t node, int32_t value);
    // which is a header attribute: 7 font name, 8 size, 9, 10, 11 paddings and line height,
    // 14 thickness.
    RErr setDrawingPref(int32_t which, int32_t value, const CRString* fontName);
    RErr getDrawingPrefs(int32_t& horizontalPaddingOut, int32_t& lineHeightOut,
                         int32_t& verticalPaddingOut, int32_t& thicknessOut, int32_t& fontSizeOut,
                         const CRString*& fontName);
    RErr updateDrawingPrefs();
    // Node colour (undoable, no range check; layout is unaffected) and text style bits.
    RErr setColor(int32_t node, int32_t color);
    RErr getColor(int32_t node, int32_t& color) const;
    // "black" .. "magenta" ignoring case give 1 to 11; any other text gives 1.
    static int32_t translateColor(const CRString& name);
    // Style 0 clears every bit; any other style is added to the bits already set. Undoable.
    RErr addTextAttribute(int32_t node, int32_t style);
    // Style must be 1, 2 or 4 (else 1004).
    RErr hasTextAttribute(int32_t node, int32_t style, int32_t& result) const;
    // Lines take their mother's colour until the database is created again.
    RErr setTagColorsMode();
    // Appends the node's subtree in qtree notation ("[.S [.NP the dog ] barks ] "; a roofed
    // node as "\qroof{ the dog}.NP "); after an error the text appended so far stays.
    RErr makeQTreeForThisNodeAndBelow(int32_t node, std::string& text);

    // --- Access for the layers above ---

    CTablet& tablet() { return *theTablet; }
    const CTablet& tablet() const { return *theTablet; }
    CStringManager& stringManager() { return *theStringManager; }
    CUndoStructure& undoStructure() { return *theUndoStructure; }
    // The grammar's script, made by createTree; compiled only when asked.
    CScript* script() { return theScript.get(); }
    int32_t recordCount() const;
    int32_t attributeCount() const;

    // The drawing parameters, a cache of header attributes 7 to 14.
    int32_t fontNameIndex = 0;
    int32_t fontSize = 10;
    int32_t horizontalPadding = 10;
    int32_t verticalPadding = 2;
    int32_t lineHeight = 16;
    int32_t hOffset = 0;
    int32_t vOffset = 0;
    int32_t thickness = 0;
    int32_t fontHeight = 0;     // cached by layout
    int32_t halfSpaceWidth = 0; // cached by layout
    int32_t tagColorsMode = 0;

private:
    RErr makeEmptyStores();
    RErr repairLoadedDatabase();
    RErr markEveryTreeDirty();
    // Every node of every tree, tree by tree, each in pre-order.
    RErr collectAllNodes(std::vector<int32_t>& nodes) const;
    // The members of list 1 to 4 (free records, roots, categories, features) in list order.
    RErr collectList(int32_t list, std::vector<int32_t>& records) const;
    int32_t cellOrZero(int32_t record, int32_t attribute) const;
    // One attribute of a valid node (or root), reported under the caller's name otherwise.
    RErr readNodeCell(const char* name, int32_t node, int32_t attribute, int32_t& value) const;
    RErr readRootCell(const char* name, int32_t root, int32_t attribute, int32_t& value) const;
    // Sets a root's main terminal, foot or lowest spine node: 0 or a valid node.
    RErr setRootNodeReference(const char* name, int32_t root, int32_t attribute, int32_t node);
    void setCellDirectly(int32_t record, int32_t attribute, int32_t value);
    void releaseFishSpine(int32_t handle);

    // Layout and drawing helpers.
    struct RLayoutScratch;
    RErr layOutOneNode(int32_t node, RLayoutScratch& scratch);
    // The text of a string cell, "" for an empty one, without making a volatile string.
    const char* textOfCell(int32_t record, int32_t attribute);
    RErr requirePort() const; // 1002 without a port
    // Stores the node's box; gives the first daughter to draw, 0 under a roof.
    RErr enterNodeForDrawing(int32_t node, int32_t& firstDaughter);
    RErr drawBranchTo(int32_t mother, int32_t daughter);
    RErr drawRoof(int32_t node);
    RErr paintNode(int32_t node);
    // Where a roof and its string of leaves are drawn.
    RErr roofBox(int32_t node, RRect& box);
    bool isRoofed(int32_t node) const;
    void readRect(int32_t node, int32_t firstAttribute, RRect& rect) const;
    void writeRect(int32_t node, int32_t firstAttribute, const RRect& rect);

    // Hierarchy helpers.
    bool isInRootList(int32_t node) const;
    // Unlinks the node from its mother's daughters and marks the old tree dirty.
    RErr detachFromMother(int32_t node);
    // The node's subtree, daughters before mothers, left to right.
    void collectSubtreeForKilling(int32_t node, std::vector<int32_t>& nodes) const;
    // Roots outside the dying subtree stop naming its nodes (main terminal, foot, spine).
    RErr clearRootReferencesTo(std::vector<int32_t> dying);
    RErr killOneNode(int32_t node);
    // Marks a root made in the current step; treeDirty is for trees that existed before it.
    RErr markNewTreeDirty(int32_t root);

    // Tree-building helpers.
    // Links the daughter as the mother's first or last daughter; 1004 below itself.
    RErr attachDaughter(int32_t daughter, int32_t mother, bool toLeft);
    // The newcomer (a root) takes the node's place among its mother's daughters.
    RErr takePlaceOf(int32_t newcomer, int32_t node);

    RObjectCounter<kKindCTree> counter;
    std::unique_ptr<CTablet> theTablet;
    // The last node findRoot answered for, its root, and the tablet's count of replaced links
    // then (see rootOfValidNode).
    struct RRootCache {
        uint64_t changes = 0;
        int32_t node = 0;
        int32_t root = 0;
    };
    mutable RRootCache rootCache;
    int32_t rootOfValidNode(int32_t node) const;
    std::unique_ptr<CStringManager> theStringManager;
    std::unique_ptr<CUndoStructure> theUndoStructure;
    std::unique_ptr<CScript> theScript;
    CPort* thePort = nullptr;

    std::vector<std::unique_ptr<std::vector<RExtent>>> fishSpines; // handle - 1
    // For each record number, the count of takes when it was last taken (0: before any).
    std::vector<uint64_t> recordTakenAt;
    uint64_t recordTakes = 0;
    std::vector<int32_t> freeFishSpineHandles;
};
