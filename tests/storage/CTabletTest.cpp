#include "storage/CTablet.h"
#include "storage/CFileDescriptor.h"
#include "storage/CRFile.h"
#include "support/ContainerTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

RErr writeTablet(const std::string& path, const CTablet& tablet) {
    return withContainer(path, [&](CRFile& file) { return tablet.writeTabletToDisk(file); });
}

RErr readTablet(const std::string& path, CTablet& tablet) {
    return withContainer(path, [&](CRFile& file) { return tablet.readTabletFromDisk(file); });
}

int32_t forkSize(const std::string& path, RForkType type) {
    return static_cast<int32_t>(forkBytes(path, type).size());
}

// Overwrites the 'Tabl' fork with the given integers, resizing it to hold exactly them.
void replaceTabletFork(const std::string& path, const std::vector<int32_t>& values) {
    std::vector<unsigned char> bytes;
    for (const int32_t value : values)
        appendBE32(bytes, value);
    replaceFork(path, kForkTablet, bytes);
}

int32_t valueAt(const CTablet& tablet, int32_t record, int32_t attribute) {
    int32_t value = -1;
    EXPECT_EQ(tablet.getValue(record, attribute, value), kNoErr);
    return value;
}

void expectShape(const CTablet& tablet, int32_t attributes, int32_t records) {
    int32_t a = 0;
    int32_t r = 0;
    EXPECT_EQ(tablet.getMaxAttributes(a), kNoErr);
    EXPECT_EQ(tablet.getMaxRecords(r), kNoErr);
    EXPECT_EQ(a, attributes);
    EXPECT_EQ(r, records);
}

// A tablet whose every cell holds a value derived from its place, negatives included.
void fillDistinct(CTablet& tablet, int32_t attributes, int32_t records) {
    ASSERT_EQ(tablet.setMaxAttributes(attributes), kNoErr);
    ASSERT_EQ(tablet.setMaxRecords(records), kNoErr);
    for (int32_t a = 1; a <= attributes; ++a)
        for (int32_t r = 1; r <= records; ++r)
            ASSERT_EQ(tablet.setValue(r, a, (a * 1000 + r) * (r % 2 ? 1 : -1)), kNoErr);
}

} // namespace

TEST(CTablet, NewTabletIsOneByOneReadingZero) {
    CTablet tablet;
    EXPECT_FALSE(tablet.exists());
    ASSERT_EQ(tablet.createTablet(), kNoErr);
    EXPECT_TRUE(tablet.exists());
    expectShape(tablet, 1, 1);
    EXPECT_EQ(valueAt(tablet, 1, 1), 0);
}

TEST(CTablet, UncreatedOrRecreatedTabletIsRefused) {
    RecordingPlatformScope scope;
    CTablet tablet;
    int32_t out = 7;
    EXPECT_EQ(tablet.getMaxAttributes(out), kErrNotInitialized);
    EXPECT_EQ(out, 0);
    out = 7;
    EXPECT_EQ(tablet.getMaxRecords(out), kErrNotInitialized);
    EXPECT_EQ(out, 0);
    EXPECT_EQ(tablet.setValue(1, 1, 5), kErrNotInitialized);
    EXPECT_EQ(tablet.getValue(1, 1, out), kErrNotInitialized);
    EXPECT_EQ(tablet.setMaxRecords(3), kErrNotInitialized);
    EXPECT_EQ(tablet.setMaxAttributes(3), kErrNotInitialized);
    EXPECT_EQ(tablet.destroyTablet(), kNoErr);
    ASSERT_EQ(tablet.createTablet(), kNoErr);
    EXPECT_EQ(tablet.createTablet(), kErrReinitialized);
    EXPECT_EQ(scope.recorder.bugReports(),
              (std::vector<std::string>{
                  "CTablet::getMaxAttributes (data structure not initialized)",
                  "CTablet::getMaxRecords (data structure not initialized)",
                  "CTablet::setValue (data structure not initialized)",
                  "CTablet::getValue (data structure not initialized)",
                  "CTablet::setMaxRecords (data structure not initialized)",
                  "CTablet::setMaxAttributes (data structure not initialized)",
                  "CTablet::createTablet (attempt to reinitialize data structure)",
              }));
    TempDir dir;
    const std::string path = newContainer(dir, "t.rgr");
    CTablet uncreated;
    EXPECT_EQ(writeTablet(path, uncreated), kErrNotInitialized);
    EXPECT_EQ(readTablet(path, uncreated), kErrNotInitialized);
    EXPECT_FALSE(uncreated.exists());
}

