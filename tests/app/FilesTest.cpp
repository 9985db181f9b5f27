#include "app/CCurrentFiles.h"
#include "app/DocumentFiles.h"
#include "app/FileQuestions.h"
#include "app/FileTypes.h"
#include "app/MemoryList.h"
#include "app/RGrammarLabel.h"
#include "app/StartOptions.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CFileDescriptor.h"
#include "storage/CRFile.h"
#include "storage/PlatformFiles.h"
#include "support/AllocationLimit.h"
#include "support/TestSupport.h"
#include "support/TreeTestSupport.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <array>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

// One undoable new tree, so the database is dirty and saves differently.
void addRoot(CTree& tree) {
    int32_t root = 0;
    ASSERT_EQ(inStep(tree, kLabelNewTree, [&] { return tree.newRoot(root); }), kNoErr);
}

// A new grammar holding `roots` empty trees, each made as one step.
std::unique_ptr<CTree> grammarWithRoots(int32_t roots) {
    auto tree = std::make_unique<CTree>();
    EXPECT_EQ(tree->createTree(true), kNoErr);
    for (int32_t i = 0; i < roots; ++i)
        addRoot(*tree);
    return tree;
}

// Saves the way the Save command does, over the file itself or replacing it.
RErr saveTo(CTree& tree, const std::string& path, bool overItself) {
    CFileDescriptor file(path);
    return saveDatabaseFileSafely(tree, file, overItself);
}

RErr loadFrom(const std::string& path, std::unique_ptr<CTree>& loaded) {
    CFileDescriptor file(path);
    return loadDatabaseFile(file, loaded);
}

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;
const std::string kSaveFailed = "saveDatabaseFileSafely (file system error)";

// Another program holding a file open for reading. `exclusive` takes the whole file (Windows'
// share mode 0, the advisory lock on Linux); otherwise it shares reading and writing, and
// renaming only with `shareRenaming` (Linux always lets a name be replaced).
class ForeignHold {
public:
    ForeignHold(const std::string& path, bool exclusive, [[maybe_unused]] bool shareRenaming) {
#ifdef _WIN32
        const DWORD share = exclusive ? 0
                                      : FILE_SHARE_READ | FILE_SHARE_WRITE |
                                            (shareRenaming ? FILE_SHARE_DELETE : 0);
        handle = CreateFileW(windowsPath(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(handle, INVALID_HANDLE_VALUE);
#else
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        EXPECT_GE(fd, 0);
        EXPECT_TRUE(!exclusive || ::flock(fd, LOCK_EX | LOCK_NB) == 0);
#endif
    }
    ~ForeignHold() {
#ifdef _WIN32
        CloseHandle(handle);
#else
        ::close(fd);
#endif
    }
    ForeignHold(const ForeignHold&) = delete;
    ForeignHold& operator=(const ForeignHold&) = delete;

    // What the holder reads from the start of the file it holds.
    Bytes contents() const {
        Bytes bytes(1 << 20);
#ifdef _WIN32
        OVERLAPPED start{};
        DWORD got = 0;
        if (!ReadFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &got, &start))
            got = 0;
#else
        const ssize_t got = ::pread(fd, bytes.data(), bytes.size(), 0);
#endif
        bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        return bytes;
    }

private:
#ifdef _WIN32
    HANDLE handle = INVALID_HANDLE_VALUE;
#else
    int fd = -1;
#endif
};

// A small grammar saved at `name`, its bytes, and a larger one that later saves try to put over it.
struct SavedFile {
    explicit SavedFile(const std::string& name) : path(dir.file(name)) {
        EXPECT_EQ(saveTo(*small, path, false), kNoErr);
        old = readFileBytes(path);
    }
    // A save that fails with `report` first and leaves the old file (as `reader` sees it) alone.
    void expectRefused(bool overItself, const std::string& report, const ForeignHold* reader) {
        RecordingPlatformScope platform;
        EXPECT_EQ(saveTo(*large, path, overItself), kErrFileSystem) << overItself;
        const std::vector<std::string> got = platform.recorder.bugReports();
        EXPECT_EQ(got.empty() ? "" : got[0], report);
        EXPECT_EQ(reader ? reader->contents() : readFileBytes(path), old);
        EXPECT_EQ(dir.names().size(), 1u);
    }

