#include "support/HierarchyTestSupport.h"

#include "model/TreeAttributes.h"
#include "storage/CFileDescriptor.h"
#include "storage/CRFile.h"
#include "storage/CRString.h"
#include "storage/CStringManager.h"
#include "storage/CTablet.h"
#include "storage/CVersionInfo.h"
#include "support/ContainerTestSupport.h"
#include "support/TestSupport.h"
#include "undo/UndoLabels.h"

#include <gtest/gtest.h>

namespace {

RErr saveWithVersion(CTree& tree, const std::string& path) {
    CFileDescriptor file(path);
    RErr err = tree.doSave(file);
    if (!err) {
        CVersionInfo version(file);
        err = version.writeCurrentVersionInfo();
    }
    return err;
}

RErr loadInto(CTree& tree, const std::string& path) {
    CFileDescriptor file(path);
    return tree.doLoad(file);
}

// A small document: one tree with a root and two daughters, labels and a feature value.
void buildSmallDocument(CTree& tree, int32_t& root, int32_t& left, int32_t& right) {
    ASSERT_EQ(tree.createTree(true), kNoErr);
    ASSERT_EQ(inStep(tree, kLabelNewTree,
                     [&] {
                         int32_t feature = 0;
                         RErr err = tree.newName(kRecordFeature, feature);
                         const CRString featureName("case", 1);
                         if (!err)
                             err = tree.setMainString(feature, featureName);
                         if (!err)
                             err = tree.newRecord(root, kRecordNode);
                         if (!err)
                             err = tree.newRecord(left, kRecordNode);
                         if (!err)
                             err = tree.newRecord(right, kRecordNode);
                         if (!err)
                             err = tree.setRootOfList(kHdrFirstRoot, root);
                         if (!err)
                             err = tree.dataTask(root, kAttrLeftmostDaughter, left);
                         if (!err)
                             err = tree.dataTask(left, kAttrMother, root);
                         if (!err)
                             err = tree.dataTask(right, kAttrMother, root);
                         if (!err)
                             err = tree.dataTask(left, kAttrNextSister, right);
                         const CRString s("S", 1), np("NP", 1), vp("VP", 1), nom("nom", 1);
                         if (!err)
                             err = tree.setMainString(root, s);
                         if (!err)
                             err = tree.setMainString(left, np);
                         if (!err)
                             err = tree.setMainString(right, vp);
                         if (!err)
                             err = tree.stringTask(left, kFirstFeatureSlot, &nom);
                         return err;
                     }),
              kNoErr);
}

} // namespace

TEST(CTree, NewGrammarHoldsTheStandardCategoriesAndNothingToUndo) {
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    EXPECT_EQ(tree.recordCount(), 6);
    EXPECT_EQ(tree.attributeCount(), 51);
    const char* names[] = {"X", "N", "V", "A", "P"};
    for (int32_t r = 2; r <= 6; ++r) {
        int32_t type = 0;
        tree.getRecordType(r, type);
        EXPECT_EQ(type, kRecordCategory);
        EXPECT_EQ(cellText(tree, r, kAttrLabel), names[r - 2]);
    }
    int32_t head = 0;
    tree.getRootOfList(kHdrFirstCategory, head);
    EXPECT_EQ(head, 6);
    std::string order;
    for (int32_t c = head; c != 0; c = tree.tablet().cell(c, kAttrNextRoot))
        order += cellText(tree, c, kAttrLabel);
    EXPECT_EQ(order, "PAVNX");
    EXPECT_EQ(tree.tablet().cell(2, kAttrPreviousRoot), 3);
    EXPECT_EQ(tree.tablet().cell(6, kAttrPreviousRoot), 0);
    int32_t blessed = 0;
    tree.getBlessedCategory(blessed);
    EXPECT_EQ(blessed, 2);

    bool can = true, dirty = true;
    tree.undoStructure().canUndo(can);
    EXPECT_FALSE(can);
    tree.undoStructure().isDirty(dirty);
    EXPECT_FALSE(dirty);
    EXPECT_EQ(tree.fontSize, 10);
    EXPECT_EQ(tree.tablet().cell(kHeaderRecord, kHdrLineHeight), 16);
    EXPECT_EQ(tree.tablet().cell(kHeaderRecord, kHdrHorizontalPadding), 10);
    EXPECT_EQ(tree.tablet().cell(kHeaderRecord, kHdrVerticalPadding), 2);

    CTree empty;
    ASSERT_EQ(empty.createTree(false), kNoErr);
    EXPECT_EQ(empty.recordCount(), 1);
}

