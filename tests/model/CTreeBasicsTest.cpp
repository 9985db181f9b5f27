#include "ModelTestSupport.h"

#include "storage/CFileDescriptor.h"
#include "storage/CRFile.h"
#include "storage/CVersionInfo.h"
#include "support/ContainerTestSupport.h"

#include <algorithm>

namespace {

RErr saveWithVersion(CTree& tree, const std::string& path) {
    CFileDescriptor file(path);
    RErr err = tree.doSave(file);
    return err ? err : CVersionInfo(file).writeCurrentVersionInfo();
}

RErr loadInto(CTree& tree, const std::string& path) {
    CFileDescriptor file(path);
    return tree.doLoad(file);
}

// A fresh database loaded from the file.
void loadFresh(CTree& tree, const std::string& path) {
    ASSERT_EQ(tree.createTree(false), kNoErr);
    ASSERT_EQ(loadInto(tree, path), kNoErr);
}

// A small document: one tree with a root and two daughters, labels and a feature value.
void buildSmallDocument(CTree& tree, int32_t& root, int32_t& left, int32_t& right) {
    ASSERT_EQ(tree.createTree(true), kNoErr);
    const CRString featureName("case", 1), s("S", 1), np("NP", 1), vp("VP", 1), nom("nom", 1);
    step(tree, [&] {
        int32_t feature = 0;
        EXPECT_EQ(tree.newName(kRecordFeature, feature), kNoErr);
        EXPECT_EQ(tree.setMainString(feature, featureName), kNoErr);
        EXPECT_EQ(tree.newRecord(root, kRecordNode), kNoErr);
        EXPECT_EQ(tree.newRecord(left, kRecordNode), kNoErr);
        EXPECT_EQ(tree.newRecord(right, kRecordNode), kNoErr);
        EXPECT_EQ(tree.setRootOfList(kHdrFirstRoot, root), kNoErr);
        EXPECT_EQ(tree.dataTask(root, kAttrLeftmostDaughter, left), kNoErr);
        EXPECT_EQ(tree.dataTask(left, kAttrMother, root), kNoErr);
        EXPECT_EQ(tree.dataTask(right, kAttrMother, root), kNoErr);
        EXPECT_EQ(tree.dataTask(left, kAttrNextSister, right), kNoErr);
        EXPECT_EQ(tree.setMainString(root, s), kNoErr);
        EXPECT_EQ(tree.setMainString(left, np), kNoErr);
        EXPECT_EQ(tree.setMainString(right, vp), kNoErr);
        EXPECT_EQ(tree.stringTask(left, kFirstFeatureSlot, &nom), kNoErr);
    });
}

bool flag(CTree& tree, RErr (CUndoStructure::*query)(bool&) const) {
    return ask<bool>(tree.undoStructure(), query);
}

} // namespace

TEST(CTree, NewGrammarHoldsTheStandardCategoriesAndNothingToUndo) {
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    EXPECT_EQ(tree.recordCount(), 6);
    EXPECT_EQ(tree.attributeCount(), 51);
    std::string names, order;
    for (int32_t r = 2; r <= 6; ++r) {
        EXPECT_EQ(ask(tree, &CTree::getRecordType, r), kRecordCategory);
        names += cellText(tree, r, kAttrLabel);
    }
    EXPECT_EQ(names, "XNVAP");
    const int32_t head = ask(tree, &CTree::getRootOfList, kHdrFirstCategory);
    EXPECT_EQ(head, 6);
    for (int32_t c = head; c != 0; c = tree.tablet().cell(c, kAttrNextRoot))
        order += cellText(tree, c, kAttrLabel);
    EXPECT_EQ(order, "PAVNX");
    EXPECT_EQ(tree.tablet().cell(2, kAttrPreviousRoot), 3);
    EXPECT_EQ(tree.tablet().cell(6, kAttrPreviousRoot), 0);
    EXPECT_EQ(ask(tree, &CTree::getBlessedCategory), 2);
    EXPECT_FALSE(flag(tree, &CUndoStructure::canUndo));
    EXPECT_FALSE(flag(tree, &CUndoStructure::isDirty));
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
    EXPECT_EQ(std::vector<unsigned char>(bytes.end() - 4, bytes.end()), be32(1286));
    CFileDescriptor file(path);
    RErr err = kNoErr;
    CRFile container(file, err);
    ASSERT_EQ(err, kNoErr);
    ASSERT_EQ(container.forkCount(), 4);
    const std::pair<RForkType, int32_t> forks[] = {
        {kForkData, 0}, {kForkTablet, 0}, {kForkStrings, 1232}, {kForkVersion, 1266}};
    for (int32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(container.entry(i).forkType, forks[i].first);
        EXPECT_EQ(container.entry(i).offset, forks[i].second);
    }
    // 'Stri': highest ID 5, then the five one-letter names with IDs 1 to 5.
    std::vector<unsigned char> strings = be32(5);
    for (int32_t id = 1; id <= 5; ++id) {
        appendBE32(strings, id);
        strings.push_back(static_cast<unsigned char>("XNVAP"[id - 1]));
        strings.push_back(0);
    }
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 1232, bytes.begin() + 1266), strings);
}

