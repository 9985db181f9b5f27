// `ramex-cli`: installs the recording platform and runs the command named on the command line.

#include "base/RecordingPlatform.h"
#include "cli/CliCommand.h"

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h> // needs windows.h first
#endif

namespace {

// The arguments in UTF-8, as every path inside the program is. Windows hands `main` its
// arguments in the local code page, which cannot hold every file name.
std::vector<std::string> utf8Arguments(int argc, char** argv) {
#ifdef _WIN32
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide) {
        std::vector<std::string> arguments;
        for (int i = 0; i < count; ++i) {
            const int length =
                WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
            std::string argument(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
            WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, argument.data(), length, nullptr, nullptr);
            argument.resize(argument.size() - 1);
            arguments.push_back(argument);
        }
        LocalFree(wide);
        return arguments;
    }
#endif
    return std::vector<std::string>(argv, argv + argc);
}

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
    const std::vector<std::string> all = utf8Arguments(argc, argv);
    std::vector<std::string> words(all.begin() + std::min<std::size_t>(1, all.size()), all.end());
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

#ifdef _WIN32
    // The output is the same bytes as on Linux: no line end becomes CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
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
