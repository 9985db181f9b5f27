#include "app/StartOptions.h"

bool parseStartOptions(const std::vector<std::string>& arguments, RStartOptions& options,
                       std::string& error) {
    options = RStartOptions();
    error.clear();
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            options.showHelp = true;
        } else if (argument == "--version") {
            options.showVersion = true;
        } else if (argument == "--self-test") {
            options.selfTest = true;
        } else if (argument == "--grammar") {
            if (i + 1 >= arguments.size()) {
                error = "--grammar needs a grammar file";
                return false;
            }
            options.grammarPath = arguments[++i];
        } else if (!argument.empty() && argument[0] == '-') {
            error = "unknown option " + argument;
            return false;
        } else if (options.documentPath.empty()) {
            options.documentPath = argument;
        } else {
            error = "only one document can be opened at a time";
            return false;
        }
    }
    if (!options.documentPath.empty() && !options.grammarPath.empty()) {
        error = "give either a document or --grammar, not both";
        return false;
    }
    return true;
}

const char* startUsage() {
    return "usage: ramex [FILE.rdc | --grammar FILE.rgr] [--self-test]\n"
           "  FILE.rdc          open a document\n"
           "  --grammar FILE    make FILE the current grammar and start a new document from it\n"
           "  --self-test       start, paint the main window once and exit (0 when all is well)\n"
           "  --version         print the version\n";
}
