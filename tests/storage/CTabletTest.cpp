#include "storage/CTablet.h"

#include "storage/CRFile.h"
#include "storage/StorageTestSupport.h"
#include "support/ContainerTestSupport.h"

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

// "2x3: 1001 -1002 1003 | 2001 -2002 2003": the shape, then the values attribute by
// attribute, as the fork holds them.
std::string dump(const CTablet& tablet) {
    int32_t attributes = 0, records = 0;
    EXPECT_TRUE(all(kNoErr, {tablet.getMaxAttributes(attributes), tablet.getMaxRecords(records)}));
    std::string out = std::to_string(attributes) + "x" + std::to_string(records) + ":";
    for (int32_t a = 1; a <= attributes; ++a)
        for (int32_t r = 1; r <= records; ++r) {
            int32_t value = -1;
            EXPECT_EQ(tablet.getValue(r, a, value), kNoErr);
            out += (r == 1 && a > 1 ? " | " : " ") + std::to_string(value);
        }
    return out;
}

class CTabletTest : public StorageTest {
protected:
    const std::string path = newContainer(dir, "t.rgr");
    CTablet tablet;
};

} // namespace

TEST_F(CTabletTest, UncreatedOrRecreatedTabletIsRefused) {
    int32_t attributes = 7, records = 7, out = 0;
    EXPECT_EQ(join({tablet.getMaxAttributes(attributes), tablet.getMaxRecords(records),
                    tablet.setValue(1, 1, 5), tablet.getValue(1, 1, out), tablet.setMaxRecords(3),
                    tablet.setMaxAttributes(3), writeTablet(path, tablet), readTablet(path, tablet),
                    tablet.destroyTablet()}),
              "1002 1002 1002 1002 1002 1002 1002 1002 0");
    EXPECT_EQ(attributes + records, 0);
    EXPECT_FALSE(tablet.exists());
    ASSERT_EQ(tablet.createTablet(), kNoErr);
    EXPECT_TRUE(tablet.exists());
    EXPECT_EQ(dump(tablet), "1x1: 0");
    EXPECT_EQ(tablet.createTablet(), kErrReinitialized);
    const Texts r = reports();
    ASSERT_EQ(r.size(), 9u);
    EXPECT_EQ(r[0] + "; " + r[8], "CTablet::getMaxAttributes (data structure not initialized); "
                                  "CTablet::createTablet (attempt to reinitialize data structure)");
}

TEST_F(CTabletTest, OutOfRangeIndicesAreRefusedAndResizingKeepsValuesWithNewCellsZero) {
    fillDistinct(tablet, 3, 2);
    const std::string filled = "3x2: 1001 -1002 | 2001 -2002 | 3001 -3002";
    EXPECT_EQ(dump(tablet), filled);
    for (const auto& [record, attribute] :
         std::vector<std::pair<int32_t, int32_t>>{{0, 1}, {1, 0}, {3, 1}, {1, 4}, {-1, 2}}) {
        int32_t out = 12345;
        EXPECT_EQ(
            join({tablet.getValue(record, attribute, out), tablet.setValue(record, attribute, 99)}),
            "1004 1004");
        EXPECT_EQ(out, 12345) << "getValue wrote its out value on failure";
        EXPECT_EQ(takeLog(), "CTablet::getValue (invalid parameter); "
                             "CTablet::setValue (invalid parameter)");
    }
    EXPECT_TRUE(all(kErrInvalidParameter, {tablet.setMaxRecords(0), tablet.setMaxAttributes(-2)}));
    EXPECT_EQ(log(), "CTablet::setMaxRecords (invalid parameter); "
                     "CTablet::setMaxAttributes (invalid parameter)");
    EXPECT_EQ(dump(tablet), filled);

    // {attributes, records, the tablet after}: fewer cells drop values, new cells are 0 even
    // where a value was before.
    const std::tuple<int32_t, int32_t, const char*> steps[] = {
        {4, 3, "4x3: 1001 -1002 0 | 2001 -2002 0 | 3001 -3002 0 | 0 0 0"},
        {2, 1, "2x1: 1001 | 2001"},
        {3, 2, "3x2: 1001 0 | 2001 0 | 0 0"}};
    for (const auto& [attributes, records, expected] : steps) {
        ASSERT_TRUE(
            all(kNoErr, {tablet.setMaxRecords(records), tablet.setMaxAttributes(attributes)}));
        EXPECT_EQ(dump(tablet), expected);
    }
    ASSERT_EQ(tablet.setValue(2, 3, 77), kNoErr);
    EXPECT_EQ(tablet.cell(2, 3), 77);
    EXPECT_EQ(tablet.cell(1, 2), 2001);
}