    TempDir dir;
    std::unique_ptr<CTree> small = grammarWithRoots(0);
    std::unique_ptr<CTree> large = grammarWithRoots(3);
    std::string path;
    Bytes old;
};

// A document with one tree of 2000 daughters whose root has the value in the attribute.
void saveDocument(const std::string& path, int32_t attribute, int32_t value) {
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    int32_t root = 0;
    ASSERT_EQ(inStep(tree, kLabelNeverUndoable,
                     [&] {
                         RErr err = tree.newRoot(root);
                         err = err ? err : tree.setWhereIsTree(root, kTreeOnWorkArea);
                         for (int32_t i = 0, daughter = 0; i < 2000 && !err; ++i)
                             err = tree.newDaughterToRight(root, daughter);
                         return err ? err : tree.dataTask(root, attribute, value);
                     }),
              kNoErr);
    CFileDescriptor file(path);
    ASSERT_EQ(saveDatabaseFile(tree, file), kNoErr);
}

using Kind = RecordingPlatform::Kind;
const std::array<const char*, 4> kButtons = {"OK", "OK/Cancel", "Yes/No", "Yes/No/Cancel"};

class CurrentFilesTest : public ::testing::Test, RGrammarLabel {
protected:
    CurrentFilesTest() { files.installGrammarLabel(this); }

    void setGrammarLabel(const std::string& grammarPath, bool valid) override {
        label += "; label " + grammarPath + (valid ? "" : " (invalid)");
    }
    // A grammar with the standard categories saved under `name`; returns its path.
    std::string saveGrammar(const std::string& name) {
        EXPECT_EQ(saveTo(*grammarWithRoots(0), dir.file(name), false), kNoErr);
        return dir.file(name);
    }
    static bool dirty(CTree& tree) {
        bool out = false;
        EXPECT_EQ(tree.undoStructure().isDirty(out), kNoErr);
        return out;
    }
    // The text with the folder's paths as bare names.
    std::string local(std::string text) const {
        const std::string root = dir.file("");
        for (std::size_t at; (at = text.find(root)) != std::string::npos;)
            text.erase(at, root.size());
        return text;
    }
    // What the person was shown since the last look, in order: choosers with their initial
    // name, messages with their title and buttons, bug reports, then the grammar label.
    std::string seen() {
        std::string out;
        for (const auto& call : platform.recorder.calls()) {
            out += out.empty() ? "" : "; ";
            if (call.kind == Kind::ChooseFile)
                out += "choose " + call.text + (call.number ? " to save" : " to open");
            else if (call.kind == Kind::Message)
                out += "[" + call.title + "] " + call.text + " " +
                       kButtons.at(static_cast<std::size_t>(call.number));
            else
                out += "bug " + call.text;
        }
        platform.recorder.clear();
        out = local(out + (out.empty() && !label.empty() ? label.substr(2) : label));
        label.clear();
        return out;
    }
    // "[err <code> ]<seen> | grammar <path>[ (not selected)]; file <path>[ only in memory]".
    std::string look(RErr err = kNoErr) {
        return (err ? "err " + std::to_string(err) + " " : "") + seen() + " | " +
               local("grammar " + files.currentGrammarPath() +
                     (files.haveCurrentlySelectedGrammar() ? "" : " (not selected)") + "; file " +
                     files.currentFilePath() +
                     (files.getFileExistsOnlyInMemory() ? " only in memory" : ""));
    }
    void answer(const std::string& path) { platform.recorder.fileAnswers.push_back(path); }

    TempDir dir;
    RecordingPlatformScope platform;
    std::string label;
    CCurrentFiles files;
};

} // namespace

