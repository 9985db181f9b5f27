// The forked file container: moving data when a fork grows, and byte-at-a-time reading.
//
//   BM_GrowForkFollowedBy64MiB   setForkSize on a fork followed by 64 MiB (moved in 64 KiB
//                                chunks, highest first)
//   BM_CopyWithOneReadOneWrite   the same bytes moved with one read and one write: the bound
//   BM_ReadForkOneByteAtATime    1.3 MB read through CRFile::readFork one byte per call

#include "storage/CFileDescriptor.h"
#include "storage/CRFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr RForkType kSmall = makeForkType("Smal");
constexpr RForkType kBig = makeForkType("Big ");
constexpr int32_t kFollowing = 64 << 20;
constexpr int32_t kGrowth = 4096;
constexpr int32_t kStringForkSize = 1300000;

void check(RErr err, const char* what) {
    if (err)
        throw std::runtime_error(std::string(what) + " failed with " + std::to_string(err));
}

std::string tempPath(const char* name) {
    std::random_device seed;
    return (std::filesystem::temp_directory_path() /
            ("ramex-bench-" + std::to_string(seed()) + "-" + name))
        .string();
}

// A container with a small fork followed by a fork of `following` bytes.
void makeContainer(const std::string& path, RForkType second, int32_t size) {
    CFileDescriptor fd(path);
    check(CRFile::createCFile(fd), "createCFile");
    RErr err = kNoErr;
    CRFile file(fd, err);
    check(err, "open");
    check(file.createFork(kSmall), "createFork");
    check(file.setForkSize(kSmall, 16), "setForkSize");
    check(file.createFork(second), "createFork");
    check(file.setForkSize(second, size), "setForkSize");
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<unsigned char>(i * 131 + i / 977);
    int32_t length = size;
    check(file.writeFork(second, length, bytes.data()), "writeFork");
}

void BM_GrowForkFollowedBy64MiB(benchmark::State& state) {
    const std::string path = tempPath("grow");
    makeContainer(path, kBig, kFollowing);
    {
        CFileDescriptor fd(path);
        RErr err = kNoErr;
        CRFile file(fd, err);
        check(err, "open");
        for (auto _ : state) {
            check(file.setForkSize(kSmall, 16 + kGrowth), "grow");
            state.PauseTiming();
            check(file.setForkSize(kSmall, 16), "shrink");
            state.ResumeTiming();
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kFollowing));
    std::filesystem::remove(path);
}
BENCHMARK(BM_GrowForkFollowedBy64MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CopyWithOneReadOneWrite(benchmark::State& state) {
    const std::string path = tempPath("copy");
    makeContainer(path, kBig, kFollowing);
    {
        CFileDescriptor fd(path);
        check(fd.open(), "open");
        int32_t length = 0;
        check(fd.getEOF(length), "getEOF");
        const int32_t start = 16;
        const int32_t count = length - start;
        std::vector<unsigned char> buffer(static_cast<std::size_t>(count));
        for (auto _ : state) {
            check(fd.setEOF(length + kGrowth), "setEOF");
            check(fd.setPosition(start), "setPosition");
            check(fd.read(buffer.data(), count), "read");
            check(fd.setPosition(start + kGrowth), "setPosition");
            check(fd.write(buffer.data(), count), "write");
            state.PauseTiming();
            check(fd.setEOF(length), "setEOF");
            state.ResumeTiming();
        }
        check(fd.close(), "close");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kFollowing));
    std::filesystem::remove(path);
}
BENCHMARK(BM_CopyWithOneReadOneWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadForkOneByteAtATime(benchmark::State& state) {
    const std::string path = tempPath("bytes");
    makeContainer(path, kForkStrings, kStringForkSize);
    {
        CFileDescriptor fd(path);
        RErr err = kNoErr;
        CRFile file(fd, err);
        check(err, "open");
        for (auto _ : state) {
            check(file.setForkPosition(kForkStrings, 0), "setForkPosition");
            unsigned sum = 0;
            for (int32_t i = 0; i < kStringForkSize; ++i) {
                unsigned char byte = 0;
                int32_t length = 1;
                if (file.readFork(kForkStrings, length, &byte))
                    throw std::runtime_error("readFork failed");
                sum += byte;
            }
            benchmark::DoNotOptimize(sum);
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kStringForkSize));
    std::filesystem::remove(path);
}
BENCHMARK(BM_ReadForkOneByteAtATime)->Unit(benchmark::kMillisecond);

} // namespace
