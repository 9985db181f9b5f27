#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

// `ramex-cli build` of a generated grammar text of 5,000 words, as an instructor runs it: the
// whole command (start, read, build through the database operations, save). The binary is
// RAMEX_CLI, or the one of the same build folder.

namespace {

constexpr int kWords = 5000;

std::string cliPath() {
    if (const char* path = std::getenv("RAMEX_CLI"))
        return path;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    return (self.parent_path().parent_path() / "src" / "cli" / "ramex-cli").string();
}

// Nouns, verbs and adjectives with X-bar spines and features, a few with foot nodes.
std::string grammarText() {
    std::string text = "categories: X N V A P D T C\nfeatures: case num\n";
    for (int i = 0; i < kWords; ++i) {
        const std::string word = "w" + std::to_string(i);
        switch (i % 3) {
        case 0:
            text += "word " + word + ": [NP{spine} [N'{spine} [N{spine,num=sg} " + word + "]]]\n";
            break;
        case 1:
            text += "word " + word + ": [VP{spine} [V'{spine} [V{spine} " + word +
                    "] [NP{case=acc}]]]\n";
            break;
        default:
            text += "word " + word + ": [N' [AP [A' [A " + word + "]]] [N'{foot}]]\n";
            break;
        }
    }
    return text + "script:\ndefine function f(n)\n  return case(n)\nend define\nend script\n";
}

void BM_CliBuildOf5000Words(benchmark::State& state) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("ramex-bench-build-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string source = (folder / "big.rgt").string();
    std::ofstream(source, std::ios::binary) << grammarText();
    const std::string command = "\"" + cliPath() + "\" build \"" + source + "\" -o \"" +
                                (folder / "big.rgr").string() + "\"";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("ramex-cli build failed");
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_CliBuildOf5000Words)->Unit(benchmark::kMillisecond);

} // namespace
