#include "base/ErrorCodes.h"
#include "base/Platform.h"
#include "base/RecordingPlatform.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <deque>
#include <string>

// What a user waits for when duplicating or clearing a large tree: one undo step that copies
// or kills every node of it.

namespace {

constexpr int32_t kTreeNodes = 10000;
constexpr int32_t kBranching = 4;
constexpr int32_t kChainDepth = 20000;
constexpr int32_t kFanWidth = 100000;

void check(RErr err) {
    if (err != kNoErr)
        std::abort();
}

template <typename Body> void inStep(CTree& tree, int32_t label, Body body) {
    check(tree.undoStructure().startTaskList(label));
    check(body());
    check(tree.undoStructure().finishTaskList());
}

// A database holding one tree of a given shape; every node labelled unless said otherwise.
struct RTreeDatabase {
    RecordingPlatform platform;
    ScopedPlatform scope{platform};
    CTree tree;
    int32_t root = 0;

    RTreeDatabase() { check(tree.createTree(true)); }

    // Breadth first, kBranching daughters a node, as a bushy sentence tree would grow.
    void buildBushy(int32_t nodes) {
        inStep(tree, kLabelNewTree, [&] {
            RErr err = tree.newRoot(root);
            std::deque<int32_t> open{root};
            for (int32_t made = 1; made < nodes && !err; open.pop_front())
                for (int32_t i = 0; i < kBranching && made < nodes && !err; ++i, ++made) {
                    int32_t daughter = 0;
                    err = tree.newDaughterToRight(open.front(), daughter);
                    const CRString label("N" + std::to_string(made), 1);
                    if (!err)
                        err = tree.setMainString(daughter, label);
                    open.push_back(daughter);
                }
            return err;
        });
        check(tree.undoStructure().zeroOut());
    }

    void buildChain(int32_t depth) {
        inStep(tree, kLabelNewTree, [&] {
            RErr err = tree.newRoot(root);
            for (int32_t level = 1, deepest = root; level < depth && !err; ++level) {
                int32_t node = 0;
                err = tree.newRecord(node, kRecordNode);
                if (!err)
                    err = tree.dataTask(node, kAttrMother, deepest);
                if (!err)
                    err = tree.dataTask(deepest, kAttrLeftmostDaughter, node);
                deepest = node;
            }
            return err;
        });
        check(tree.undoStructure().zeroOut());
    }

    void buildFan(int32_t width) {
        inStep(tree, kLabelNewTree, [&] {
            RErr err = tree.newRoot(root);
            for (int32_t i = 1; i < width && !err; ++i) {
                int32_t daughter = 0;
                err = tree.newDaughterToLeft(root, daughter);
            }
            return err;
        });
        check(tree.undoStructure().zeroOut());
    }

    int32_t cloneStep() {
        int32_t copy = 0;
        inStep(tree, kLabelDuplicateWord, [&] { return tree.cloneTree(root, copy); });
        return copy;
    }

    void killStep(int32_t node) {
        inStep(tree, kLabelClearWord, [&] { return tree.killRootNode(node); });
    }

    // The history goes, so its records and texts are free again for the next round.
    void forget() { check(tree.undoStructure().zeroOut()); }
};

void BM_CloneTree10000Nodes(benchmark::State& state) {
    RTreeDatabase db;
    db.buildBushy(kTreeNodes);
    for (auto _ : state) {
        const int32_t copy = db.cloneStep();
        state.PauseTiming();
        db.killStep(copy);
        db.forget();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kTreeNodes);
}
BENCHMARK(BM_CloneTree10000Nodes)->Unit(benchmark::kMillisecond);

void BM_KillTree10000Nodes(benchmark::State& state) {
    RTreeDatabase db;
    db.buildBushy(kTreeNodes);
    for (auto _ : state) {
        state.PauseTiming();
        const int32_t copy = db.cloneStep();
        state.ResumeTiming();
        db.killStep(copy);
        state.PauseTiming();
        db.forget();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kTreeNodes);
}
BENCHMARK(BM_KillTree10000Nodes)->Unit(benchmark::kMillisecond);

// Undoing and redoing the kill of the same tree.
void BM_UndoRedoKillTree10000Nodes(benchmark::State& state) {
    RTreeDatabase db;
    db.buildBushy(kTreeNodes);
    db.killStep(db.cloneStep());
    for (auto _ : state) {
        check(db.tree.undoStructure().undo());
        check(db.tree.undoStructure().redo());
    }
}
BENCHMARK(BM_UndoRedoKillTree10000Nodes)->Unit(benchmark::kMillisecond);

void BM_WalkEveryNode10000Nodes(benchmark::State& state) {
    RTreeDatabase db;
    db.buildBushy(kTreeNodes);
    for (auto _ : state) {
        int32_t visited = 0;
        for (int32_t node = db.root; node != 0; ++visited)
            check(db.tree.getNextNode(node, 0, node));
        benchmark::DoNotOptimize(visited);
    }
    state.SetItemsProcessed(state.iterations() * kTreeNodes);
}
BENCHMARK(BM_WalkEveryNode10000Nodes)->Unit(benchmark::kMicrosecond);

// The shapes that would overflow a recursive copy or kill: each iteration clones the tree and
// kills the copy, one step each.
void BM_CloneAndKillChain20000Deep(benchmark::State& state) {
    RTreeDatabase db;
    db.buildChain(kChainDepth);
    for (auto _ : state) {
        db.killStep(db.cloneStep());
        state.PauseTiming();
        db.forget();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CloneAndKillChain20000Deep)->Unit(benchmark::kMillisecond);

void BM_CloneAndKillFan100000Wide(benchmark::State& state) {
    RTreeDatabase db;
    db.buildFan(kFanWidth);
    for (auto _ : state) {
        db.killStep(db.cloneStep());
        state.PauseTiming();
        db.forget();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CloneAndKillFan100000Wide)->Unit(benchmark::kMillisecond);

} // namespace
