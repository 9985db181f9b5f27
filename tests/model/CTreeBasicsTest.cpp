#include "CallTable.h"

#include "storage/CFileDescriptor.h"
#include "storage/CRFile.h"
#include "storage/CVersionInfo.h"
#include "support/ContainerTestSupport.h"

#include <algorithm>

namespace {

RErr saveWithVersion(CTree& tree, const std::string& path) {
    CFileDescriptor file(path);
    return firstError({tree.doSave(file), CVersionInfo(file).writeCurrentVersionInfo()});
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

// The undo flags as "canUndo isDirty".
std::string flags(CTree& tree) {
    return std::to_string(ask<bool>(tree.undoStructure(), &CUndoStructure::canUndo)) + " " +
           std::to_string(ask<bool>(tree.undoStructure(), &CUndoStructure::isDirty));
}

// A small document: the feature is record 7, then "S(NP VP)" as records 8 to 10.
void buildSmallDocument(CTree& tree) {
    ASSERT_EQ(tree.createTree(true), kNoErr);
    std::map<std::string, int32_t> nodes;
    buildSetup(tree, nodes, ".newName 4; S(NP VP); .assign NP 52 'nom; .setCitation S 'dog");
}
constexpr int32_t kRoot = 8, kLeft = 9, kRight = 10;

} // namespace

TEST(CTree, NewGrammarHoldsTheStandardCategoriesAndNothingToUndo) {
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    EXPECT_EQ(joined(std::vector{tree.recordCount(), tree.attributeCount()}), "6 51");
    EXPECT_EQ(flags(tree), "0 0");
    EXPECT_EQ(tree.fontSize, 10);
    EXPECT_EQ(joined(std::vector{tree.tablet().cell(kHeaderRecord, kHdrLineHeight),
                                 tree.tablet().cell(kHeaderRecord, kHdrHorizontalPadding),
                                 tree.tablet().cell(kHeaderRecord, kHdrVerticalPadding)}),
              "16 10 2");
    CTree empty;
    ASSERT_EQ(empty.createTree(false), kNoErr);
    EXPECT_EQ(empty.recordCount(), 1);

    // Saved for the first time: four forks, the strings as highest ID 5, then the five
    // one-letter names with IDs 1 to 5.
    TempDir dir;
    const std::string path = dir.file("new.rgr");
    ASSERT_EQ(saveWithVersion(tree, path), kNoErr);
    const auto bytes = readFileBytes(path);
    ASSERT_EQ(bytes.size(), 1346u);
    EXPECT_EQ(std::vector<unsigned char>(bytes.end() - 4, bytes.end()), be32(1286));
    std::string forks;
    ASSERT_EQ(withContainer(path,
                            [&](CRFile& container) {
                                for (int32_t i = 0; i < container.forkCount(); ++i)
                                    forks += std::to_string(container.entry(i).forkType) + "@" +
                                             std::to_string(container.entry(i).offset) + " ";
                                return kNoErr;
                            }),
              kNoErr);
    EXPECT_EQ(forks, std::to_string(kForkData) + "@0 " + std::to_string(kForkTablet) + "@0 " +
                         std::to_string(kForkStrings) + "@1232 " + std::to_string(kForkVersion) +
                         "@1266 ");
    std::vector<unsigned char> strings = be32(5);
    for (int32_t id = 1; id <= 5; ++id) {
        appendBE32(strings, id);
        strings.push_back(static_cast<unsigned char>("XNVAP"[id - 1]));
        strings.push_back(0);
    }
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 1232, bytes.begin() + 1266), strings);
}

