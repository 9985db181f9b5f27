#include "app/DocumentFiles.h"
#include "base/RecordingPlatform.h"
#include "app/WorkingDocument.h"
#include "cli/GrammarTextReader.h"
#include "model/CTree.h"
#include "storage/CFileDescriptor.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

// What a student waits for after New: the English sample grammar loaded from its file as a
// new document, its words prepared for student mode and its script compiled.

namespace {

std::string buildEnglishGrammar() {
    const std::string source = std::string(RAMEX_SAMPLES_DIR) + "/english.rgt";
    std::unique_ptr<CTree> tree;
    RTextError error;
    if (!readGrammarTextFile(source, RTextTarget::Grammar, tree, error))
        std::abort();
    const auto path = std::filesystem::temp_directory_path() / "ramex-bench-english.rgr";
    std::filesystem::remove(path);
    CFileDescriptor file(path.string());
    if (saveDatabaseFile(*tree, file))
        std::abort();
    return path.string();
}

void openEnglishSampleAsNewDocument(benchmark::State& state) {
    RecordingPlatform platform;
    ScopedPlatform scope(platform);
    const std::string path = buildEnglishGrammar();
    for (auto _ : state) {
        CFileDescriptor file(path);
        std::unique_ptr<CTree> document;
        if (loadDatabaseFile(file, document) || prepareWorkingDocument(*document, true))
            std::abort();
        benchmark::DoNotOptimize(document.get());
    }
    std::filesystem::remove(path);
}
BENCHMARK(openEnglishSampleAsNewDocument)->Unit(benchmark::kMillisecond);

} // namespace
