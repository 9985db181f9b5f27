// `ramex-cli`: installs the recording platform and runs the command named on the command line.

#include "base/RecordingPlatform.h"
#include "cli/CliCommand.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

void printHelp() {
    std::cout << "usage: ramex-cli COMMAND [ARGUMENTS]\n"
                 "\n"
                 "Ramex's command-line companion: works on grammars (.rgr) and documents (.rdc)\n"
                 "without a display.\n"
                 "\n"
                 "commands:\n";
    for (const CliCommand& command : cliCommands())
        std::cout << "  " << command.synopsis << "\n";
    std::cout << "\n"
                 "options:\n"
                 "  --help       show this help and exit\n"
                 "  --version    show the version and exit\n";
}

} // namespace

int main(int argc, char** argv) {
    // Nothing here may wait for a person: internal failures go to standard error.
    RecordingPlatform platform;
    platform.onCall = [](const RecordingPlatform::Call& call) {
        if (call.kind == RecordingPlatform::Kind::BugReport)
            std::cerr << "ramex-cli: bug: " << call.text << "\n";
    };
    ScopedPlatform installed(platform);

    if (argc < 2)
        return usageError("no command given");
    const std::string name = argv[1];
    if (name == "--help" || name == "-h") {
        printHelp();
        return kExitSuccess;
    }
    if (name == "--version") {
        std::cout << "ramex-cli " << RAMEX_VERSION << "\n";
        return kExitSuccess;
    }
    const std::vector<std::string> arguments(argv + 2, argv + argc);
    for (const CliCommand& command : cliCommands())
        if (name == command.name)
            return command.run(arguments);
    return usageError("unknown command '" + name + "'");
}
