#include "storage/CFileDescriptor.h"
#include "storage/CRFile.h"
#include "storage/CStringManager.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include <malloc.h>
#include <sys/resource.h>

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

int64_t minorPageFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

} // namespace

// Loading a grammar with 100,000 strings must read them in under 30 ms. A document is opened
// by a process whose heap has no free memory of that size, so every iteration starts that way:
// what the previous load freed goes back to the system first, and the load pays for fresh
// pages as a real one does. "faults" counts the pages each load faults in.
static void readStringFork(benchmark::State& state) {
    const StringFile source(static_cast<int32_t>(state.range(0)));
    if (!source.ok) {
        state.SkipWithError("could not write the string fork");
        return;
    }
    int64_t faults = 0;
    for (auto _ : state) {
        const int64_t faultsBefore = minorPageFaults();
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
        faults += minorPageFaults() - faultsBefore;
        state.PauseTiming(); // freeing the loaded strings is not part of the load
        manager.reset();
        malloc_trim(0);
        state.ResumeTiming();
    }
    state.counters["faults"] =
        benchmark::Counter(static_cast<double>(faults), benchmark::Counter::kAvgIterations);
}
BENCHMARK(readStringFork)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same fork read again and again into one manager: each read builds a new table beside the
// old one and then frees the old one. Whether the freed memory is reused or faulted in afresh
// is up to the allocator; "faults" shows which.
static void rereadStringFork(benchmark::State& state) {
    const StringFile source(static_cast<int32_t>(state.range(0)));
    CStringManager manager;
    if (!source.ok) {
        state.SkipWithError("could not write the string fork");
        return;
    }
    int64_t faults = 0;
    for (auto _ : state) {
        const int64_t faultsBefore = minorPageFaults();
        CFileDescriptor fd(source.path);
        RErr err = kNoErr;
        CRFile file(fd, err);
        if (!err)
            err = manager.readStringStructureFromDisk(file);
        if (err || manager.maxArrayIndex() != state.range(0))
            state.SkipWithError("reading the string fork failed");
        faults += minorPageFaults() - faultsBefore;
    }
    state.counters["faults"] =
        benchmark::Counter(static_cast<double>(faults), benchmark::Counter::kAvgIterations);
}
BENCHMARK(rereadStringFork)->Arg(100000)->Unit(benchmark::kMillisecond);
