#include "base/ErrorCodes.h"
#include "base/RecordingPlatform.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "script/CScript.h"
#include "storage/CRString.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace {

constexpr int32_t kBenchCreatorTag = 156;
constexpr int kLinesPerFunction = 25;

void check(RErr err) {
    if (err != kNoErr)
        std::abort();
}

// A script of about `lines` lines in the style authors write: functions with parameters,
// local variables, conditions, loops, feature reads and calls of natives and of each other.
std::string makeScript(int lines) {
    std::string text = "debug\ndefine variables count, last-node\n"
                       "define menu \"Checks\"\n\"check-0\" \"Check 0\"\ndivider\nend define\n";
    for (int f = 0; lines > 0; ++f, lines -= kLinesPerFunction) {
        const std::string name = "check-" + std::to_string(f);
        text += "define function " + name +
                "(start, depth)\n"
                "  define variable current, result, label-text\n"
                "  let result = 0\n"
                "  let label-text = \"\"\n"
                "  if is-root-node(start) and not has-daughters(start) then\n"
                "    set-offending-node(start)\n"
                "    return 0\n"
                "  else\n"
                "    let result = how-many-daughters(start) * 2 + depth % 3\n"
                "  end if\n"
                "  for every node current dominated by start\n"
                "    if case(current) eq \"nom\" & \"\" then\n"
                "      let count = count + 1\n"
                "      let case(current) = label(current) & \"-\" & num(current)\n"
                "    end if\n"
                "  end for\n"
                "  while result > 0 and depth <> -1\n"
                "    let result = result - 1\n"
                "  end while\n"
                "  let last-node = search upward(start, category(candidate) eq \"S\")\n";
        text += f > 0 ? "  let result = check-" + std::to_string(f - 1) + "(start, depth + 1)\n"
                      : "  let result = 1\n";
        text += "  set-color(start, red)\n"
                "  add-style(start, bold)\n"
                "  return result >= 1 or result <= -1\n"
                "end define\n";
    }
    return text;
}

struct Grammar {
    explicit Grammar(int lines) {
        check(tree.createTree(true));
        tree.script()->setTraceOutput(nullptr);
        check(tree.undoStructure().startTaskList(kLabelNeverUndoable));
        for (const char* feature : {"case", "num"}) {
            int32_t record = 0;
            check(tree.newName(kRecordFeature, record));
            check(tree.setMainString(record, CRString(feature, kBenchCreatorTag)));
        }
        check(tree.setMainString(kHeaderRecord, CRString(makeScript(lines), kBenchCreatorTag)));
        check(tree.undoStructure().finishTaskList());
        check(tree.undoStructure().zeroOut());
    }

    RecordingPlatform platform;
    ScopedPlatform scope{platform};
    CTree tree;
};

// Compiling a 5,000-line script (target: under 50 ms).
void BM_Compile5000Lines(benchmark::State& state) {
    Grammar grammar(5000);
    for (auto _ : state)
        check(grammar.tree.script()->parseScript(false));
    state.counters["lines"] = 5000;
}
BENCHMARK(BM_Compile5000Lines)->Unit(benchmark::kMillisecond);

} // namespace