TEST(CTree, SaveLoadSaveGivesIdenticalForksAndTheSameRecords) {
    TempDir dir;
    CTree tree, loaded, again;
    int32_t root = 0, left = 0, right = 0;
    buildSmallDocument(tree, root, left, right);
    const std::string first = dir.file("first.rdc"), second = dir.file("second.rdc"),
                      third = dir.file("third.rdc");
    ASSERT_EQ(saveWithVersion(tree, first), kNoErr);
    loadFresh(loaded, first);
    // The load fills in the missing font name, so compare a second round trip too.
    ASSERT_EQ(saveWithVersion(loaded, second), kNoErr);
    loadFresh(again, second);
    ASSERT_EQ(saveWithVersion(again, third), kNoErr);
    EXPECT_EQ(forkBytes(second, kForkTablet), forkBytes(third, kForkTablet));
    EXPECT_EQ(forkBytes(second, kForkStrings), forkBytes(third, kForkStrings));

    EXPECT_EQ(cellText(loaded, root, kAttrLabel), "S");
    EXPECT_EQ(cellText(loaded, left, kAttrLabel), "NP");
    EXPECT_EQ(cellText(loaded, left, kFirstFeatureSlot), "nom");
    EXPECT_EQ(loaded.tablet().cell(left, kAttrNextSister), right);
    EXPECT_EQ(loaded.tablet().cell(root, kAttrDirty), 1);
    EXPECT_TRUE(stringsAreConsistent(loaded));
    EXPECT_FALSE(flag(loaded, &CUndoStructure::isDirty));
    EXPECT_FALSE(flag(loaded, &CUndoStructure::canUndo));
}

TEST(CTree, LoadRepairsOldPreferencesAndGivesEveryNodeAFreshFishSpine) {
    TempDir dir;
    CTree tree, loaded, big;
    int32_t root = 0, left = 0, right = 0;
    buildSmallDocument(tree, root, left, right);
    tree.fontSize = 7;
    tree.verticalPadding = 3;
    tree.lineHeight = 11;
    tree.tablet().setValue(left, kAttrFishSpine, 123456); // means nothing after a load
    const std::string path = dir.file("old.rdc");
    ASSERT_EQ(saveWithVersion(tree, path), kNoErr);
    loadFresh(loaded, path);
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
    EXPECT_FALSE(flag(loaded, &CUndoStructure::isDirty));
    tree.fontSize = 145;
    ASSERT_EQ(saveWithVersion(tree, path), kNoErr);
    loadFresh(big, path);
    EXPECT_EQ(big.fontSize, 10);
}

TEST(CTree, RecordsAreReusedAndTableGrowthIsNotUndone) {
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    int32_t node = 0;
    step(tree, [&] { return tree.newRecord(node, kRecordNode); });
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
    step(tree, [&] {
        EXPECT_EQ(tree.dataTask(node, kAttrFishSpineDepth, 0), kNoErr);
        EXPECT_EQ(tree.discardRecord(node), kNoErr);
    });
    EXPECT_EQ(tree.tablet().cell(node, kAttrType), kRecordUnused);
    EXPECT_EQ(tree.fishSpine(node), nullptr);
    int32_t reused = 0;
    step(tree, [&] { return tree.newRecord(reused, kRecordNode); });
    EXPECT_EQ(reused, node);
    EXPECT_EQ(tree.recordCount(), 7);
    EXPECT_EQ(ask(tree, &CTree::getRootOfList, kHdrFirstUnusedRecord), 0);
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
    EXPECT_EQ(platform.recorder.bugReports().back(), "CTree::discardRecord (general error)");
    const CRString* none = ask<const CRString*>(tree, &CTree::getAnyString, 2, kAttrSubscript);
    ASSERT_NE(none, nullptr);
    EXPECT_STREQ(none->getStringValue(), "");
}

TEST(CTree, FailedLoadsLeaveTheDatabaseAsItWasAndReport) {
    TempDir dir;
    RecordingPlatformScope platform;
    CTree good;
    int32_t root = 0, left = 0, right = 0;
    buildSmallDocument(good, root, left, right);
    const std::string path = dir.file("good.rdc"), damaged = dir.file("damaged.rdc");
    ASSERT_EQ(saveWithVersion(good, path), kNoErr);
    const auto original = readFileBytes(path);
    // Damaged trees: each cell rewritten in the 'Tabl' fork of a copy of the file.
    int32_t tablOffset = 0;
    {
        CFileDescriptor probe(path);
        RErr err = kNoErr;
        CRFile container(probe, err);
        ASSERT_EQ(err, kNoErr);
        tablOffset = container.entry(1).offset;
    }
    const int32_t records = ask(good.tablet(), &CTablet::getMaxRecords);
    const struct {
        const char* what;
        int32_t record, attribute, value;
    } rows[] = {
        {"a cycle of sisters", right, kAttrNextSister, left},
        {"a daughter that is a category", root, kAttrLeftmostDaughter, 2},
        {"a link outside the table", left, kAttrNextSister, 9999},
        {"a root list through a category", kHeaderRecord, kHdrFirstRoot, 3},
        {"two cells sharing one string", right, kAttrLabel, good.tablet().cell(left, kAttrLabel)},
        {"a string that does not exist", right, kAttrSubscript, 77},
        {"an unknown record type", left, kAttrType, 9},
        {"a slot owned by a node", kHeaderRecord, kFirstFeatureSlot, root},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        auto bytes = original;
        const auto value = be32(row.value);
        std::copy(value.begin(), value.end(),
                  bytes.begin() + tablOffset + 8 +
                      4 * (records * (row.attribute - 1) + row.record - 1));
        writeFileBytes(damaged, bytes);
        CTree tree;
        ASSERT_EQ(tree.createTree(true), kNoErr);
        const DatabaseState before = captureState(tree);
        platform.recorder.clear();
        EXPECT_EQ(loadInto(tree, damaged), kErrInvalidFormat);
        EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
        EXPECT_EQ(platform.recorder.bugReports(), RReports{"CTree::doLoad (1008)"});
    }
    // Not a container at all.
    writeFileBytes(damaged, {1, 2, 3});
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    EXPECT_NE(loadInto(tree, damaged), kNoErr);
    EXPECT_EQ(tree.recordCount(), 6);
}
