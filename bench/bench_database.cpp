#include "app/DocumentFiles.h"
#include "base/ErrorCodes.h"
#include "base/RecordingPlatform.h"
#include "model/CTree.h"
#include "storage/CFileDescriptor.h"
#include "storage/CRString.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

// What a user waits for when saving or opening a large document: 50,000 nodes, 20,000 of
// them labelled.

namespace {

constexpr int32_t kNodes = 50000;
constexpr int32_t kLabelled = 20000;
constexpr int32_t kDaughtersPerPhrase = 100;

void check(RErr err) {
    if (err != kNoErr)
        std::abort();
}

void buildDocument(CTree& tree) {
    check(tree.createTree(true));
    check(tree.undoStructure().startTaskList(kLabelNewTree));
    int32_t root = 0;
    check(tree.newRoot(root));
    int32_t phrase = 0;
    for (int32_t n = 1; n < kNodes; ++n) {
        int32_t node = 0;
        if ((n - 1) % (kDaughtersPerPhrase + 1) == 0) {
            check(tree.newDaughterToRight(root, phrase));
            node = phrase;
        } else {
            check(tree.newDaughterToRight(phrase, node));
        }
        if (n <= kLabelled)
            check(tree.setNodeLabel(node, CRString("word" + std::to_string(n), 1)));
    }
    check(tree.undoStructure().finishTaskList());
    check(tree.undoStructure().zeroOut());
}

std::string temporaryPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

void BM_SaveLargeDocument(benchmark::State& state) {
    RecordingPlatform platform;
    ScopedPlatform scope(platform);
    CTree tree;
    buildDocument(tree);
    const std::string path = temporaryPath("ramex-bench-save.rdc");
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(path);
        state.ResumeTiming();
        CFileDescriptor file(path);
        check(saveDatabaseFile(tree, file));
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_SaveLargeDocument)->Unit(benchmark::kMillisecond);

void BM_LoadLargeDocument(benchmark::State& state) {
    RecordingPlatform platform;
    ScopedPlatform scope(platform);
    const std::string path = temporaryPath("ramex-bench-load.rdc");
    {
        CTree tree;
        buildDocument(tree);
        std::filesystem::remove(path);
        CFileDescriptor file(path);
        check(saveDatabaseFile(tree, file));
    }
    for (auto _ : state) {
        CFileDescriptor file(path);
        std::unique_ptr<CTree> loaded;
        check(loadDatabaseFile(file, loaded));
        benchmark::DoNotOptimize(loaded);
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadLargeDocument)->Unit(benchmark::kMillisecond);

} // namespace
