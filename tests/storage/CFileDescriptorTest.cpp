#include "storage/CFileDescriptor.h"

#include "storage/PlatformFiles.h"
#include "storage/StorageTestSupport.h"

#include <algorithm>
#include <filesystem>
#include <tuple>

namespace {

namespace fs = std::filesystem;

const std::string kFs = " (file system error)";

class CFileDescriptorTest : public StorageTest {
protected:
    // A descriptor opened on a new file holding the bytes.
    CFileDescriptor& opened(const std::string& name, const Bytes& bytes) {
        writeFileBytes(dir.file(name), bytes);
        held.push_back(std::make_unique<CFileDescriptor>(dir.file(name)));
        EXPECT_EQ(held.back()->open(), kNoErr);
        return *held.back();
    }
    // "position/end"
    std::string where(CFileDescriptor& fd) {
        int32_t position = -1, end = -1;
        EXPECT_TRUE(all(kNoErr, {fd.getPosition(position), fd.getEOF(end)}));
        return std::to_string(position) + "/" + std::to_string(end);
    }
    Bytes readAt(CFileDescriptor& fd, int32_t at, int32_t count) {
        Bytes got(static_cast<std::size_t>(count));
        EXPECT_TRUE(all(kNoErr, {fd.setPosition(at), fd.read(got.data(), count)}));
        return got;
    }
    std::vector<std::unique_ptr<CFileDescriptor>> held; // closed by their destructors
};

} // namespace

TEST_F(CFileDescriptorTest, CreateMakesOneEmptyClosedFileAndFailuresGive1007UnderTheirName) {
    const std::string path = dir.file("grammar.rgr");
    CFileDescriptor fd(path);
    EXPECT_EQ(std::make_tuple(fd.path(), fd.getPathname().str(), fd.getPathname().creatorTag()),
              std::make_tuple(path, path, 140));
    std::unique_ptr<CFileDescriptor> copy;
    bool before = true, after = false, empty = true;
    ASSERT_TRUE(all(kNoErr, {fd.clone(copy), fd.exists(before), fd.create(), copy->exists(after),
                             CFileDescriptor("").exists(empty)}));
    EXPECT_EQ(std::make_tuple(before, after, empty, copy->getPathname().str(), fd.isOpenNow()),
              std::make_tuple(false, true, false, path, false)); // create leaves it closed
    EXPECT_NE(&copy->getPathname(), &fd.getPathname());
    EXPECT_EQ(fs::file_size(fs::u8path(path)), 0u);
    EXPECT_EQ(log(), "");
    // An existing file is left alone; a missing folder is not made.
    writeFileBytes(path, {1, 2, 3});
    EXPECT_EQ(fd.create(), kErrFileSystem);
    EXPECT_EQ(takeLog(), "CFileDescriptor::create" + kFs +
                             "; A file system error occurred in CFileDescriptor::create after "
                             "CreateFile but before CloseHandle.");
    EXPECT_EQ(readFileBytes(path), (Bytes{1, 2, 3}));
    EXPECT_EQ(CFileDescriptor(dir.file("no-such-folder/file")).create(), kErrFileSystem);
    EXPECT_EQ(dir.names(), Texts{"grammar.rgr"});

    platform.recorder.clear();
    CFileDescriptor missing(dir.file("missing"));
    unsigned char byte = 0;
    int32_t value = 0;
    EXPECT_TRUE(
        all(kErrFileSystem, {missing.open(), missing.read(&byte, 1), missing.write(&byte, 1),
                             missing.setPosition(0), missing.getPosition(value), missing.setEOF(0),
                             missing.getEOF(value), missing.close()}));
    EXPECT_FALSE(missing.isOpenNow());
    const Texts r = reports();
    ASSERT_EQ(r.size(), 8u);
    EXPECT_EQ(r[0] + ";" + r[7], "CFileDescriptor::open" + kFs + ";CFileDescriptor::close" + kFs);
    platform.recorder.clear();
    CFileDescriptor& f = opened("neg", {1, 2, 3});
    EXPECT_TRUE(all(kErrInvalidParameter, {f.read(&byte, -1), f.write(&byte, -1), f.setPosition(-1),
                                           f.setEOF(-1), f.readASeriesOfInt32s(nullptr, -2)}));
    EXPECT_EQ(reports().size(), 5u);
    EXPECT_EQ(reports().back(), "CFileDescriptor::readASeriesOfInt32s (invalid parameter)");
}

