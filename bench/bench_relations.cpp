#include "base/ErrorCodes.h"
#include "base/Platform.h"
#include "base/RecordingPlatform.h"
#include "model/CTree.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <deque>
#include <vector>

// What a grading script waits for: a check that asks a structural relation of every pair of
// nodes of a large tree. Target: one million c-command queries under 200 ms.

namespace {

constexpr int32_t kTreeNodes = 1000;

void check(RErr err) {
    if (err != kNoErr)
        std::abort();
}

// One tree grown breadth first with `branching` daughters a node, every node listed.
struct RRelationsDatabase {
    RecordingPlatform platform;
    ScopedPlatform scope{platform};
    CTree tree;
    std::vector<int32_t> nodes;

    explicit RRelationsDatabase(int32_t branching) {
        check(tree.createTree(true));
        check(tree.undoStructure().startTaskList(kLabelNewTree));
        int32_t root = 0;
        check(tree.newRoot(root));
        nodes.push_back(root);
        std::deque<int32_t> open{root};
        while (static_cast<int32_t>(nodes.size()) < kTreeNodes) {
            for (int32_t i = 0; i < branching && static_cast<int32_t>(nodes.size()) < kTreeNodes;
                 ++i) {
                int32_t daughter = 0;
                check(tree.newDaughterToRight(open.front(), daughter));
                nodes.push_back(daughter);
                open.push_back(daughter);
            }
            open.pop_front();
        }
        check(tree.undoStructure().finishTaskList());
    }
};

void allPairs(benchmark::State& state, RErr (CTree::*relation)(int32_t, int32_t, int32_t&) const) {
    RRelationsDatabase db(static_cast<int32_t>(state.range(0)));
    for (auto _ : state) {
        int64_t yes = 0;
        for (const int32_t a : db.nodes)
            for (const int32_t b : db.nodes) {
                int32_t result = 0;
                check((db.tree.*relation)(a, b, result));
                yes += result;
            }
        benchmark::DoNotOptimize(yes);
    }
    state.SetItemsProcessed(state.iterations() * kTreeNodes * kTreeNodes);
}

void BM_CCommandAllPairs(benchmark::State& state) {
    allPairs(state, &CTree::cCommand);
}

void BM_PrecedeAllPairs(benchmark::State& state) {
    allPairs(state, &CTree::precede);
}

} // namespace

// Binary branching as X-bar trees are, and a bushier shape.
BENCHMARK(BM_CCommandAllPairs)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrecedeAllPairs)->Arg(2)->Unit(benchmark::kMillisecond);