TEST(CTree, NewGrammarSavedForTheFirstTimeHasTheExactFileLayout) {
    TempDir dir;
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    const std::string path = dir.file("new.rgr");
    ASSERT_EQ(saveWithVersion(tree, path), kNoErr);

    const auto bytes = readFileBytes(path);
    ASSERT_EQ(bytes.size(), 1346u);
    const std::vector<unsigned char> tail(bytes.end() - 4, bytes.end());
    EXPECT_EQ(tail, be32(1286));
    CFileDescriptor file(path);
    RErr err = kNoErr;
    CRFile container(file, err);
    ASSERT_EQ(err, kNoErr);
    ASSERT_EQ(container.forkCount(), 4);
    const RForkType order[] = {kForkData, kForkTablet, kForkStrings, kForkVersion};
    const int32_t offsets[] = {0, 0, 1232, 1266};
    for (int32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(container.entry(i).forkType, order[i]);
        EXPECT_EQ(container.entry(i).offset, offsets[i]);
    }
    // 'Stri': highest ID 5, then the five one-letter names with IDs 1 to 5.
    std::vector<unsigned char> strings = be32(5);
    const char names[] = {'X', 'N', 'V', 'A', 'P'};
    for (int32_t id = 1; id <= 5; ++id) {
        appendBE32(strings, id);
        strings.push_back(static_cast<unsigned char>(names[id - 1]));
        strings.push_back(0);
    }
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 1232, bytes.begin() + 1266), strings);
}

TEST(CTree, SaveLoadSaveGivesIdenticalForksAndTheSameRecords) {
    TempDir dir;
    CTree tree;
    int32_t root = 0, left = 0, right = 0;
    buildSmallDocument(tree, root, left, right);
    const std::string first = dir.file("first.rdc");
    const std::string second = dir.file("second.rdc");
    ASSERT_EQ(saveWithVersion(tree, first), kNoErr);

    CTree loaded;
    ASSERT_EQ(loaded.createTree(false), kNoErr);
    ASSERT_EQ(loadInto(loaded, first), kNoErr);
    // The load fills in the missing font name, so compare a second round trip too.
    ASSERT_EQ(saveWithVersion(loaded, second), kNoErr);
    CTree again;
    ASSERT_EQ(again.createTree(false), kNoErr);
    ASSERT_EQ(loadInto(again, second), kNoErr);
    const std::string third = dir.file("third.rdc");
    ASSERT_EQ(saveWithVersion(again, third), kNoErr);
    EXPECT_EQ(forkBytes(second, kForkTablet), forkBytes(third, kForkTablet));
    EXPECT_EQ(forkBytes(second, kForkStrings), forkBytes(third, kForkStrings));

    EXPECT_EQ(cellText(loaded, root, kAttrLabel), "S");
    EXPECT_EQ(cellText(loaded, left, kAttrLabel), "NP");
    EXPECT_EQ(cellText(loaded, left, kFirstFeatureSlot), "nom");
    EXPECT_EQ(loaded.tablet().cell(left, kAttrNextSister), right);
    EXPECT_EQ(loaded.tablet().cell(root, kAttrDirty), 1);
    EXPECT_TRUE(stringsAreConsistent(loaded));
    bool dirty = true, can = true;
    loaded.undoStructure().isDirty(dirty);
    loaded.undoStructure().canUndo(can);
    EXPECT_FALSE(dirty);
    EXPECT_FALSE(can);
}