// The file is not shared while open, though other programs may still read it; a descriptor
// destroyed while open gives the file back.
TEST_F(CFileDescriptorTest, AnOpenFileIsNotOpenedAgain) {
    const std::string path = dir.file("λεξικό.rgr");
    writeFileBytes(path, {9, 8, 7});
    CFileDescriptor first(path);
    CFileDescriptor second(path);
    ASSERT_EQ(first.open(), kNoErr);
    EXPECT_EQ(readFileBytes(path), (Bytes{9, 8, 7}));
    EXPECT_TRUE(all(kErrFileSystem, {second.open(), first.open()}));
    ASSERT_TRUE(all(kNoErr, {first.close(), second.open()}));
    EXPECT_EQ(reports(), Texts(2, "CFileDescriptor::open" + kFs));
    ASSERT_TRUE(all(kNoErr, {second.close(), std::make_unique<CFileDescriptor>(path)->open()}));
    EXPECT_TRUE(all(kNoErr, {first.open(), first.close()}));
}

TEST_F(CFileDescriptorTest, ReadWritePositionAndEnd) {
    CFileDescriptor& f = opened("rw", {});
    ASSERT_EQ(f.write("hello", 5), kNoErr);
    EXPECT_EQ(where(f), "5/5");
    EXPECT_EQ(readAt(f, 1, 3), (Bytes{'e', 'l', 'l'}));
    EXPECT_EQ(where(f), "4/5");
    unsigned char got[4] = {};
    EXPECT_EQ(f.read(got, 0), kNoErr);
    EXPECT_EQ(log(), "");
    // Reading past the end fails and does not move.
    EXPECT_EQ(join({f.setPosition(2), f.read(got, 4)}), "0 1007");
    EXPECT_EQ(where(f), "2/5");
    EXPECT_EQ(join({f.setPosition(5), f.read(got, 1)}), "0 1007");
    EXPECT_EQ(takeLog(), "CFileDescriptor::read" + kFs + "; CFileDescriptor::read" + kFs);
    // The position becomes the smaller of itself and the new end.
    ASSERT_TRUE(all(kNoErr, {f.setPosition(4), f.setEOF(3)}));
    EXPECT_EQ(where(f), "3/3");
    ASSERT_TRUE(all(kNoErr, {f.setPosition(1), f.setEOF(200)}));
    EXPECT_EQ(where(f), "1/200");

    // Series of integers are big-endian on disk; last index -1 moves nothing.
    CFileDescriptor& i = opened("ints", {});
    const int32_t values[] = {1, -1, 0x12345678, 51, INT32_MIN};
    int32_t back[5] = {};
    ASSERT_TRUE(all(kNoErr, {i.writeASeriesOfInt32s(values, 3), i.setPosition(0),
                             i.readASeriesOfInt32s(back, 3), i.readASeriesOfInt32s(back, -1),
                             i.writeASeriesOfInt32s(values, -1)}));
    EXPECT_EQ(hex(readFileBytes(i.path())), "00000001 FFFFFFFF 12345678 00000033");
    EXPECT_EQ(join({back[0], back[1], back[2], back[3], back[4]}) + " " + where(i),
              "1 -1 305419896 51 0 16/16");
}

TEST_F(CFileDescriptorTest, ReadAheadIsInvisible) {
    const Bytes big = pattern(300000, 3);
    CFileDescriptor& f = opened("big", big);
    Bytes got(200000);
    for (std::size_t i = 0; i < got.size(); ++i)
        ASSERT_EQ(f.read(&got[i], 1), kNoErr) << i;
    EXPECT_EQ(got, slice(big, 0, got.size()));
    for (std::size_t i = 200000; i-- > 100000;) // backwards, a seek before every byte
        ASSERT_EQ(readAt(f, static_cast<int32_t>(i), 1)[0], big[i]) << i;
    unsigned char b = 0;
    ASSERT_TRUE(all(kNoErr, {f.setPosition(1000), f.read(&b, 1)}));
    EXPECT_EQ(readAt(f, 5000, 200000), slice(big, 5000, 200000)); // larger than the cache

    // Writes and a new end show at once, not as the read-ahead remembered the bytes.
    const Bytes original = pattern(1000, 7);
    CFileDescriptor& c = opened("coherent", original);
    ASSERT_TRUE(all(kNoErr, {c.read(&b, 1), c.setPosition(500), c.write("\xAA\xBB\xCC", 3)}));
    EXPECT_EQ(readAt(c, 499, 5), (Bytes{original[499], 0xAA, 0xBB, 0xCC, original[503]}));
    ASSERT_EQ(c.setEOF(100), kNoErr);
    EXPECT_EQ(c.read(&b, 1), kErrFileSystem); // position 100 is the end
    ASSERT_EQ(c.setEOF(1000), kNoErr);
    EXPECT_EQ(readAt(c, 500, 3) + readAt(c, 99, 1), (Bytes{0, 0, 0, original[99]}));

    // Reopening starts at 0 with what the file holds now.
    ASSERT_EQ(c.close(), kNoErr);
    writeFileBytes(c.path(), {9, 8, 7, 6});
    ASSERT_EQ(c.open(), kNoErr);
    EXPECT_EQ(where(c), "0/4");
    EXPECT_EQ(readAt(c, 0, 1), Bytes{9});
}

