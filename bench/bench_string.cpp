// CRString collation and conversions: sorting a lexicon-sized word list is what a user waits
// for when a lexicon window is filled.
#include "storage/CRString.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// 10,000 words of 3 to 10 letters, about one letter in eight accented or a capital.
std::vector<std::string> makeWords(std::size_t count) {
    static const char* const letters[] = {
        "a",        "b",        "c",        "d",        "e",        "i",       "l", "n",
        "o",        "r",        "s",        "t",        "u",        "A",       "E", "S",
        "\xC3\xA4", "\xC3\xA9", "\xC3\xB6", "\xC3\x9F", "\xC3\xA6", "\xC3\x84"};
    constexpr uint32_t kLetterCount = sizeof letters / sizeof letters[0];
    uint32_t seed = 2024;
    auto next = [&seed]() {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    std::vector<std::string> words;
    words.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::string word;
        const uint32_t length = 3 + next() % 8;
        for (uint32_t j = 0; j < length; ++j) {
            const uint32_t pick = next() % 64;
            word += letters[pick < 13 * 4 ? pick % 13 : 13 + pick % (kLetterCount - 13)];
        }
        words.push_back(std::move(word));
    }
    return words;
}

void BM_SortTenThousandWords(benchmark::State& state) {
    const std::vector<std::string> words = makeWords(10000);
    for (auto _ : state) {
        std::vector<const char*> sorted;
        sorted.reserve(words.size());
        for (const auto& word : words)
            sorted.push_back(word.c_str());
        std::sort(sorted.begin(), sorted.end(), [](const char* a, const char* b) {
            return CRString::orderString(a, b, false, false) == 1;
        });
        benchmark::DoNotOptimize(sorted.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(words.size()));
}
BENCHMARK(BM_SortTenThousandWords)->Unit(benchmark::kMillisecond);

void BM_PlatformRoundTrip(benchmark::State& state) {
    const std::string line = "Z\xFCrich und M\xFCnchen sind St\xE4"
                             "dte.\r\n";
    std::string platform;
    for (int i = 0; i < 100; ++i)
        platform += line;
    for (auto _ : state) {
        CRString s(160);
        s.setStringValueLocal(platform.c_str());
        CRString back(s.getStringValue(), 160);
        benchmark::DoNotOptimize(back.getStringValueLocal());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(platform.size()));
}
BENCHMARK(BM_PlatformRoundTrip);

} // namespace