TEST(CTree, LoadRepairsOldPreferencesAndGivesEveryNodeAFreshFishSpine) {
    TempDir dir;
    CTree tree;
    int32_t root = 0, left = 0, right = 0;
    buildSmallDocument(tree, root, left, right);
    tree.fontSize = 7;
    tree.verticalPadding = 3;
    tree.lineHeight = 11;
    // A stored fish-spine value means nothing after a load.
    tree.tablet().setValue(left, kAttrFishSpine, 123456);
    const std::string path = dir.file("old.rdc");
    ASSERT_EQ(saveWithVersion(tree, path), kNoErr);

    CTree loaded;
    ASSERT_EQ(loaded.createTree(false), kNoErr);
    ASSERT_EQ(loadInto(loaded, path), kNoErr);
    EXPECT_EQ(cellText(loaded, kHeaderRecord, kHdrFontName), "MS Sans Serif");
    EXPECT_EQ(loaded.fontSize, 10);
    EXPECT_EQ(loaded.tablet().cell(kHeaderRecord, kHdrFontSize), 10);
    EXPECT_EQ(loaded.verticalPadding, 2);
    EXPECT_EQ(loaded.lineHeight, 16);
    EXPECT_EQ(loaded.tablet().cell(kHeaderRecord, kHdrLineHeight), 16);
    for (const int32_t node : {root, left, right}) {
        ASSERT_NE(loaded.fishSpine(node), nullptr);
        EXPECT_EQ(loaded.fishSpine(node)->size(), 2u);
        EXPECT_EQ(loaded.tablet().cell(node, kAttrFishSpineDepth), 1);
    }
    bool dirty = true;
    loaded.undoStructure().isDirty(dirty);
    EXPECT_FALSE(dirty);

    tree.fontSize = 145;
    ASSERT_EQ(saveWithVersion(tree, path), kNoErr);
    CTree big;
    ASSERT_EQ(big.createTree(false), kNoErr);
    ASSERT_EQ(loadInto(big, path), kNoErr);
    EXPECT_EQ(big.fontSize, 10);
}

TEST(CTree, RecordsAreReusedAndTableGrowthIsNotUndone) {
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    int32_t node = 0;
    ASSERT_EQ(inStep(tree, kLabelNewTree, [&] { return tree.newRecord(node, kRecordNode); }),
              kNoErr);
    EXPECT_EQ(node, 7);
    EXPECT_NE(tree.fishSpine(node), nullptr);
    EXPECT_EQ(tree.tablet().cell(node, kAttrFishSpineDepth), 1);

    // Undoing a record made by growth keeps the table's size and leaves type 0.
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_EQ(tree.recordCount(), 7);
    EXPECT_EQ(tree.tablet().cell(node, kAttrType), kRecordDiscardedByUndo);
    EXPECT_EQ(tree.fishSpine(node), nullptr);
    ASSERT_EQ(tree.undoStructure().redo(), kNoErr);
    EXPECT_EQ(tree.tablet().cell(node, kAttrType), kRecordNode);
    EXPECT_NE(tree.fishSpine(node), nullptr);

    // A node needs its depth cleared before it can be discarded.
    ASSERT_EQ(inStep(tree, kLabelDeleteNode,
                     [&] {
                         RErr err = tree.dataTask(node, kAttrFishSpineDepth, 0);
                         return err ? err : tree.discardRecord(node);
                     }),
              kNoErr);
    EXPECT_EQ(tree.tablet().cell(node, kAttrType), kRecordUnused);
    EXPECT_EQ(tree.fishSpine(node), nullptr);
    int32_t reused = 0;
    ASSERT_EQ(inStep(tree, kLabelNewTree, [&] { return tree.newRecord(reused, kRecordNode); }),
              kNoErr);
    EXPECT_EQ(reused, node);
    EXPECT_EQ(tree.recordCount(), 7);
    int32_t head = -1;
    tree.getRootOfList(kHdrFirstUnusedRecord, head);
    EXPECT_EQ(head, 0);
}