TEST(CTree, SaveLoadSaveGivesIdenticalForksAndLoadRepairsOldPreferences) {
    TempDir dir;
    CTree tree, loaded, again;
    buildSmallDocument(tree);
    tree.fontSize = 7;
    tree.verticalPadding = 3;
    tree.lineHeight = 11;
    tree.tablet().setValue(kLeft, kAttrFishSpine, 123456); // means nothing after a load
    tree.tablet().setValue(kRoot, kAttrDirty, 0);          // loading marks every tree for layout
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

    EXPECT_EQ(cellText(loaded, kRoot, kAttrLabel) + cellText(loaded, kLeft, kAttrLabel) +
                  cellText(loaded, kLeft, kFirstFeatureSlot) + " " +
                  cellText(loaded, kHeaderRecord, kHdrFontName),
              "SNPnom MS Sans Serif");
    const auto cell = [&](int32_t r, int32_t a) { return loaded.tablet().cell(r, a); };
    EXPECT_EQ(joined(std::vector{cell(kLeft, kAttrNextSister), cell(kRoot, kAttrDirty),
                                 cell(kLeft, kAttrDirty), loaded.fontSize,
                                 cell(kHeaderRecord, kHdrFontSize), loaded.verticalPadding,
                                 loaded.lineHeight, cell(kHeaderRecord, kHdrLineHeight)}),
              joined(std::vector{kRight, 1, 0, 10, 10, 2, 16, 16}));
    EXPECT_TRUE(stringsAreConsistent(loaded));
    EXPECT_EQ(flags(loaded), "0 0");
    // Every node gets a fresh fish spine.
    for (const int32_t node : {kRoot, kLeft, kRight}) {
        ASSERT_NE(loaded.fishSpine(node), nullptr);
        EXPECT_EQ(loaded.fishSpine(node)->size(), 2u);
        EXPECT_EQ(cell(node, kAttrFishSpineDepth), 1);
    }
    tree.fontSize = 145;
    ASSERT_EQ(saveWithVersion(tree, first), kNoErr);
    CTree big;
    loadFresh(big, first);
    EXPECT_EQ(big.fontSize, 10);
}

TEST(CTreeCalls, RecordsAreReusedAndTableGrowthIsNotUndone) {
    // Undoing a record made by growth keeps the table's size and leaves type 0; a node needs
    // its depth cleared before it can be discarded; a category still holds its name.
    expectCalls({
        {"", "newRecord ? cell 7 type; cell 7 depth; spine 7", " =2 1 1"},
        {".newRecord", "data 7 depth 0; discard 7 ? cell 7 type; spine 7; freeList", " =1 0 7"},
        {".newRecord; .data 7 depth 0; .discard 7", "newRecord ? cell 7 type; spine 7; freeList",
         " =2 1 0"},
        {"", "discard 2", "!CTree::discardRecord (general error)"},
        {"", "text 2 subscript", "=-"},
    });
}

TEST(CTree, ChangesOutsideAnUndoStepAreRefused) {
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    const DatabaseState before = captureState(tree);
    EXPECT_EQ(tree.dataTask(2, kAttrColor, 4), kErrUnbalancedUndo);
    const CRString text("Y", 1);
    EXPECT_EQ(tree.stringTask(2, kAttrLabel, &text), kErrUnbalancedUndo);
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    EXPECT_TRUE(stringsAreConsistent(tree));
}

TEST(CTree, FailedLoadsLeaveTheDatabaseAsItWasAndReport) {
    TempDir dir;
    RecordingPlatformScope platform;
    CTree good;
    buildSmallDocument(good);
    const std::string path = dir.file("good.rdc"), damaged = dir.file("damaged.rdc");
    ASSERT_EQ(saveWithVersion(good, path), kNoErr);
    const auto original = readFileBytes(path);
    int32_t tablOffset = 0;
    ASSERT_EQ(withContainer(path,
                            [&](CRFile& container) {
                                tablOffset = container.entry(1).offset;
                                return kNoErr;
                            }),
              kNoErr);
    const int32_t records = ask(good.tablet(), &CTablet::getMaxRecords);
    // Damaged trees: each cell rewritten in the 'Tabl' fork of a copy of the file.
    const struct {
        const char* what;
        int32_t record, attribute, value;
    } rows[] = {
        {"a cycle of sisters", kRight, kAttrNextSister, kLeft},
        {"a daughter that is a category", kRoot, kAttrLeftmostDaughter, 2},
        {"a link outside the table", kLeft, kAttrNextSister, 9999},
        {"a root list through a category", kHeaderRecord, kHdrFirstRoot, 3},
        {"two cells sharing one string", kRight, kAttrLabel, good.tablet().cell(kLeft, kAttrLabel)},
        {"a string that does not exist", kRight, kAttrSubscript, 77},
        {"an unknown record type", kLeft, kAttrType, 9},
        {"a slot owned by a node", kHeaderRecord, kFirstFeatureSlot, kRoot},
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
