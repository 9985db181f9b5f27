#include "base/ErrorCodes.h"
#include "base/RecordingPlatform.h"
#include "cli/GrammarTextReader.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "script/CMiddleInterface.h"
#include "script/CScript.h"
#include "storage/CRString.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

// Trees that grow in depth: every node made marks its tree dirty, which must not cost a climb
// to the root each time. Target: a 50,000-level chain from the text form in under a second.

namespace {

constexpr int32_t kBenchCreatorTag = 158;

void check(bool ok) {
    if (!ok)
        std::abort();
}

// tree: [N [N [N ... [N a] ... ]]] with the given number of levels.
std::string chainText(int levels) {
    std::string text = "categories: N\n\ntree: ";
    for (int i = 0; i < levels; ++i)
        text += "[N ";
    text += "a";
    text.append(static_cast<std::size_t>(levels), ']');
    return text + "\n";
}

void BM_ChainOfFiftyThousandLevelsFromText(benchmark::State& state) {
    RecordingPlatform platform;
    ScopedPlatform scope(platform);
    const std::string text = chainText(50000);
    for (auto _ : state) {
        std::unique_ptr<CTree> tree;
        RTextError error;
        check(GrammarTextReader(RTextTarget::Document, ".").read(text, tree, error));
    }
}
BENCHMARK(BM_ChainOfFiftyThousandLevelsFromText)->Unit(benchmark::kMillisecond);

// A script that deepens a chain by 100,000 levels, one daughter below the last.
void BM_ScriptDeepensAChainByAHundredThousand(benchmark::State& state) {
    RecordingPlatform platform;
    ScopedPlatform scope(platform);
    const std::string script =
        "define variable n\n"
        "define function deepen\n define variable i, j, x\n for every node x\n let n = x\n end "
        "for\n"
        " let i = 0\n"
        " while i < 100\n let i = i + 1\n let j = 0\n"
        "  while j < 1000\n let j = j + 1\n let n = create-daughter-to-left(n)\n end while\n"
        " end while\nend define\n";
    for (auto _ : state) {
        state.PauseTiming();
        CTree tree;
        check(tree.createTree(false) == kNoErr);
        tree.script()->setTraceOutput(nullptr);
        tree.script()->middleInterface().setTraceOutput(nullptr);
        check(tree.undoStructure().startTaskList(kLabelNeverUndoable) == kNoErr);
        check(tree.setMainString(kHeaderRecord, CRString(script, kBenchCreatorTag)) == kNoErr);
        check(tree.script()->parseScript(true) == kNoErr);
        int32_t root = 0;
        check(tree.newRoot(root) == kNoErr);
        check(tree.setWhereIsTree(root, kTreeOnWorkArea) == kNoErr);
        check(tree.undoStructure().finishTaskList() == kNoErr);
        check(tree.undoStructure().zeroOut() == kNoErr);
        state.ResumeTiming();
        check(tree.undoStructure().startTaskList(kLabelMenu) == kNoErr);
        check(tree.script()->executeAuthorDefinedMenuCommand(
                  CRString("deepen", kBenchCreatorTag)) == kNoErr);
        check(tree.undoStructure().finishTaskList() == kNoErr);
        check(!tree.script()->lastCallWasStopped());
    }
}
BENCHMARK(BM_ScriptDeepensAChainByAHundredThousand)->Unit(benchmark::kMillisecond);

} // namespace
