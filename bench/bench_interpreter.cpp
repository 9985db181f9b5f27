#include "base/ErrorCodes.h"
#include "base/RecordingPlatform.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "script/CMiddleInterface.h"
#include "script/CScript.h"
#include "storage/CRString.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace {

constexpr int32_t kBenchCreatorTag = 157;
constexpr int32_t kTreeArea = 2;
constexpr int64_t kNoTimeLimit = int64_t{1} << 40;

void check(RErr err) {
    if (err != kNoErr)
        std::abort();
}

// A new grammar holding the script, compiled as for a working document.
void prepare(CTree& tree, const std::string& text) {
    tree.script()->setTraceOutput(nullptr);
    tree.script()->middleInterface().setTraceOutput(nullptr);
    // The steps are measured, not the clock: a run under an instruction counter, many times
    // slower, must not be stopped by the time budget.
    tree.script()->setTimeLimit(kNoTimeLimit);
    check(tree.undoStructure().startTaskList(kLabelNeverUndoable));
    check(tree.setMainString(kHeaderRecord, CRString(text, kBenchCreatorTag)));
    check(tree.script()->parseScript(true));
    check(tree.undoStructure().finishTaskList());
    check(tree.undoStructure().zeroOut());
}

void runMenuCommand(CTree& tree, const char* name) {
    check(tree.undoStructure().startTaskList(kLabelMenu));
    check(tree.script()->executeAuthorDefinedMenuCommand(CRString(name, kBenchCreatorTag)));
    check(tree.undoStructure().finishTaskList());
    if (tree.script()->lastCallWasStopped())
        std::abort();
}

// A million passes of local arithmetic: two nested loops of 1,000 passes each.
void BM_ArithmeticLoopOfAMillionSteps(benchmark::State& state) {
    RecordingPlatform platform;
    ScopedPlatform scope(platform);
    CTree tree;
    check(tree.createTree(false));
    prepare(tree, "define variable total\n"
                  "define function spin\n define variable i, j, s\n let s = 0\n let i = 0\n"
                  " while i < 1000\n let i = i + 1\n let j = 0\n"
                  "  while j < 1000\n let j = j + 1\n let s = (s + j * 3 - i) % 65536\n"
                  "  end while\n end while\n let total = s\nend define\n");
    for (auto _ : state) {
        runMenuCommand(tree, "spin");
        check(tree.undoStructure().zeroOut());
    }
    state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_ArithmeticLoopOfAMillionSteps)->Unit(benchmark::kMillisecond);

// A recursive function called 98 deep, 10,000 times.
void BM_RecursionNinetyEightDeep(benchmark::State& state) {
    RecordingPlatform platform;
    ScopedPlatform scope(platform);
    CTree tree;
    check(tree.createTree(false));
    prepare(tree, "define function down(n)\n if n > 0 then\n return down(n - 1) + 1\n"
                  " end if\nend define\n"
                  "define function repeat\n define variable i, k\n let i = 0\n"
                  " while i < 100\n let i = i + 1\n let k = 0\n"
                  "  while k < 100\n let k = k + 1\n down(97)\n end while\n end while\n"
                  "end define\n");
    for (auto _ : state)
        runMenuCommand(tree, "repeat");
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_RecursionNinetyEightDeep)->Unit(benchmark::kMillisecond);

// "for every node" over a 10,000-node document, three relation natives per node.
void BM_ForEveryNodeWithRelations(benchmark::State& state) {
    RecordingPlatform platform;
    ScopedPlatform scope(platform);
    CTree tree;
    check(tree.createTree(false));
    check(tree.undoStructure().startTaskList(kLabelNeverUndoable));
    for (int t = 0; t < 100; ++t) {
        int32_t root = 0;
        check(tree.newRoot(root));
        check(tree.setWhereIsTree(root, kTreeArea));
        int32_t spine = root;
        for (int level = 0; level < 33; ++level) {
            int32_t left = 0;
            int32_t right = 0;
            check(tree.newDaughterToRight(spine, left));
            check(tree.newDaughterToRight(spine, right));
            if (level < 32) {
                int32_t extra = 0;
                check(tree.newDaughterToLeft(left, extra));
            }
            spine = right;
        }
    }
    check(tree.undoStructure().finishTaskList());
    check(tree.undoStructure().zeroOut());
    prepare(tree, "define variable count\n"
                  "define function walk\n define variable n, c\n let c = 0\n"
                  " for every node n\n"
                  "  if mother(n) + leftmost-daughter(n) + right-sister(n) > 0 then\n"
                  "   let c = c + 1\n end if\n end for\n return c\nend define\n");
    for (auto _ : state)
        runMenuCommand(tree, "walk");
}
BENCHMARK(BM_ForEveryNodeWithRelations)->Unit(benchmark::kMillisecond);

} // namespace
