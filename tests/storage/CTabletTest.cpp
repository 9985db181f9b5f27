#include "storage/CTablet.h"

#include "storage/CRFile.h"
#include "storage/StorageTestSupport.h"
#include "support/ContainerTestSupport.h"

#include <utility>

namespace {

RErr writeTablet(const std::string& path, const CTablet& tablet) {
    return withContainer(path, [&](CRFile& file) { return tablet.writeTabletToDisk(file); });
}

RErr readTablet(const std::string& path, CTablet& tablet) {
    return withContainer(path, [&](CRFile& file) { return tablet.readTabletFromDisk(file); });
}

// The value fillDistinct puts at a place, negatives included.
int32_t distinct(int32_t record, int32_t attribute) {
    return (attribute * 1000 + record) * (record % 2 ? 1 : -1);
}

void fillDistinct(CTablet& tablet, int32_t attributes, int32_t records) {
    if (!tablet.exists()) {
        ASSERT_EQ(tablet.createTablet(), kNoErr);
    }
    ASSERT_TRUE(all(kNoErr, {tablet.setMaxAttributes(attributes), tablet.setMaxRecords(records)}));
    for (int32_t a = 1; a <= attributes; ++a)
        for (int32_t r = 1; r <= records; ++r)
            ASSERT_EQ(tablet.setValue(r, a, distinct(r, a)), kNoErr);
}

// The tablet has this shape, and holds the distinct values in the first attributes x records
// cells and 0 in the others.
void expectTablet(const CTablet& tablet, int32_t attributes, int32_t records,
                  int32_t filledAttributes, int32_t filledRecords) {
    int32_t a = 0, r = 0;
    EXPECT_TRUE(all(kNoErr, {tablet.getMaxAttributes(a), tablet.getMaxRecords(r)}));
    ASSERT_EQ(std::make_pair(a, r), std::make_pair(attributes, records));
    for (a = 1; a <= attributes; ++a)
        for (r = 1; r <= records; ++r) {
            int32_t value = -1;
            EXPECT_EQ(tablet.getValue(r, a, value), kNoErr);
            EXPECT_EQ(value, a <= filledAttributes && r <= filledRecords ? distinct(r, a) : 0)
                << "record " << r << " attribute " << a;
        }
}

class CTabletTest : public StorageTest {
protected:
    const std::string path = newContainer(dir, "t.rgr");
    CTablet tablet;
};

} // namespace

TEST_F(CTabletTest, UncreatedOrRecreatedTabletIsRefused) {
    int32_t out = 7;
    EXPECT_EQ(tablet.getMaxAttributes(out), kErrNotInitialized);
    EXPECT_EQ(out, 0);
    out = 7;
    EXPECT_EQ(tablet.getMaxRecords(out), kErrNotInitialized);
    EXPECT_EQ(out, 0);
    EXPECT_TRUE(all(kErrNotInitialized, {tablet.setValue(1, 1, 5), tablet.getValue(1, 1, out),
                                         tablet.setMaxRecords(3), tablet.setMaxAttributes(3),
                                         writeTablet(path, tablet), readTablet(path, tablet)}));
    EXPECT_EQ(tablet.destroyTablet(), kNoErr);
    EXPECT_FALSE(tablet.exists());
    ASSERT_EQ(tablet.createTablet(), kNoErr);
    EXPECT_TRUE(tablet.exists());
    expectTablet(tablet, 1, 1, 0, 0); // one cell reading 0
    EXPECT_EQ(tablet.createTablet(), kErrReinitialized);
    const std::string none = " (data structure not initialized)";
    EXPECT_EQ(reports(),
              (Texts{"CTablet::getMaxAttributes" + none, "CTablet::getMaxRecords" + none,
                     "CTablet::setValue" + none, "CTablet::getValue" + none,
                     "CTablet::setMaxRecords" + none, "CTablet::setMaxAttributes" + none,
                     "CTablet::writeTabletToDisk" + none, "CTablet::readTabletFromDisk" + none,
                     "CTablet::createTablet (attempt to reinitialize data structure)"}));
}

TEST_F(CTabletTest, OutOfRangeIndicesGiveInvalidParameterAndChangeNothing) {
    fillDistinct(tablet, 3, 4);
    const std::pair<int32_t, int32_t> outside[] = {{0, 1},  {1, 0},  {5, 1}, {1, 4},
                                                   {-1, 2}, {2, -3}, {0, 0}};
    for (const auto& [record, attribute] : outside) {
        int32_t out = 12345;
        EXPECT_EQ(tablet.getValue(record, attribute, out), kErrInvalidParameter);
        EXPECT_EQ(out, 12345) << "getValue wrote its out value on failure";
        EXPECT_EQ(tablet.setValue(record, attribute, 99), kErrInvalidParameter);
    }
    EXPECT_TRUE(all(kErrInvalidParameter, {tablet.setMaxRecords(0), tablet.setMaxAttributes(-2)}));
    const Texts r = reports();
    ASSERT_EQ(r.size(), 16u);
    EXPECT_EQ(r[0], "CTablet::getValue (invalid parameter)");
    EXPECT_EQ(r[1], "CTablet::setValue (invalid parameter)");
    EXPECT_EQ(r[14], "CTablet::setMaxRecords (invalid parameter)");
    EXPECT_EQ(r[15], "CTablet::setMaxAttributes (invalid parameter)");
    expectTablet(tablet, 3, 4, 3, 4);
}