TEST(CTree, RefusedChangesReportAndChangeNothing) {
    RecordingPlatformScope platform;
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    const DatabaseState before = captureState(tree);

    EXPECT_EQ(tree.dataTask(2, kAttrColor, 4), kErrUnbalancedUndo);
    const CRString text("Y", 1);
    EXPECT_EQ(tree.stringTask(2, kAttrLabel, &text), kErrUnbalancedUndo);
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    EXPECT_TRUE(stringsAreConsistent(tree));

    // A category still holds its name, so it cannot be discarded.
    EXPECT_EQ(inStep(tree, kLabelDeleteCategory, [&] { return tree.discardRecord(2); }),
              kErrGeneral);
    EXPECT_EQ(tree.tablet().cell(2, kAttrType), kRecordCategory);
    const auto reports = platform.recorder.bugReports();
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), "CTree::discardRecord (general error)");

    const CRString* none = nullptr;
    EXPECT_EQ(tree.getAnyString(2, kAttrSubscript, none), kNoErr);
    ASSERT_NE(none, nullptr);
    EXPECT_STREQ(none->getStringValue(), "");
}

TEST(CTree, FailedLoadsLeaveTheDatabaseAsItWasAndReport) {
    TempDir dir;
    RecordingPlatformScope platform;
    CTree good;
    int32_t root = 0, left = 0, right = 0;
    buildSmallDocument(good, root, left, right);
    const std::string path = dir.file("good.rdc");
    ASSERT_EQ(saveWithVersion(good, path), kNoErr);
    const auto original = readFileBytes(path);

    // Damaged trees: each cell rewritten in the 'Tabl' fork of a copy of the file.
    CFileDescriptor probe(path);
    RErr err = kNoErr;
    int32_t tablOffset = 0, records = 0;
    {
        CRFile container(probe, err);
        ASSERT_EQ(err, kNoErr);
        tablOffset = container.entry(1).offset;
    }
    good.tablet().getMaxRecords(records);
    const auto cellOffset = [&](int32_t record, int32_t attribute) {
        return static_cast<std::size_t>(tablOffset + 8 +
                                        4 * (records * (attribute - 1) + record - 1));
    };
    struct Damage {
        const char* what;
        int32_t record, attribute, value;
    };
    const Damage damages[] = {
        {"a cycle of sisters", right, kAttrNextSister, left},
        {"a daughter that is a category", root, kAttrLeftmostDaughter, 2},
        {"a link outside the table", left, kAttrNextSister, 9999},
        {"a root list through a category", kHeaderRecord, kHdrFirstRoot, 3},
        {"two cells sharing one string", right, kAttrLabel, good.tablet().cell(left, kAttrLabel)},
        {"a string that does not exist", right, kAttrSubscript, 77},
        {"an unknown record type", left, kAttrType, 9},
        {"a slot owned by a node", kHeaderRecord, kFirstFeatureSlot, root},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        auto bytes = original;
        const auto at = cellOffset(damage.record, damage.attribute);
        const auto value = be32(damage.value);
        std::copy(value.begin(), value.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
        const std::string damaged = dir.file("damaged.rdc");
        writeFileBytes(damaged, bytes);

        CTree tree;
        ASSERT_EQ(tree.createTree(true), kNoErr);
        const DatabaseState before = captureState(tree);
        platform.recorder.clear();
        EXPECT_EQ(loadInto(tree, damaged), kErrInvalidFormat);
        EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
        ASSERT_FALSE(platform.recorder.bugReports().empty());
        EXPECT_EQ(platform.recorder.bugReports().back(), "CTree::doLoad (1008)");
    }

    // Not a container at all.
    const std::string junk = dir.file("junk.rdc");
    writeFileBytes(junk, {1, 2, 3});
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    EXPECT_NE(loadInto(tree, junk), kNoErr);
    EXPECT_EQ(tree.recordCount(), 6);
}
