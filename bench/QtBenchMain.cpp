#include <benchmark/benchmark.h>

#include <QApplication>

// The benchmarks of the windows need an application; offscreen unless a display is asked
// for (to watch them, or to measure on a real one).
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
