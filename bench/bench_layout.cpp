#include "BenchTrees.h"
#include "drawing/CPort.h"
#include "drawing/FixedMetricsDevice.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

// Layout must keep up with editing: a balanced 10,000-node tree and a 2,000-level chain are
// laid out in under 20 ms each, and a document of 50 trees of 100 nodes is drawn (without
// layout) in under 10 ms.

namespace {

constexpr int32_t kBenchCreatorTag = 160;

RErr buildChain(CTree& tree, int32_t levels, int32_t& root) {
    RErr err = tree.newRoot(root);
    int32_t deepest = root;
    for (int32_t level = 1; level < levels && !err; ++level)
        err = addBenchDaughter(tree, deepest, 0, level, kBenchCreatorTag, deepest);
    return err;
}

struct Document {
    CTree tree;
    FixedMetricsDevice device{7, 13};
    CPort port{&device};
    Document() {
        device.setRecording(false);
        tree.createTree(true);
        tree.setTreePort(&port);
    }
};

void layOutRepeatedly(benchmark::State& state, Document& document, int32_t root) {
    document.port.suspendDrawing();
    for (auto _ : state) {
        // Only dirty trees are laid out; each round is a fresh layout.
        document.tree.allTreesDirty();
        if (document.tree.drawTree(root, false))
            state.SkipWithError("layout failed");
    }
}

void layoutBalancedTree(benchmark::State& state) {
    Document document;
    int32_t root = 0;
    RErr err = document.tree.undoStructure().startTaskList(kLabelNeverUndoable);
    if (!err)
        err = buildBalancedTree(document.tree, 10000, 4, kBenchCreatorTag, root);
    if (!err)
        err = document.tree.undoStructure().finishTaskList();
    if (err) {
        state.SkipWithError("building the tree failed");
        return;
    }
    layOutRepeatedly(state, document, root);
}
BENCHMARK(layoutBalancedTree)->Unit(benchmark::kMillisecond);

void layoutChain(benchmark::State& state) {
    Document document;
    int32_t root = 0;
    RErr err = document.tree.undoStructure().startTaskList(kLabelNeverUndoable);
    if (!err)
        err = buildChain(document.tree, 2000, root);
    if (!err)
        err = document.tree.undoStructure().finishTaskList();
    if (err) {
        state.SkipWithError("building the chain failed");
        return;
    }
    layOutRepeatedly(state, document, root);
    // What the chain's fish spines hold once laid out.
    std::size_t bytes = 0;
    for (int32_t node = root; node != 0; document.tree.getNextNode(node, root, node))
        if (const std::vector<RExtent>* spine = document.tree.fishSpine(node))
            bytes += spine->capacity() * sizeof(RExtent);
    state.counters["spineMiB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
}
BENCHMARK(layoutChain)->Unit(benchmark::kMillisecond);

void drawFiftyTreesWithoutLayout(benchmark::State& state) {
    Document document;
    RErr err = document.tree.undoStructure().startTaskList(kLabelNeverUndoable);
    for (int32_t i = 0; i < 50 && !err; ++i) {
        int32_t root = 0;
        err = buildBalancedTree(document.tree, 100, 3, kBenchCreatorTag, root);
        if (!err)
            err =
                document.tree.setAbsolutePointNoUndo(root, RPoint{(i / 10) * 300, (i % 10) * 400});
    }
    if (!err)
        err = document.tree.undoStructure().finishTaskList();
    if (!err)
        err = document.tree.drawAllTrees();
    if (err) {
        state.SkipWithError("building the document failed");
        return;
    }
    for (auto _ : state)
        if (document.tree.drawAllTrees())
            state.SkipWithError("drawing failed");
}
BENCHMARK(drawFiftyTreesWithoutLayout)->Unit(benchmark::kMillisecond);

} // namespace