TEST(CTablet, OutOfRangeIndicesGiveInvalidParameterAndChangeNothing) {
    RecordingPlatformScope scope;
    CTablet tablet;
    ASSERT_EQ(tablet.createTablet(), kNoErr);
    fillDistinct(tablet, 3, 4);
    const std::vector<std::pair<int32_t, int32_t>> outside = {{0, 1},  {1, 0},  {5, 1}, {1, 4},
                                                              {-1, 2}, {2, -3}, {0, 0}};
    for (const auto& [record, attribute] : outside) {
        int32_t out = 12345;
        EXPECT_EQ(tablet.getValue(record, attribute, out), kErrInvalidParameter);
        EXPECT_EQ(out, 12345) << "getValue wrote its out value on failure";
        EXPECT_EQ(tablet.setValue(record, attribute, 99), kErrInvalidParameter);
    }
    const auto reports = scope.recorder.bugReports();
    ASSERT_EQ(reports.size(), 2 * outside.size());
    EXPECT_EQ(reports[0], "CTablet::getValue (invalid parameter)");
    EXPECT_EQ(reports[1], "CTablet::setValue (invalid parameter)");
    expectShape(tablet, 3, 4);
    for (int32_t a = 1; a <= 3; ++a)
        for (int32_t r = 1; r <= 4; ++r)
            EXPECT_EQ(valueAt(tablet, r, a), (a * 1000 + r) * (r % 2 ? 1 : -1));

    scope.recorder.clear();
    EXPECT_EQ(tablet.setMaxRecords(0), kErrInvalidParameter);
    EXPECT_EQ(tablet.setMaxAttributes(-2), kErrInvalidParameter);
    EXPECT_EQ(scope.recorder.bugReports(),
              (std::vector<std::string>{"CTablet::setMaxRecords (invalid parameter)",
                                        "CTablet::setMaxAttributes (invalid parameter)"}));
    expectShape(tablet, 3, 4);
    EXPECT_EQ(valueAt(tablet, 4, 3), -3004);
}

TEST(CTablet, GrowingKeepsValuesAndZeroesNewCells) {
    CTablet tablet;
    ASSERT_EQ(tablet.createTablet(), kNoErr);
    fillDistinct(tablet, 2, 3);
    ASSERT_EQ(tablet.setMaxRecords(10), kNoErr);
    ASSERT_EQ(tablet.setMaxAttributes(5), kNoErr);
    expectShape(tablet, 5, 10);
    for (int32_t a = 1; a <= 5; ++a) {
        for (int32_t r = 1; r <= 10; ++r) {
            const int32_t expected = (a <= 2 && r <= 3) ? (a * 1000 + r) * (r % 2 ? 1 : -1) : 0;
            EXPECT_EQ(valueAt(tablet, r, a), expected) << "record " << r << " attribute " << a;
        }
    }
    EXPECT_EQ(tablet.cell(3, 2), 2003);
    EXPECT_EQ(tablet.cell(2, 1), -1002);
    ASSERT_EQ(tablet.setValue(10, 5, 77), kNoErr);
    EXPECT_EQ(tablet.cell(10, 5), 77);
}

TEST(CTablet, ShrinkingThenGrowingGivesZeroNotOldValues) {
    CTablet tablet;
    ASSERT_EQ(tablet.createTablet(), kNoErr);
    fillDistinct(tablet, 4, 6);
    ASSERT_EQ(tablet.setMaxRecords(2), kNoErr);
    ASSERT_EQ(tablet.setMaxAttributes(2), kNoErr);
    expectShape(tablet, 2, 2);
    int32_t out = 0;
    {
        RecordingPlatformScope scope;
        EXPECT_EQ(tablet.getValue(3, 1, out), kErrInvalidParameter);
        EXPECT_EQ(tablet.getValue(1, 3, out), kErrInvalidParameter);
    }
    ASSERT_EQ(tablet.setMaxRecords(6), kNoErr);
    ASSERT_EQ(tablet.setMaxAttributes(4), kNoErr);
    for (int32_t a = 1; a <= 4; ++a) {
        for (int32_t r = 1; r <= 6; ++r) {
            const int32_t expected = (a <= 2 && r <= 2) ? (a * 1000 + r) * (r % 2 ? 1 : -1) : 0;
            EXPECT_EQ(valueAt(tablet, r, a), expected) << "record " << r << " attribute " << a;
        }
    }
}