TEST(SafeSave, TheOldFileStaysWholeUntilTheNewIsCompleteAndAReaderIsNeverDisturbed) {
    SavedFile saved("Συντακτικό δέντρο 句法树.rgr"); // a Greek and Chinese name
    // Fail the 1st, 2nd, ... write until the save gets through.
    int32_t failing = 1;
    for (;; ++failing) {
        RecordingPlatformScope platform;
        CFileDescriptor::failNthWriteFromNow(failing);
        const RErr err = saveTo(*saved.large, saved.path, true);
        CFileDescriptor::failNthWriteFromNow(0);
        if (err == kNoErr)
            break;
        ASSERT_EQ(err, kErrFileSystem) << failing;
        EXPECT_EQ(readFileBytes(saved.path), saved.old) << failing;
        EXPECT_FALSE(platform.recorder.bugReports().empty());
        EXPECT_EQ(saved.dir.names().size(), 1u);
    }
    EXPECT_GT(failing, 13);
    EXPECT_NE(readFileBytes(saved.path), saved.old);

    for (bool overItself : {true, false}) {
        RecordingPlatformScope platform;
        ASSERT_EQ(saveTo(*saved.small, saved.path, false), kNoErr);
        ForeignHold reader(saved.path, false, true);
        const RErr err = saveTo(*saved.large, saved.path, overItself);
#ifdef _WIN32
        // Windows (and Wine) may refuse to replace a name that is open, even when the reader
        // shares renaming: then the save fails and the old file stays whole.
        if (err) {
            EXPECT_EQ(err, kErrFileSystem);
            EXPECT_EQ(platform.recorder.bugReports(), std::vector<std::string>{kSaveFailed});
        }
        EXPECT_EQ(readFileBytes(saved.path) == saved.old, err != kNoErr);
#else
        EXPECT_EQ(err, kNoErr) << overItself;
        EXPECT_NE(readFileBytes(saved.path), saved.old);
        EXPECT_TRUE(platform.recorder.bugReports().empty());
#endif
        EXPECT_EQ(reader.contents(), saved.old);
        EXPECT_EQ(saved.dir.names().size(), 1u);
    }
    ASSERT_EQ(saveTo(*saved.small, saved.path, false), kNoErr);
#ifdef _WIN32
    {
        ForeignHold reader(saved.path, false, false);
        for (bool overItself : {true, false})
            saved.expectRefused(overItself, kSaveFailed, nullptr);
    }
#endif
    {
        ForeignHold holder(saved.path, true, false);
        RecordingPlatformScope platform;
        // The version check cannot open it: reported, then taken as unreadable.
        std::unique_ptr<CTree> loaded;
        EXPECT_EQ(loadFrom(saved.path, loaded), kErrInvalidFormat);
        EXPECT_FALSE(loaded);
        EXPECT_EQ(platform.recorder.bugReports().at(0),
                  "CFileDescriptor::open (file system error)");
        // Saving over itself reads the old file first: the lock refuses that on both systems;
        // Windows also refuses to rename another document over the locked file.
        saved.expectRefused(true, "CFileDescriptor::open (file system error)", &holder);
#ifdef _WIN32
        saved.expectRefused(false, kSaveFailed, &holder);
#endif
    }
    const fs::path native = fs::u8path(saved.path);
    const fs::perms writable = fs::status(native).permissions();
    fs::permissions(native,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    for (bool overItself : {true, false})
        saved.expectRefused(overItself, kSaveFailed, nullptr);
    fs::permissions(native, writable);

    // Over itself or as a new file, the bytes are the same and no side file is left behind.
    RecordingPlatformScope platform;
    const std::string plain = saved.dir.file("plain.rdc");
    ASSERT_EQ(saveTo(*saved.large, saved.path, true), kNoErr);
    ASSERT_EQ(saveTo(*saved.large, plain, true), kNoErr);
    EXPECT_EQ(readFileBytes(saved.path), readFileBytes(plain));
    std::unique_ptr<CTree> loaded;
    EXPECT_EQ(loadFrom(saved.path, loaded), kNoErr);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(saved.dir.names().size(), 2u);
    // Another fork in the file, written when `add`: its size, or the error. Saving over
    // itself keeps it; replacing starts afresh.
    const RForkType extra = makeForkType("Xtra");
    auto otherFork = [&](bool add) {
        CFileDescriptor descriptor(plain);
        RErr err = kNoErr;
        CRFile container(descriptor, err);
        int32_t size = 5, got = -1;
        err = err || !add ? err : container.createFork(extra);
        err = err || !add ? err : container.setForkSize(extra, 5);
        err = err || !add ? err : container.writeFork(extra, size, "notes");
        err = err ? err : container.getForkSize(extra, got);
        return err ? err : got;
    };
    ASSERT_EQ(otherFork(true), 5);
    ASSERT_EQ(saveTo(*saved.large, plain, true), kNoErr);
    EXPECT_EQ(otherFork(false), 5);
    EXPECT_TRUE(platform.recorder.bugReports().empty());
    ASSERT_EQ(saveTo(*saved.large, plain, false), kNoErr);
    EXPECT_EQ(otherFork(false), kErrNoSuchFork);
    // A file that is not a container at all is replaced, not read.
    writeFileBytes(plain, {'t', 'e', 'x', 't'});
    ASSERT_EQ(saveTo(*saved.large, plain, false), kNoErr);
    EXPECT_EQ(loadFrom(plain, loaded), kNoErr);

    // A name too long or forbidden, or a missing folder, gives an error and no file.
    std::vector<std::string> names = {std::string(300, 'x') + ".rdc",
                                      std::string(250, 'y') + "-δέντρο-句法.rdc"};
#ifdef _WIN32
    // Windows cannot hold these names: a hidden stream, a device, forbidden characters.
    names.insert(names.end(), {"essay.rdc:hidden", "con.rdc", "what?.rdc", "a<b>.rdc", "dot."});
#endif
    names.push_back("/nonexistent-folder/for/ramex/essay.rdc");
    for (const std::string& name : names) {
        platform.recorder.clear();
        for (bool overItself : {true, false})
            EXPECT_EQ(
                saveTo(*saved.large, name[0] == '/' ? name : saved.dir.file(name), overItself),
                kErrFileSystem)
                << name;
        EXPECT_FALSE(platform.recorder.bugReports().empty()) << name;
        EXPECT_EQ(saved.dir.names().size(), 2u) << name;
    }
}

// A point far outside any drawing is damage; running out of memory while reading is a
// refusal, never an abort.
TEST(LoadLimits, APointOutsideTheDrawingRangeOrTooLittleMemoryRefusesTheFile) {
    const std::pair<int32_t, int32_t> cases[] = {
        {kAttrAbsoluteH, 10000000},      {kAttrAbsoluteH, -10000000},
        {kAttrAbsoluteH, 10000001},      {kAttrAbsoluteH, INT32_MIN},
        {kAttrAbsoluteV, -10000001},     {kAttrAbsoluteV, INT32_MAX},
        {kAttrRelativeH, INT32_MIN},     {kAttrXOffset, 20000000},
        {kAttrNodeRectRight, INT32_MAX}, {kAttrCumulativeRectTop, INT32_MIN}};
    TempDir dir;
    const std::string path = dir.file("document.rdc");
    RecordingPlatformScope platform;
    std::unique_ptr<CTree> loaded;
    std::string results; // the error of each, "+" when a tree came back
    for (const auto& [attribute, value] : cases) {
        saveDocument(path, attribute, value);
        const RErr err = loadFrom(path, loaded);
        results += std::to_string(err) + (loaded ? "+ " : " ");
    }
    EXPECT_EQ(results, "0+ 0+ 1008 1008 1008 1008 1008 1008 1008 1008 ");
    if (!allocatorReplaced())
        GTEST_SKIP() << "the allocator cannot be replaced here";
    saveDocument(path, kAttrAbsoluteH, 10);
    RErr err = kNoErr;
    {
        const LargeAllocationsFail exhausted(64 * 1024);
        err = loadFrom(path, loaded);
    }
    EXPECT_EQ(err, kErrMallocFailed);
    EXPECT_EQ(loaded, nullptr);
    EXPECT_EQ(versionMessage(err), "There is not enough memory to open the file.");
    // With memory back the same file opens.
    EXPECT_EQ(loadFrom(path, loaded), kNoErr);
    EXPECT_NE(loaded, nullptr);
}

TEST(FileTypes, DotRuleRequestsStartOptionsAndMemoryList) {
    // Dots in folder names stay; whatever the name ends with, its last four are kept.
    std::string dotted;
    for (const char* path :
         {"/home/ann/my.tree.rdc", "/home/ann/a.b.c.rdc", "/home/ann.lee/x.y/essay.rdc",
          "C:\\work.d\\my.tree.rgr", "/tmp/my.notes.v2", "a.rdc", ".rdc"})
        dotted += applyDotRule(path) + " ";
    EXPECT_EQ(dotted, "/home/ann/my-tree.rdc /home/ann/a-b-c.rdc /home/ann.lee/x.y/essay.rdc "
                      "C:\\work.d\\my-tree.rgr /tmp/my-notes.v2 a.rdc .rdc ");
    // For saving, the filter, the extension and the initial name.
    auto request = [](int32_t type, bool forOpening) {
        FileRequest r;
        const RErr err = fileRequestForType(type, forOpening, r);
        return err ? "err " + std::to_string(err)
                   : std::to_string(r.forSaving) + " " + r.filter + " " + r.defaultExtension + " " +
                         r.initialName;
    };
    EXPECT_EQ(request(kFileTypeDocument, false), "1 Ramex documents (*.rdc) rdc .rdc");
    EXPECT_EQ(request(kFileTypeGrammar, true), "0 Ramex documents (*.rgr) rgr .rgr");
    EXPECT_EQ(request(kFileTypeCurrentGrammar, true), "0 Ramex documents (*.rgr) rgr .rgr");
    EXPECT_EQ(request(5, true), "err 1000");

    // The document, the grammar, a self test; or the refusal.
    auto parsed = [](const std::vector<std::string>& arguments) {
        RStartOptions options;
        std::string error;
        return parseStartOptions(arguments, options, error)
                   ? options.documentPath + "|" + options.grammarPath + "|" +
                         std::to_string(options.selfTest)
                   : "refused: " + error;
    };
    EXPECT_EQ(parsed({"essay.rdc"}), "essay.rdc||0");
    EXPECT_EQ(parsed({"--grammar", "english.rgr", "--self-test"}), "|english.rgr|1");
    EXPECT_EQ(parsed({"--grammar"}), "refused: --grammar needs a grammar file");
    EXPECT_EQ(parsed({"--frobnicate"}), "refused: unknown option --frobnicate");
    EXPECT_EQ(parsed({"a.rdc", "b.rdc"}).substr(0, 9) + parsed({"a.rdc", "--grammar", "g.rgr"})[0],
              "refused: r");

    // The full memory list shows every used tag, the limited one only what is outstanding.
    CRMemory::Counters allocations{}, frees{};
    allocations[2] = frees[2] = 3;
    allocations[5] = 4;
    frees[5] = 1;
    frees[160] = 2;     // more frees than allocations shows a negative balance
    allocations[0] = 9; // tag 0 is not listed
    using Lines = std::vector<std::string>;
    EXPECT_EQ(memoryListLines(allocations, frees, true),
              (Lines{"2   3   3   0", "5   4   1   3", "160   0   2   -2"}));
    EXPECT_EQ(memoryListLines(allocations, frees, false),
              (Lines{"5   4   1   3", "160   0   2   -2"}));
    EXPECT_TRUE(memoryListLines(CRMemory::Counters{}, CRMemory::Counters{}, true).empty());
}

TEST_F(CurrentFilesTest, ChoosingOrEditingAGrammarShowsItAndACancelChangesNothing) {
    const std::string nothing = "grammar  (not selected); file  only in memory";
    EXPECT_EQ(look(files.doChooseGrammar()), "choose .rgr to open | " + nothing); // cancelled
    answer(saveGrammar("english.rgr"));
    const std::string chosen = "grammar english.rgr; file  only in memory";
    EXPECT_EQ(look(files.doChooseGrammar()), "choose .rgr to open; label english.rgr | " + chosen);
    // A later cancel keeps the grammar chosen before.
    EXPECT_EQ(look(files.doChooseGrammar()), "choose .rgr to open | " + chosen);
    // A grammar opened for editing becomes the current one only when asked.
    answer(saveGrammar("second.rgr"));
    std::unique_ptr<CTree> edited;
    ASSERT_EQ(files.doOpen(kFileTypeGrammar, false, edited), kNoErr);
    EXPECT_EQ(look(), "choose .rgr to open | grammar english.rgr; file second.rgr");
    files.setOpenGrammarAsSelectedGrammar();
    EXPECT_EQ(look(), "label second.rgr | grammar second.rgr; file second.rgr");
}

TEST_F(CurrentFilesTest, ANewDocumentNeverOverwritesItsGrammarAndReplacingAnotherFileAsks) {
    const std::string grammar = saveGrammar("english.rgr");
    const auto grammarBytes = readFileBytes(grammar);
    ASSERT_EQ(files.selectGrammar(grammar), kNoErr);
    std::unique_ptr<CTree> document;
    ASSERT_EQ(files.openCurrentGrammarAsStudentDoc(document), kNoErr);
    ASSERT_TRUE(document);
    addRoot(*document);
    EXPECT_EQ(look(), " | grammar english.rgr; file english.rgr only in memory");
    // Save asks for a name; a cancel keeps everything as it was.
    EXPECT_EQ(look(files.doSave(document.get(), kFileTypeDocument, false)),
              "err -1 choose .rdc to save | grammar english.rgr; file english.rgr only in memory");
    EXPECT_TRUE(dirty(*document));
    // A name is taken by the dot rule; the document then has a file of its own.
    answer(dir.file("my.first.rdc"));
    EXPECT_EQ(files.doSave(document.get(), kFileTypeDocument, false), kNoErr);
    EXPECT_EQ(look(), "choose .rdc to save | grammar english.rgr; file my-first.rdc");
    EXPECT_EQ(dir.names().size(), 2u);
    EXPECT_FALSE(dirty(*document));
    EXPECT_EQ(readFileBytes(grammar), grammarBytes);
    // Saved again, it goes over its own file without a question, and reverts the same way.
    addRoot(*document);
    EXPECT_EQ(files.doSave(document.get(), kFileTypeDocument, false), kNoErr);
    std::unique_ptr<CTree> reopened;
    ASSERT_EQ(files.doOpen(kFileTypeDocument, true, reopened), kNoErr);
    EXPECT_TRUE(reopened);
    EXPECT_EQ(seen(), "");

    // Saving as another file's name asks first; No keeps that file byte for byte.
    ASSERT_EQ(files.doOpenCurrentGrammar(document), kNoErr);
    addRoot(*document);
    const std::string other = dir.file("other.rgr");
    writeTextFile(other, "someone else's work");
    const std::string replace =
        "[Replace Existing File] There is already a file by this name.  Replace it? Yes/No";
    for (const int32_t button : {kButtonNo, kButtonYes}) {
        answer(other);
        platform.recorder.buttonAnswers.push_back(button);
        EXPECT_EQ(files.doSave(document.get(), kFileTypeGrammar, true),
                  button == kButtonNo ? kErrUserCancelled : kNoErr);
        EXPECT_EQ(seen(), "choose .rgr to save; " + replace);
        EXPECT_EQ(dirty(*document), button == kButtonNo);
    }
    EXPECT_EQ(look(), " | grammar english.rgr; file other.rgr");
    std::unique_ptr<CTree> loaded;
    EXPECT_EQ(loadFrom(other, loaded), kNoErr);
}

TEST_F(CurrentFilesTest, UnreadableFilesChangeNothingAndRevertingReloadsWithoutAsking) {
    writeTextFile(dir.file("notes.rdc"), "not a Ramex file");
    answer(dir.file("notes.rdc"));
    std::unique_ptr<CTree> loaded;
    EXPECT_EQ(files.doOpen(kFileTypeDocument, false, loaded), kErrUserCancelled);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(seen(),
              "choose .rdc to open; bug CRFile::CRFile (1008); bug CVersionInfo::CVersionInfo "
              "(1008); [] The file cannot be opened, because it is in an invalid format. OK");
    EXPECT_TRUE(files.getFileExistsOnlyInMemory());
    // A cancelled chooser is quiet and loads nothing.
    EXPECT_EQ(files.doOpen(kFileTypeDocument, false, loaded), kErrUserCancelled);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(seen(), "choose .rdc to open");
    // A grammar file opens as a document; the document then exists in its file.
    answer(saveGrammar("english.rgr"));
    ASSERT_EQ(files.doOpen(kFileTypeDocument, false, loaded), kNoErr);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(look(), "choose .rdc to open | grammar  (not selected); file english.rgr");

    // The questions offer their buttons; reverting then reloads the saved file, undo history gone.
    addRoot(*loaded);
    ASSERT_TRUE(confirmRevert());
    platform.recorder.buttonAnswers = {kButtonCancel, kButtonNo, kButtonCancel};
    EXPECT_FALSE(confirmRevert());
    EXPECT_EQ(askSaveBeforeClosing(MessageButtons::YesNoCancel), kButtonNo);
    EXPECT_EQ(askSaveBeforeClosing(MessageButtons::OKCancel), kButtonCancel);
    const std::string revert = "[] Are you sure you want to abandon changes to this document "
                               "and revert to the saved version? OK/Cancel; ";
    EXPECT_EQ(seen(), revert + revert +
                          "[] Save document before closing? Yes/No/Cancel; [] Save "
                          "document before closing? OK/Cancel");
    std::unique_ptr<CTree> reverted;
    ASSERT_EQ(files.doOpen(kFileTypeGrammar, true, reverted), kNoErr);
    ASSERT_TRUE(reverted);
    EXPECT_EQ(look(), " | grammar  (not selected); file english.rgr");
    EXPECT_FALSE(dirty(*reverted));
    bool canUndo = true;
    ASSERT_EQ(reverted->undoStructure().canUndo(canUndo), kNoErr);
    EXPECT_FALSE(canUndo);
}

TEST_F(CurrentFilesTest, FilesNamedAtStartMustExistAndMisuseIsReported) {
    const std::string grammar = saveGrammar("english.rgr");
    ASSERT_EQ(files.useGrammarFile(grammar), kNoErr);
    EXPECT_EQ(files.useGrammarFile(dir.file("missing.rgr")), kErrUserCancelled);
    // A mistyped name costs neither the current grammar nor the current file.
    EXPECT_EQ(look(files.useDocumentFile(dir.file("gone.rdc"))),
              "err -1 [] The grammar missing.rgr cannot be found. OK; [] The document gone.rdc "
              "cannot be found. OK; label english.rgr | grammar english.rgr; file  only in memory");
    ASSERT_EQ(files.useDocumentFile(grammar), kNoErr);
    std::unique_ptr<CTree> loaded;
    EXPECT_EQ(files.doOpen(kFileTypeDocument, true, loaded), kNoErr);
    EXPECT_TRUE(loaded);
    // A grammar preference whose file has gone is no current grammar.
    EXPECT_EQ(look(files.selectGrammar(dir.file("missing.rgr"))),
              " | grammar missing.rgr (not selected); file english.rgr");

    CCurrentFiles fresh;
    EXPECT_EQ(fresh.openCurrentGrammarAsStudentDoc(loaded), kErrNotInitialized);
    EXPECT_EQ(fresh.doSave(nullptr, kFileTypeDocument, false), kErrNotInitialized);
    EXPECT_EQ(fresh.loadFile(loaded), kErrNotInitialized);
    EXPECT_EQ(fresh.getFilename(5, true), kErrGeneral);
    answer(std::string(1025, 'a'));
    EXPECT_EQ(fresh.getFilename(kFileTypeDocument, true), kErrInvalidParameter);
    EXPECT_EQ(seen(), "bug CRamexApp::copyCurrentGrammarToCurrentFile (data structure not "
                      "initialized); bug CRamexApp::doSave (data structure not initialized); bug "
                      "CRamexApp::loadFile (data structure not initialized); bug "
                      "CRamexApp::getFilename (general error); choose .rdc to open; bug "
                      "CRamexApp::getFilename (invalid parameter)");
    EXPECT_EQ(fresh.currentFilePath(), "");
}
