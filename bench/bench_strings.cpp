#include "storage/CFileDescriptor.h"
#include "storage/CRFile.h"
#include "storage/CStringManager.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

namespace {

// A container whose 'Stri' fork holds the given number of short labels, removed afterwards.
class StringFile {
public:
    explicit StringFile(int32_t count)
        : path((std::filesystem::temp_directory_path() /
                ("ramex-bench-strings-" + std::to_string(count) + ".rgr"))
                   .string()) {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
        CFileDescriptor fd(path);
        CStringManager manager;
        RErr err = CRFile::createCFile(fd);
        if (!err)
            err = manager.createStringStructure();
        for (int32_t i = 0; !err && i < count; ++i) {
            int32_t id = 0;
            err = manager.registerString(CRString("label " + std::to_string(i), 1), id);
        }
        if (!err) {
            CRFile file(fd, err);
            if (!err)
                err = manager.writeStringStructureToDisk(file);
        }
        ok = err == kNoErr;
    }
    ~StringFile() {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
    StringFile(const StringFile&) = delete;
    StringFile& operator=(const StringFile&) = delete;

    std::string path;
    bool ok = false;
};

} // namespace

// Loading a grammar reads its strings one byte at a time; 100,000 strings must take under
// 30 ms.
static void readStringFork(benchmark::State& state) {
    const StringFile source(static_cast<int32_t>(state.range(0)));
    if (!source.ok) {
        state.SkipWithError("could not write the string fork");
        return;
    }
    for (auto _ : state) {
        auto manager = std::make_unique<CStringManager>();
        {
            CFileDescriptor fd(source.path);
            RErr err = kNoErr;
            CRFile file(fd, err);
            if (!err)
                err = manager->readStringStructureFromDisk(file);
            if (err || manager->maxArrayIndex() != state.range(0))
                state.SkipWithError("reading the string fork failed");
        }
        state.PauseTiming(); // freeing the loaded strings is not part of the load
        manager.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(readStringFork)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same fork read again and again into one manager: each read replaces the table, and the
// memory the previous table held is reused instead of being faulted in afresh.
static void rereadStringFork(benchmark::State& state) {
    const StringFile source(static_cast<int32_t>(state.range(0)));
    CStringManager manager;
    if (!source.ok) {
        state.SkipWithError("could not write the string fork");
        return;
    }
    for (auto _ : state) {
        CFileDescriptor fd(source.path);
        RErr err = kNoErr;
        CRFile file(fd, err);
        if (!err)
            err = manager.readStringStructureFromDisk(file);
        if (err || manager.maxArrayIndex() != state.range(0))
            state.SkipWithError("reading the string fork failed");
    }
}
BENCHMARK(rereadStringFork)->Arg(100000)->Unit(benchmark::kMillisecond);