TEST_F(CTabletTest, CountsItselfItsPointerArrayAndEachColumn) {
    CRMemory& memory = CRMemory::shared();
    const int64_t objects = memory.live(kKindCTablet), pointers = memory.live(kTagTabletPointers);
    const int64_t columns = memory.live(kTagTabletColumn);
    const auto added = [&] {
        return join({memory.live(kKindCTablet) - objects,
                     memory.live(kTagTabletPointers) - pointers,
                     memory.live(kTagTabletColumn) - columns});
    };
    {
        CTablet counted;
        EXPECT_EQ(added(), "1 0 0");
        ASSERT_EQ(counted.createTablet(), kNoErr);
        EXPECT_EQ(added(), "1 1 1");
        ASSERT_TRUE(all(kNoErr, {counted.setMaxAttributes(51), counted.setMaxRecords(9)}));
        EXPECT_EQ(added(), "1 1 51");
        ASSERT_EQ(counted.setMaxAttributes(20), kNoErr);
        EXPECT_EQ(added(), "1 1 20");
        fillDistinct(tablet, 7, 1);
        ASSERT_TRUE(all(kNoErr, {writeTablet(path, tablet), tablet.destroyTablet(),
                                 readTablet(path, counted)}));
        EXPECT_EQ(added(), "1 1 7");
    }
    EXPECT_EQ(added(), "0 0 0");
}

TEST_F(CTabletTest, WritesTheForkBigEndianColumnByColumnAndReadsItBack) {
    fillDistinct(tablet, 51, 7);
    ASSERT_EQ(writeTablet(path, tablet), kNoErr);
    Bytes expected = words({51, 7});
    for (int32_t a = 1; a <= 51; ++a)
        for (int32_t r = 1; r <= 7; ++r)
            appendBE32(expected, distinct(r, a));
    EXPECT_EQ(forkBytes(path, kForkTablet), expected);
    CTablet loaded;
    fillDistinct(loaded, 60, 12); // reading replaces a larger shape too
    ASSERT_EQ(readTablet(path, loaded), kNoErr);
    EXPECT_EQ(dump(loaded), dump(tablet));

    // Rewriting resizes the existing fork exactly.
    ASSERT_TRUE(all(
        kNoErr, {tablet.setMaxAttributes(2), tablet.setMaxRecords(3), writeTablet(path, tablet)}));
    EXPECT_EQ(hex(forkBytes(path, kForkTablet)),
              "00000002 00000003 000003E9 FFFFFC16 000003EB 000007D1 FFFFF82E 000007D3");
    ASSERT_EQ(readTablet(path, loaded), kNoErr);
    EXPECT_EQ(dump(loaded), "2x3: 1001 -1002 1003 | 2001 -2002 2003");
}

TEST_F(CTabletTest, MissingOrDamagedForksFailCleanlyAndLeaveTheTabletAsItWas) {
    fillDistinct(tablet, 2, 2);
    const std::string filled = "2x2: 1001 -1002 | 2001 -2002";
    EXPECT_EQ(readTablet(path, tablet), kErrNoSuchFork);
    EXPECT_EQ(reports().back(), "CTablet::readTabletFromDisk (-102)");
    EXPECT_EQ(dump(tablet), filled);
    // Counts that do not match the six values: one record more, fewer cells, none, negative
    // counts whose product fits, huge ones, a product that wraps in 32 bits to 6; too short.
    for (const Bytes& bytes :
         {words({3, 3, 1, 2, 3, 4, 5, 6}), words({2, 2, 1, 2, 3, 4, 5, 6}),
          words({0, 6, 1, 2, 3, 4, 5, 6}), words({6, 0, 1, 2, 3, 4, 5, 6}),
          words({-1, -6, 1, 2, 3, 4, 5, 6}), words({0x7FFFFFFF, 0x7FFFFFFF, 1, 2, 3, 4}),
          words({1227133514, 7, 1, 2, 3, 4, 5, 6}), words({3}), Bytes{}}) {
        SCOPED_TRACE(hex(bytes));
        platform.recorder.clear();
        replaceFork(path, kForkTablet, bytes);
        EXPECT_EQ(readTablet(path, tablet), kErrInvalidFormat);
        EXPECT_EQ(log(), "CTablet::readTabletFromDisk (1008)");
        EXPECT_EQ(dump(tablet), filled);
    }
    // The same fork with matching counts is accepted: the checks reject only the damage.
    replaceFork(path, kForkTablet, words({3, 2, 1, 2, 3, 4, 5, 6}));
    ASSERT_EQ(readTablet(path, tablet), kNoErr);
    EXPECT_EQ(dump(tablet), "3x2: 1 2 | 3 4 | 5 6");
}
