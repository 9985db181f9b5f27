#include "SaveTestSupport.h"
#include "app/DocumentFiles.h"
#include "app/FileTypes.h"
#include "app/MemoryList.h"
#include "app/StartOptions.h"
#include "model/CTree.h"
#include "storage/CFileDescriptor.h"
#include "storage/CRFile.h"
#include "support/TestSupport.h"
#include "undo/CUndoStructure.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(FileTypes, DotRuleKeepsOnlyTheExtensionsDot) {
    EXPECT_EQ(applyDotRule("/home/ann/my.tree.rdc"), "/home/ann/my-tree.rdc");
    EXPECT_EQ(applyDotRule("/home/ann/a.b.c.rdc"), "/home/ann/a-b-c.rdc");
    // Dots in folder names are left alone; so is a name with only its extension's dot.
    EXPECT_EQ(applyDotRule("/home/ann.lee/x.y/essay.rdc"), "/home/ann.lee/x.y/essay.rdc");
    EXPECT_EQ(applyDotRule("C:\\work.d\\my.tree.rgr"), "C:\\work.d\\my-tree.rgr");
    // Whatever the name ends with, its last four characters are kept as they are.
    EXPECT_EQ(applyDotRule("/tmp/my.notes.v2"), "/tmp/my-notes.v2");
    EXPECT_EQ(applyDotRule("a.rdc"), "a.rdc");
    EXPECT_EQ(applyDotRule(".rdc"), ".rdc");
}

TEST(FileTypes, RequestsCarryTheFiltersExtensionsAndInitialNames) {
    FileRequest request;
    ASSERT_EQ(fileRequestForType(kFileTypeDocument, false, request), kNoErr);
    EXPECT_TRUE(request.forSaving);
    EXPECT_EQ(request.filter, "Ramex documents (*.rdc)");
    EXPECT_EQ(request.defaultExtension, "rdc");
    EXPECT_EQ(request.initialName, ".rdc");
    for (int32_t type : {kFileTypeGrammar, kFileTypeCurrentGrammar}) {
        ASSERT_EQ(fileRequestForType(type, true, request), kNoErr);
        EXPECT_FALSE(request.forSaving);
        EXPECT_EQ(request.filter, "Ramex documents (*.rgr)");
        EXPECT_EQ(request.defaultExtension, "rgr");
        EXPECT_EQ(request.initialName, ".rgr");
    }
    EXPECT_EQ(fileRequestForType(5, true, request), kErrGeneral);
}

TEST(MemoryList, FullListsEveryUsedTagAndLimitedOnlyWhatIsOutstanding) {
    CRMemory::Counters allocations{};
    CRMemory::Counters frees{};
    allocations[2] = 3;
    frees[2] = 3;
    allocations[5] = 4;
    frees[5] = 1;
    frees[160] = 2;     // more frees than allocations shows a negative balance
    allocations[0] = 9; // tag 0 is not listed
    EXPECT_EQ(memoryListLines(allocations, frees, true),
              (std::vector<std::string>{"2   3   3   0", "5   4   1   3", "160   0   2   -2"}));
    EXPECT_EQ(memoryListLines(allocations, frees, false),
              (std::vector<std::string>{"5   4   1   3", "160   0   2   -2"}));
    EXPECT_TRUE(memoryListLines(CRMemory::Counters{}, CRMemory::Counters{}, true).empty());
}

TEST(SafeSave, SavingOverItselfGivesTheSameBytesAndLeavesNoSideFile) {
    TempDir dir;
    const std::string path = dir.file("grammar.rgr");
    auto tree = grammarWithRoots(0);
    ASSERT_EQ(saveTo(*tree, path, true), kNoErr);
    const auto first = readFileBytes(path);
    ASSERT_FALSE(first.empty());
    // Saved again over itself, the file is byte for byte what a save in place gives.
    ASSERT_EQ(saveTo(*tree, path, true), kNoErr);
    EXPECT_EQ(readFileBytes(path), first);
    // No side file is left behind.
    EXPECT_EQ(dir.names().size(), 1u);
    std::unique_ptr<CTree> loaded;
    CFileDescriptor file(path);
    EXPECT_EQ(loadDatabaseFile(file, loaded), kNoErr);
    EXPECT_TRUE(loaded);
}

