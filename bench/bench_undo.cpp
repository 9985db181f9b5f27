#include "base/ErrorCodes.h"
#include "base/Platform.h"
#include "base/RecordingPlatform.h"
#include "storage/CTablet.h"
#include "undo/CDatabaseTask.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

constexpr int32_t kSide = 1000; // one step of kSide * kSide data tasks

void check(RErr err) {
    if (err != kNoErr)
        std::abort();
}

// One step of a million data tasks, as deleting a very large tree makes: each cell of a
// 1000 x 1000 tablet set to a new value.
struct MillionTaskStep {
    MillionTaskStep() {
        check(tablet.createTablet());
        check(tablet.setMaxRecords(kSide));
        check(tablet.setMaxAttributes(kSide));
        check(undo.startTaskList(kLabelDeleteNode));
        for (int32_t attribute = 1; attribute <= kSide; ++attribute)
            for (int32_t record = 1; record <= kSide; ++record)
                check(CDatabaseTask::construct(undo, tablet, record, attribute, record));
        check(undo.finishTaskList());
    }

    RecordingPlatform platform;
    ScopedPlatform scope{platform};
    CTablet tablet;
    CUndoStructure undo;
};

MillionTaskStep& step() {
    static MillionTaskStep shared;
    return shared;
}

// Each iteration times one undo of the whole step; the redo that restores it is not timed.
void BM_UndoMillionTaskStep(benchmark::State& state) {
    MillionTaskStep& s = step();
    for (auto _ : state) {
        check(s.undo.undo());
        benchmark::DoNotOptimize(s.tablet.cell(kSide, kSide));
        state.PauseTiming();
        check(s.undo.redo());
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_UndoMillionTaskStep)->Unit(benchmark::kMillisecond);

void BM_RedoMillionTaskStep(benchmark::State& state) {
    MillionTaskStep& s = step();
    for (auto _ : state) {
        state.PauseTiming();
        check(s.undo.undo());
        state.ResumeTiming();
        check(s.undo.redo());
        benchmark::DoNotOptimize(s.tablet.cell(kSide, kSide));
    }
    state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_RedoMillionTaskStep)->Unit(benchmark::kMillisecond);

// Recording the step in the first place: a million tasks made, done and listed, then the
// history destroyed.
void BM_RecordAndDiscardMillionTaskStep(benchmark::State& state) {
    for (auto _ : state) {
        MillionTaskStep fresh;
        benchmark::DoNotOptimize(fresh.undo.stepCount());
    }
    state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_RecordAndDiscardMillionTaskStep)->Unit(benchmark::kMillisecond);

} // namespace