TEST(CTablet, CountsItselfItsPointerArrayAndEachColumn) {
    CRMemory& memory = CRMemory::shared();
    const int64_t objects = memory.live(kKindCTablet);
    const int64_t pointers = memory.live(kTagTabletPointers);
    const int64_t columns = memory.live(kTagTabletColumn);
    {
        CTablet tablet;
        EXPECT_EQ(memory.live(kKindCTablet), objects + 1);
        EXPECT_EQ(memory.live(kTagTabletPointers), pointers);
        ASSERT_EQ(tablet.createTablet(), kNoErr);
        EXPECT_EQ(memory.live(kTagTabletPointers), pointers + 1);
        EXPECT_EQ(memory.live(kTagTabletColumn), columns + 1);
        ASSERT_EQ(tablet.setMaxAttributes(51), kNoErr);
        ASSERT_EQ(tablet.setMaxRecords(9), kNoErr);
        EXPECT_EQ(memory.live(kTagTabletColumn), columns + 51);
        ASSERT_EQ(tablet.setMaxAttributes(20), kNoErr);
        EXPECT_EQ(memory.live(kTagTabletColumn), columns + 20);

        TempDir dir;
        const std::string path = newContainer(dir, "t.rgr");
        CTablet other;
        ASSERT_EQ(other.createTablet(), kNoErr);
        ASSERT_EQ(other.setMaxAttributes(7), kNoErr);
        ASSERT_EQ(writeTablet(path, other), kNoErr);
        ASSERT_EQ(other.destroyTablet(), kNoErr);
        EXPECT_FALSE(other.exists());
        ASSERT_EQ(readTablet(path, tablet), kNoErr);
        EXPECT_EQ(memory.live(kTagTabletColumn), columns + 7);
        EXPECT_EQ(memory.live(kTagTabletPointers), pointers + 1);
    }
    EXPECT_EQ(memory.live(kKindCTablet), objects);
    EXPECT_EQ(memory.live(kTagTabletPointers), pointers);
    EXPECT_EQ(memory.live(kTagTabletColumn), columns);
}

TEST(CTablet, Writes51By7TabletAsBigEndianForkAndReadsItBack) {
    TempDir dir;
    const std::string path = newContainer(dir, "g.rgr");
    CTablet tablet;
    ASSERT_EQ(tablet.createTablet(), kNoErr);
    fillDistinct(tablet, 51, 7);
    ASSERT_EQ(writeTablet(path, tablet), kNoErr);
    EXPECT_EQ(forkSize(path, kForkTablet), 1436);

    // 'DATA' is empty, so the 'Tabl' fork starts at the file's first byte.
    const auto bytes = readFileBytes(path);
    ASSERT_GE(bytes.size(), 1436u);
    const std::vector<unsigned char> head(bytes.begin(), bytes.begin() + 8);
    EXPECT_EQ(head, (std::vector<unsigned char>{0, 0, 0, 0x33, 0, 0, 0, 7}));
    std::vector<unsigned char> expected;
    appendBE32(expected, 51);
    appendBE32(expected, 7);
    for (int32_t a = 1; a <= 51; ++a)
        for (int32_t r = 1; r <= 7; ++r)
            appendBE32(expected, (a * 1000 + r) * (r % 2 ? 1 : -1));
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 1436), expected);

    CTablet loaded;
    ASSERT_EQ(loaded.createTablet(), kNoErr);
    ASSERT_EQ(readTablet(path, loaded), kNoErr);
    expectShape(loaded, 51, 7);
    for (int32_t a = 1; a <= 51; ++a)
        for (int32_t r = 1; r <= 7; ++r)
            EXPECT_EQ(valueAt(loaded, r, a), (a * 1000 + r) * (r % 2 ? 1 : -1));

    // Reading replaces a larger shape too.
    CTablet larger;
    ASSERT_EQ(larger.createTablet(), kNoErr);
    fillDistinct(larger, 60, 12);
    ASSERT_EQ(readTablet(path, larger), kNoErr);
    expectShape(larger, 51, 7);
    EXPECT_EQ(valueAt(larger, 7, 51), 51007);
}