TEST(SafeSave, SavingOverItselfKeepsOtherForksAndReplacingStartsAfresh) {
    TempDir dir;
    const std::string path = dir.file("grammar.rgr");
    auto tree = grammarWithRoots(0);
    ASSERT_EQ(saveTo(*tree, path, false), kNoErr);
    const RForkType extra = makeForkType("Xtra");
    {
        CFileDescriptor descriptor(path);
        RErr err = kNoErr;
        CRFile container(descriptor, err);
        ASSERT_EQ(err, kNoErr);
        ASSERT_EQ(container.createFork(extra), kNoErr);
        ASSERT_EQ(container.setForkSize(extra, 5), kNoErr);
        int32_t length = 5;
        ASSERT_EQ(container.writeFork(extra, length, "notes"), kNoErr);
    }
    auto forkSize = [&path, extra](int32_t& size) {
        CFileDescriptor descriptor(path);
        RErr err = kNoErr;
        CRFile container(descriptor, err);
        if (!err)
            err = container.getForkSize(extra, size);
        return err;
    };
    ASSERT_EQ(saveTo(*tree, path, true), kNoErr);
    int32_t size = 0;
    EXPECT_EQ(forkSize(size), kNoErr);
    EXPECT_EQ(size, 5);
    {
        RecordingPlatformScope platform;
        CFileDescriptor file(path);
        ASSERT_EQ(saveDatabaseFileSafely(*tree, file, false), kNoErr);
        EXPECT_EQ(forkSize(size), kErrNoSuchFork);
    }
    // A file that is not a container at all is replaced, not read.
    writeFileBytes(path, {'t', 'e', 'x', 't'});
    CFileDescriptor file(path);
    ASSERT_EQ(saveDatabaseFileSafely(*tree, file, false), kNoErr);
    std::unique_ptr<CTree> loaded;
    EXPECT_EQ(loadDatabaseFile(file, loaded), kNoErr);
}

TEST(SafeSave, AFailedWriteAnywhereLeavesTheOldFileAsItWas) {
    TempDir dir;
    const std::string path = dir.file("essay.rdc");
    auto tree = grammarWithRoots(0);
    ASSERT_EQ(saveTo(*tree, path, true), kNoErr);
    const auto old = readFileBytes(path);
    // Change the database so a successful save would change the file.
    int32_t root = 0;
    ASSERT_EQ(tree->undoStructure().startTaskList(3), kNoErr);
    ASSERT_EQ(tree->newRoot(root), kNoErr);
    ASSERT_EQ(tree->undoStructure().finishTaskList(), kNoErr);

    // Fail the 1st, 2nd, ... write until the save gets through; each failure leaves the old
    // file and nothing beside it.
    int32_t failing = 1;
    for (;; ++failing) {
        RecordingPlatformScope platform;
        CFileDescriptor::failNthWriteFromNow(failing);
        CFileDescriptor file(path);
        const RErr err = saveDatabaseFileSafely(*tree, file, true);
        CFileDescriptor::failNthWriteFromNow(0);
        if (err == kNoErr)
            break;
        ASSERT_EQ(err, kErrFileSystem) << failing;
        EXPECT_EQ(readFileBytes(path), old) << failing;
        EXPECT_FALSE(platform.recorder.bugReports().empty());
        EXPECT_EQ(dir.names().size(), 1u);
    }
    EXPECT_GT(failing, 13);
    EXPECT_NE(readFileBytes(path), old);
}

TEST(SafeSave, AFolderThatCannotBeWrittenGivesAnErrorAndNoFile) {
    RecordingPlatformScope platform;
    auto tree = grammarWithRoots(0);
    CFileDescriptor file("/nonexistent-folder/for/ramex/essay.rdc");
    EXPECT_EQ(saveDatabaseFileSafely(*tree, file, true), kErrFileSystem);
    EXPECT_FALSE(platform.recorder.bugReports().empty());
}

TEST(StartOptions, ReadsADocumentOrAGrammarAndRefusesTheRest) {
    RStartOptions options;
    std::string error;
    ASSERT_TRUE(parseStartOptions({"essay.rdc"}, options, error));
    EXPECT_EQ(options.documentPath, "essay.rdc");
    ASSERT_TRUE(parseStartOptions({"--grammar", "english.rgr", "--self-test"}, options, error));
    EXPECT_EQ(options.grammarPath, "english.rgr");
    EXPECT_TRUE(options.selfTest);
    EXPECT_TRUE(options.documentPath.empty());
    EXPECT_FALSE(parseStartOptions({"--grammar"}, options, error));
    EXPECT_EQ(error, "--grammar needs a grammar file");
    EXPECT_FALSE(parseStartOptions({"--frobnicate"}, options, error));
    EXPECT_EQ(error, "unknown option --frobnicate");
    EXPECT_FALSE(parseStartOptions({"a.rdc", "b.rdc"}, options, error));
    EXPECT_FALSE(parseStartOptions({"a.rdc", "--grammar", "g.rgr"}, options, error));
}
