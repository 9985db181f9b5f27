#include "base/RecordingPlatform.h"
#include "cli/CliCommand.h"

#include <algorithm>
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
                 "  --version    show the version and exit\n"
                 "  --verbose    also print the internal reports behind a failure\n";
}

} // namespace

int main(int argc, char** argv) {
    // --verbose may stand anywhere; the commands never see it.
    std::vector<std::string> words(argv + 1, argv + argc);
    const auto verboseWord = std::find(words.begin(), words.end(), "--verbose");
    const bool verbose = verboseWord != words.end();
    if (verbose)
        words.erase(verboseWord);

    // Nothing here may wait for a person. The chain of internal reports behind a failure goes
    // to standard error only when asked for: by default a failure is its one message line.
    RecordingPlatform platform;
    platform.onCall = [verbose](const RecordingPlatform::Call& call) {
        if (verbose && call.kind == RecordingPlatform::Kind::BugReport)
            std::cerr << "ramex-cli: bug: " << call.text << "\n";
    };
    ScopedPlatform installed(platform);

    if (words.empty())
        return usageError("no command given");
    const std::string name = words[0];
    if (name == "--help" || name == "-h") {
        printHelp();
        return kExitSuccess;
    }
    if (name == "--version") {
        std::cout << "ramex-cli " << RAMEX_VERSION << "\n";
        return kExitSuccess;
    }
    const std::vector<std::string> arguments(words.begin() + 1, words.end());
    for (const CliCommand& command : cliCommands())
        if (name == command.name)
            return command.run(arguments);
    return usageError("unknown command '" + name + "'");
}
