// What a file may hold is checked before a document is made from it: a point far outside any
// drawing is damage, and running out of memory while reading is a refusal, never an abort.
#include "app/DocumentFiles.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CFileDescriptor.h"
#include "support/TestSupport.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <new>

namespace {

// Allocations at least this large fail while it is not 0.
std::size_t failFrom = 0;

// A document with one tree whose root has the value in the attribute, saved to the path.
void saveDocument(const std::string& path, int32_t attribute, int32_t value) {
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    CUndoStructure& undo = tree.undoStructure();
    ASSERT_EQ(undo.startTaskList(kLabelNeverUndoable), kNoErr);
    int32_t root = 0;
    ASSERT_EQ(tree.newRoot(root), kNoErr);
    ASSERT_EQ(tree.setWhereIsTree(root, kTreeOnWorkArea), kNoErr);
    for (int i = 0; i < 2000; ++i) {
        int32_t daughter = 0;
        ASSERT_EQ(tree.newDaughterToRight(root, daughter), kNoErr);
    }
    ASSERT_EQ(tree.dataTask(root, attribute, value), kNoErr);
    ASSERT_EQ(undo.finishTaskList(), kNoErr);
    CFileDescriptor file(path);
    ASSERT_EQ(saveDatabaseFile(tree, file), kNoErr);
}

} // namespace

// The address sanitizer brings an allocator of its own, which a replacement would fight: there
// the allocation-failure cases are skipped.
#ifdef __SANITIZE_ADDRESS__
constexpr bool kAllocatorReplaced = false;
#else
constexpr bool kAllocatorReplaced = true;

void* operator new(std::size_t size) {
    if (failFrom != 0 && size >= failFrom)
        throw std::bad_alloc();
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
#endif

TEST(LoadLimits, APointOutsideTheDrawingRangeIsAnInvalidFormat) {
    struct Case {
        int32_t attribute;
        int32_t value;
        RErr expected;
    };
    constexpr int32_t kLowest = std::numeric_limits<int32_t>::min();
    constexpr int32_t kHighest = std::numeric_limits<int32_t>::max();
    const Case cases[] = {
        {kAttrAbsoluteH, 10000000, kNoErr},
        {kAttrAbsoluteH, -10000000, kNoErr},
        {kAttrAbsoluteH, 10000001, kErrInvalidFormat},
        {kAttrAbsoluteH, kLowest, kErrInvalidFormat},
        {kAttrAbsoluteV, -10000001, kErrInvalidFormat},
        {kAttrAbsoluteV, kHighest, kErrInvalidFormat},
        {kAttrRelativeH, kLowest, kErrInvalidFormat},
        {kAttrXOffset, 20000000, kErrInvalidFormat},
        {kAttrNodeRectRight, kHighest, kErrInvalidFormat},
        {kAttrCumulativeRectTop, kLowest, kErrInvalidFormat},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.attribute) + " " + std::to_string(c.value));
        RecordingPlatformScope platform;
        const std::string path = dir.file("document.rdc");
        saveDocument(path, c.attribute, c.value);
        std::unique_ptr<CTree> loaded;
        CFileDescriptor file(path);
        EXPECT_EQ(loadDatabaseFile(file, loaded), c.expected);
        EXPECT_EQ(loaded != nullptr, c.expected == kNoErr);
    }
    EXPECT_EQ(versionMessage(kErrInvalidFormat),
              "The file cannot be opened, because it is in an invalid format.");
}

TEST(LoadLimits, RunningOutOfMemoryWhileReadingRefusesTheFile) {
    if (!kAllocatorReplaced)
        GTEST_SKIP() << "the allocator cannot be replaced here";
    TempDir dir;
    RecordingPlatformScope platform;
    const std::string path = dir.file("document.rdc");
    saveDocument(path, kAttrAbsoluteH, 10);
    std::unique_ptr<CTree> loaded;
    RErr err = kNoErr;
    {
        CFileDescriptor file(path);
        failFrom = 64 * 1024;
        err = loadDatabaseFile(file, loaded);
        failFrom = 0;
    }
    EXPECT_EQ(err, kErrMallocFailed);
    EXPECT_EQ(loaded, nullptr);
    EXPECT_EQ(versionMessage(err), "There is not enough memory to open the file.");
    // With memory back the same file opens.
    CFileDescriptor file(path);
    EXPECT_EQ(loadDatabaseFile(file, loaded), kNoErr);
    EXPECT_NE(loaded, nullptr);
}
