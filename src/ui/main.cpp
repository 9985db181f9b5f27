// `ramex`: wires the Qt application, the platform and the application object together.
#include "ui/CRamexApp.h"
#include "ui/QtPlatform.h"
#include "base/RecordingPlatform.h"
#include "app/StartOptions.h"

#include <QApplication>
#include <QElapsedTimer>

#include <iostream>

namespace {

constexpr int kExitUsage = 2;
constexpr qint64 kSelfTestLimitMs = 10000;

// Waits for the first paints to finish the mode changes; nothing may ask the person anything.
int runSelfTest(CRamexApp& application, const RecordingPlatform& platform) {
    QElapsedTimer clock;
    clock.start();
    while ((application.getMode() == kModeClosingDocument ||
            application.getMode() == kModeOpeningDocument) &&
           clock.elapsed() < kSelfTestLimitMs)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    const int32_t mode = application.getMode();
    const bool passed =
        (mode == kModeNoDocument || mode == kModeDocument) && platform.bugReports().empty();
    std::cout << "ramex: self-test " << (passed ? "passed" : "failed") << " (mode " << mode << ", "
              << clock.elapsed() << " ms)\n";
    return passed ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QApplication qtApplication(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Ramex"));
    QApplication::setApplicationName(QStringLiteral("Ramex"));
    QApplication::setApplicationVersion(QStringLiteral(RAMEX_VERSION));

    RStartOptions options;
    std::string error;
    if (!parseStartOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::cerr << "ramex: " << error << "\n" << startUsage();
        return kExitUsage;
    }
    if (options.showHelp) {
        std::cout << startUsage();
        return 0;
    }
    if (options.showVersion) {
        std::cout << "ramex " << RAMEX_VERSION << "\n";
        return 0;
    }

    QtPlatform qtPlatform;
    RecordingPlatform selfTestPlatform;
    selfTestPlatform.onCall = [](const RecordingPlatform::Call& call) {
        std::cerr << "ramex: " << call.title << ": " << call.text << "\n";
    };
    if (options.selfTest)
        installPlatform(&selfTestPlatform);
    else
        installPlatform(&qtPlatform);

    int status = 1;
    {
        CRamexApp application;
        if (!application.InitInstance())
            return 1;
        if (!options.grammarPath.empty())
            application.startWithGrammar(options.grammarPath);
        else if (!options.documentPath.empty())
            application.openDocumentFile(options.documentPath);
        status =
            options.selfTest ? runSelfTest(application, selfTestPlatform) : QApplication::exec();
    }
    installPlatform(nullptr);
    return status;
}