TEST_F(CTabletTest, ResizingKeepsValuesAndNewCellsAreZeroNotOldValues) {
    fillDistinct(tablet, 2, 3);
    ASSERT_TRUE(all(kNoErr, {tablet.setMaxRecords(10), tablet.setMaxAttributes(5)}));
    expectTablet(tablet, 5, 10, 2, 3);
    EXPECT_EQ(tablet.cell(3, 2), 2003);
    EXPECT_EQ(tablet.cell(2, 1), -1002);
    ASSERT_EQ(tablet.setValue(10, 5, 77), kNoErr);
    EXPECT_EQ(tablet.cell(10, 5), 77);

    fillDistinct(tablet, 4, 6);
    ASSERT_TRUE(all(kNoErr, {tablet.setMaxRecords(2), tablet.setMaxAttributes(2)}));
    expectTablet(tablet, 2, 2, 2, 2);
    ASSERT_TRUE(all(kNoErr, {tablet.setMaxRecords(6), tablet.setMaxAttributes(4)}));
    expectTablet(tablet, 4, 6, 2, 2);
}

TEST_F(CTabletTest, CountsItselfItsPointerArrayAndEachColumn) {
    CRMemory& memory = CRMemory::shared();
    const int64_t objects = memory.live(kKindCTablet);
    const int64_t pointers = memory.live(kTagTabletPointers);
    const int64_t columns = memory.live(kTagTabletColumn);
    {
        CTablet counted;
        EXPECT_EQ(memory.live(kKindCTablet), objects + 1);
        EXPECT_EQ(memory.live(kTagTabletPointers), pointers);
        ASSERT_EQ(counted.createTablet(), kNoErr);
        EXPECT_EQ(memory.live(kTagTabletPointers), pointers + 1);
        EXPECT_EQ(memory.live(kTagTabletColumn), columns + 1);
        ASSERT_TRUE(all(kNoErr, {counted.setMaxAttributes(51), counted.setMaxRecords(9)}));
        EXPECT_EQ(memory.live(kTagTabletColumn), columns + 51);
        ASSERT_EQ(counted.setMaxAttributes(20), kNoErr);
        EXPECT_EQ(memory.live(kTagTabletColumn), columns + 20);
        fillDistinct(tablet, 7, 1);
        ASSERT_TRUE(all(kNoErr, {writeTablet(path, tablet), tablet.destroyTablet()}));
        EXPECT_FALSE(tablet.exists());
        ASSERT_EQ(readTablet(path, counted), kNoErr);
        EXPECT_EQ(memory.live(kTagTabletColumn), columns + 7);
        EXPECT_EQ(memory.live(kTagTabletPointers), pointers + 1);
    }
    EXPECT_EQ(memory.live(kKindCTablet), objects);
    EXPECT_EQ(memory.live(kTagTabletPointers), pointers);
    EXPECT_EQ(memory.live(kTagTabletColumn), columns);
}

TEST_F(CTabletTest, Writes51By7TabletAsABigEndianForkColumnByColumnAndReadsItBack) {
    fillDistinct(tablet, 51, 7);
    ASSERT_EQ(writeTablet(path, tablet), kNoErr);
    Bytes expected = words({51, 7});
    for (int32_t a = 1; a <= 51; ++a)
        for (int32_t r = 1; r <= 7; ++r)
            appendBE32(expected, distinct(r, a));
    ASSERT_EQ(expected.size(), 1436u);
    EXPECT_EQ(forkBytes(path, kForkTablet), expected);
    // 'DATA' is empty, so the 'Tabl' fork starts at the file's first byte.
    EXPECT_EQ(slice(readFileBytes(path), 0, 8), (Bytes{0, 0, 0, 0x33, 0, 0, 0, 7}));
    CTablet loaded;
    fillDistinct(loaded, 60, 12); // reading replaces a larger shape too
    ASSERT_EQ(readTablet(path, loaded), kNoErr);
    expectTablet(loaded, 51, 7, 51, 7);

    // Rewriting resizes the existing fork exactly.
    ASSERT_TRUE(all(
        kNoErr, {tablet.setMaxAttributes(2), tablet.setMaxRecords(3), writeTablet(path, tablet)}));
    EXPECT_EQ(forkBytes(path, kForkTablet), words({2, 3, 1001, -1002, 1003, 2001, -2002, 2003}));
    ASSERT_EQ(readTablet(path, loaded), kNoErr);
    expectTablet(loaded, 2, 3, 2, 3);
}

TEST_F(CTabletTest, MissingOrDamagedForksFailCleanlyAndLeaveTheTabletAsItWas) {
    fillDistinct(tablet, 2, 5);
    EXPECT_EQ(readTablet(path, tablet), kErrNoSuchFork);
    EXPECT_EQ(reports().back(), "CTablet::readTabletFromDisk (-102)");
    expectTablet(tablet, 2, 5, 2, 5);

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
    for (const auto& values : damaged) {
        SCOPED_TRACE(values.size());
        platform.recorder.clear();
        Bytes bytes;
        for (const int32_t value : values)
            appendBE32(bytes, value);
        replaceFork(path, kForkTablet, bytes);
        EXPECT_EQ(readTablet(path, tablet), kErrInvalidFormat);
        EXPECT_EQ(reports(), Texts{"CTablet::readTabletFromDisk (1008)"});
        expectTablet(tablet, 2, 5, 2, 5);
    }
    // The same fork with matching counts is accepted: the checks reject only the damage.
    replaceFork(path, kForkTablet, words({3, 2, 1, 2, 3, 4, 5, 6}));
    ASSERT_EQ(readTablet(path, tablet), kNoErr);
    EXPECT_EQ(tablet.cell(2, 3), 6);
    EXPECT_EQ(tablet.cell(1, 2), 3);
}
