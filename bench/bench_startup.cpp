#include "ui/CRamexApp.h"
#include "base/RecordingPlatform.h"
#include "ui/CRamexWindow.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdlib>

// Start-up to the first painted main window, on the offscreen platform: the application
// object, its seven windows and the preferences, until the first paint has finished the
// change to mode 2.

namespace {

void startUpToFirstPaint(benchmark::State& state) {
    RecordingPlatform platform;
    ScopedPlatform scope(platform);
    QTemporaryDir settings;
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    for (auto _ : state) {
        CRamexApp application;
        if (!application.InitInstance(true))
            std::abort();
        application.mainWindow().repaint();
        while (application.getMode() == kModeClosingDocument)
            QApplication::processEvents();
    }
}
BENCHMARK(startUpToFirstPaint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QElapsedTimer clock;
    clock.start();
    QApplication application(argc, argv);
    // The first start of a process also loads the platform plugin and the fonts.
    {
        RecordingPlatform platform;
        ScopedPlatform scope(platform);
        CRamexApp first;
        if (!first.InitInstance(true))
            return 1;
        first.mainWindow().repaint();
        while (first.getMode() == kModeClosingDocument)
            QApplication::processEvents();
    }
    std::printf("first start in a fresh process, to the first paint: %lld ms\n",
                static_cast<long long>(clock.elapsed()));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