TEST(CTablet, RewritingResizesTheExistingForkExactly) {
    TempDir dir;
    const std::string path = newContainer(dir, "g.rgr");
    CTablet tablet;
    ASSERT_EQ(tablet.createTablet(), kNoErr);
    fillDistinct(tablet, 51, 7);
    ASSERT_EQ(writeTablet(path, tablet), kNoErr);
    ASSERT_EQ(tablet.setMaxAttributes(2), kNoErr);
    ASSERT_EQ(tablet.setMaxRecords(3), kNoErr);
    ASSERT_EQ(writeTablet(path, tablet), kNoErr);
    EXPECT_EQ(forkSize(path, kForkTablet), (2 * 3 + 2) * 4);

    CTablet loaded;
    ASSERT_EQ(loaded.createTablet(), kNoErr);
    ASSERT_EQ(readTablet(path, loaded), kNoErr);
    expectShape(loaded, 2, 3);
    EXPECT_EQ(valueAt(loaded, 2, 2), -2002);
    EXPECT_EQ(valueAt(loaded, 3, 1), 1003);
}

TEST(CTablet, MissingForkGivesTheContainersCode) {
    RecordingPlatformScope scope;
    TempDir dir;
    const std::string path = newContainer(dir, "empty.rgr");
    CTablet tablet;
    ASSERT_EQ(tablet.createTablet(), kNoErr);
    ASSERT_EQ(tablet.setValue(1, 1, 42), kNoErr);
    EXPECT_EQ(readTablet(path, tablet), kErrNoSuchFork);
    const auto reports = scope.recorder.bugReports();
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), "CTablet::readTabletFromDisk (-102)");
    expectShape(tablet, 1, 1);
    EXPECT_EQ(valueAt(tablet, 1, 1), 42);
}

TEST(CTablet, CorruptedForksFailCleanlyAndLeaveTheTabletAsItWas) {
    TempDir dir;
    const std::string path = newContainer(dir, "bad.rgr");
    CTablet source;
    ASSERT_EQ(source.createTablet(), kNoErr);
    fillDistinct(source, 3, 2);
    ASSERT_EQ(writeTablet(path, source), kNoErr);

    const std::vector<std::vector<int32_t>> damaged = {
        {3, 3, 1, 2, 3, 4, 5, 6},             // one record more than the fork holds
        {2, 2, 1, 2, 3, 4, 5, 6},             // fewer cells than the fork holds
        {0, 6, 1, 2, 3, 4, 5, 6},             // no attributes
        {6, 0, 1, 2, 3, 4, 5, 6},             // no records
        {-1, -6, 1, 2, 3, 4, 5, 6},           // negative counts whose product fits
        {0x7FFFFFFF, 0x7FFFFFFF, 1, 2, 3, 4}, // huge counts
        {1227133514, 7, 1, 2, 3, 4, 5, 6},    // a product that wraps in 32 bits to 6
        {3},                                  // too short for the two counts
        {},                                   // empty
    };
    for (const auto& fork : damaged) {
        RecordingPlatformScope scope;
        replaceTabletFork(path, fork);
        CTablet tablet;
        ASSERT_EQ(tablet.createTablet(), kNoErr);
        fillDistinct(tablet, 2, 5);
        EXPECT_EQ(readTablet(path, tablet), kErrInvalidFormat) << "fork of " << fork.size();
        EXPECT_EQ(scope.recorder.bugReports(),
                  std::vector<std::string>{"CTablet::readTabletFromDisk (1008)"});
        expectShape(tablet, 2, 5);
        EXPECT_EQ(valueAt(tablet, 5, 2), 2005);
        EXPECT_EQ(valueAt(tablet, 4, 1), -1004);
    }

    // The same fork with matching counts is accepted: the checks reject only the damage.
    replaceTabletFork(path, {3, 2, 1, 2, 3, 4, 5, 6});
    CTablet tablet;
    ASSERT_EQ(tablet.createTablet(), kNoErr);
    ASSERT_EQ(readTablet(path, tablet), kNoErr);
    expectShape(tablet, 3, 2);
    EXPECT_EQ(valueAt(tablet, 2, 3), 6);
    EXPECT_EQ(valueAt(tablet, 1, 2), 3);
}
