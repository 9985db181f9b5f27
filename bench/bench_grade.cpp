#include "app/DocumentFiles.h"
#include "app/DocumentGrader.h"
#include "app/GradingWorkers.h"
#include "base/RecordingPlatform.h"
#include "cli/GrammarTextReader.h"
#include "model/CTree.h"
#include "storage/CFileDescriptor.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

// What an instructor waits for: a stack of 200 student documents of 10 trees each, made from
// the English sample, graded with the sample's "Check the Trees". The argument is the number
// of workers (1: everything on one core).

namespace {

namespace fs = std::filesystem;

constexpr int kDocuments = 200;
constexpr int kTreesPerDocument = 10;

const char* const kSubject = "[DP [D' [D{num=sg,person=3,subcat=none} Kim]]]";
const char* const kSleeps =
    "[T' [T{tense=pres,agr=3sg,subcat=VP} -s] [VP [V' [V{subcat=none} sleep]]]]";

// Right clauses and the usual mistakes: a missing determiner, an agreement error.
std::vector<std::string> clauses() {
    return {
        std::string("[TP ") + kSubject + " " + kSleeps + "]",
        std::string("[TP [NP [N' [N{num=sg,subcat=none} dog]]] ") + kSleeps + "]",
        std::string("[TP [DP [D' [D{num=pl,subcat=NP} these] [NP [N' [N{num=pl,subcat=none} "
                    "dogs]]]]] ") +
            kSleeps + "]",
        std::string("[TP ") + kSubject +
            " [T' [T{tense=pres,agr=3sg,subcat=VP} -s] [VP [V' [V{subcat=CP} think] [CP [C' "
            "[C{subcat=TP} that] [TP [DP [D' [D{subcat=NP} the] [NP [N' [AP [A' [A{subcat=none} "
            "big]]] [N' [N{num=sg,subcat=none} dog]]]]]] [T' [T{tense=past,subcat=VP} -ed] [VP "
            "[V' [V{subcat=DP} chase] [DP [D' [D{case=acc,num=pl,person=3,subcat=none} "
            "them]]]]]]]]]]]]]",
    };
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void save(CTree& tree, const fs::path& path) {
    fs::remove(path);
    CFileDescriptor file(path.string());
    if (saveDatabaseFile(tree, file))
        std::abort();
}

// The grammar and the stack, made once: four different documents, copied to 200 names.
struct RStack {
    fs::path folder;
    std::string grammar;
    std::vector<std::string> documents;

    RStack() : folder(fs::temp_directory_path() / "ramex-bench-grade") {
        RecordingPlatform platform;
        ScopedPlatform scope(platform);
        fs::remove_all(folder);
        fs::create_directories(folder);
        const std::string sample = readText(std::string(RAMEX_SAMPLES_DIR) + "/english.rgt");
        std::unique_ptr<CTree> tree;
        RTextError error;
        if (!readGrammarTextFile(std::string(RAMEX_SAMPLES_DIR) + "/english.rgt",
                                 RTextTarget::Grammar, tree, error))
            std::abort();
        grammar = (folder / "english.rgr").string();
        save(*tree, grammar);
        const std::vector<std::string> all = clauses();
        std::vector<std::string> kinds;
        for (std::size_t kind = 0; kind < all.size(); ++kind) {
            std::string text = sample + "\n";
            for (int t = 0; t < kTreesPerDocument; ++t)
                text += "tree: " + all[(kind + static_cast<std::size_t>(t)) % all.size()] + "\n";
            const fs::path source = folder / ("kind" + std::to_string(kind) + ".rgt");
            std::ofstream(source, std::ios::binary) << text;
            if (!readGrammarTextFile(source.string(), RTextTarget::Document, tree, error))
                std::abort();
            kinds.push_back((folder / ("kind" + std::to_string(kind) + ".rdc")).string());
            save(*tree, kinds.back());
        }
        for (int d = 0; d < kDocuments; ++d) {
            const fs::path copy = folder / ("student" + std::to_string(d) + ".rdc");
            fs::copy_file(kinds[static_cast<std::size_t>(d) % kinds.size()], copy,
                          fs::copy_options::overwrite_existing);
            documents.push_back(copy.string());
        }
    }
    ~RStack() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
};

void gradeTwoHundredDocuments(benchmark::State& state) {
    static const RStack stack;
    CDocumentGrader grader;
    std::string problem;
    if (grader.setUp(stack.grammar, "", "Check the Trees", problem) !=
        CDocumentGrader::RSetUpFault::None)
        std::abort();
    const int workers = static_cast<int>(state.range(0));
    int flagged = 0;
    for (auto _ : state) {
        flagged = 0;
        gradeDocuments(grader, stack.documents, workers, false, [&flagged](RGradeResult& result) {
            if (result.status == RGradeStatus::Failed)
                std::abort();
            flagged += result.status == RGradeStatus::Flagged;
        });
    }
    state.counters["flagged"] = flagged;
    state.counters["documents"] = kDocuments;
}
// Target: under 2 s for the stack with a worker per core on a 2-core machine.
BENCHMARK(gradeTwoHundredDocuments)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(3);

} // namespace
