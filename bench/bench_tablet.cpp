#include "storage/CTablet.h"

#include <benchmark/benchmark.h>

#include <cstdint>

// A tree database grows its tablet one record at a time; 100,000 records on a 60-attribute
// tablet must take well under 100 ms.
static void addRecordsOneAtATime(benchmark::State& state) {
    const auto records = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        CTablet tablet;
        RErr err = tablet.createTablet();
        if (!err)
            err = tablet.setMaxAttributes(60);
        for (int32_t record = 2; !err && record <= records + 1; ++record) {
            err = tablet.setMaxRecords(record);
            if (!err)
                err = tablet.setValue(record, 1, record);
        }
        if (err)
            state.SkipWithError("tablet operation failed");
        benchmark::DoNotOptimize(tablet.cell(records + 1, 1));
    }
}
BENCHMARK(addRecordsOneAtATime)->Arg(100000)->Unit(benchmark::kMillisecond);