TEST(WindowsFileNames, ForbiddenCharactersDevicesAndTrailingDotsAreRefused) {
    std::string got;
    for (const char* name : {"essay.rdc",   "δοκιμή.rgr", "语法.rgr",   ".essay.rdc.saving",
                             "console.rdc", "COM0.rdc",   "LPT10",      "a b.rdc",
                             "x..rdc",      "",           ".",          "..",
                             "a<b.rdc",     "a>b.rdc",    "a:b.rdc",    "a\"b.rdc",
                             "a|b.rdc",     "a?b.rdc",    "a*b.rdc",    "a\\b.rdc",
                             "a/b.rdc",     "tab\t.rdc",  "essay.",     "essay ",
                             "CON",         "con.rdc",    "Nul.tar.gz", "aux .rdc",
                             "PRN.rgr",     "com1.rdc",   "LPT9"})
        got += isAllowedWindowsFileName(name) ? "1" : "0";
    EXPECT_EQ(got, "111111111" + std::string(22, '0'));
}

// Greek and Chinese names and a path beyond the old Windows limit work throughout; replacing
// puts the new file in place, and a failure leaves the target alone.
TEST_F(CFileDescriptorTest, WideAndDeepPathsWorkReplacingIsAtomicAndOverlongNamesFailCleanly) {
    fs::path deep = dir.path();
    for (int level = 0; level < 6; ++level)
        deep /= fs::u8path(std::string(50, static_cast<char>('a' + level)));
    fs::create_directories(deep);
    const std::string file = (deep / fs::u8path("δέντρο-中文.rdc")).u8string();
    ASSERT_GT(file.size(), 300u);
    CFileDescriptor fd(file);
    const int32_t values[] = {0x01020304, -2};
    int32_t back[2] = {};
    ASSERT_TRUE(
        all(kNoErr, {fd.create(), fd.open(), fd.writeASeriesOfInt32s(values, 1), fd.flushToDisk(),
                     fd.close(), fd.open(), fd.readASeriesOfInt32s(back, 1), fd.close()}));
    EXPECT_EQ(hex(readFileBytes(file)) + " " + join({back[1]}), "01020304 FFFFFFFE -2");

    const std::string target = dir.file("target.rdc");
    writeFileBytes(target, {1, 2, 3});
    EXPECT_EQ(replaceFileAtomically(file, target), kNoErr);
    EXPECT_EQ(hex(readFileBytes(target)), "01020304 FFFFFFFE");
    writeFileBytes(file, {6});
    EXPECT_EQ(replaceFileAtomically(file, (deep / "νέο.rdc").u8string()), kNoErr); // a new name
    EXPECT_EQ(readFileBytes((deep / "νέο.rdc").u8string()), Bytes{6});
    EXPECT_EQ(join({replaceFileAtomically(file, target), replaceFileAtomically("", target)}),
              "1007 1007"); // the source was moved away above
    EXPECT_EQ(hex(readFileBytes(target)), "01020304 FFFFFFFE");
    Texts names = dir.names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Texts{std::string(50, 'a'), "target.rdc"}));
    EXPECT_EQ(log(), ""); // the caller reports replacing under its own name

    CFileDescriptor overlong(dir.file(std::string(300, 'a') + ".rdc"));
    EXPECT_TRUE(all(kErrFileSystem, {overlong.create(), overlong.open()}));
    EXPECT_FALSE(overlong.isOpenNow());
    EXPECT_EQ(reports().size(), 3u);
    EXPECT_EQ(dir.names().size(), 2u);
}

#ifdef _WIN32
TEST_F(CFileDescriptorTest, NamesWindowsForbidsNeverReachTheDisk) {
    const std::string existing = dir.file("essay");
    writeFileBytes(existing, {1});
    // "essay:x" would otherwise write a hidden stream of "essay"; "con.rdc" the console.
    for (const char* name : {"essay:x", "a?b.rdc", "a*b.rdc", "con.rdc", "trailing."}) {
        CFileDescriptor file(dir.file(name));
        EXPECT_EQ(join({file.create(), file.open()}), "1007 1007") << name;
    }
    EXPECT_EQ(dir.names(), Texts{"essay"});
    EXPECT_EQ(readFileBytes(existing), Bytes{1});
}
#endif
