#include <cstring>
#include <iostream>
#include <string>

namespace {

const char* const kUsage =
    "usage: ramex-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Ramex's command-line companion: works on grammars (.rgr) and documents (.rdc)\n"
    "without a display.\n"
    "\n"
    "options:\n"
    "  --help       show this help and exit\n"
    "  --version    show the version and exit\n";

int usageError(const std::string& what) {
    std::cerr << "ramex-cli: " << what << "\n" << "Try 'ramex-cli --help'.\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return usageError("no command given");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h") {
        std::cout << kUsage;
        return 0;
    }
    if (command == "--version") {
        std::cout << "ramex-cli " << RAMEX_VERSION << "\n";
        return 0;
    }
    return usageError("unknown command '" + command + "'");
}
