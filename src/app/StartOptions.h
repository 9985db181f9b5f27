#pragma once

#include <string>
#include <vector>

// What `ramex` was asked to do on its command line.
struct RStartOptions {
    std::string documentPath; // ramex FILE: opens a document
    std::string grammarPath;  // ramex --grammar FILE.rgr: the current grammar, and a new document
    bool showHelp = false;
    bool showVersion = false;
    bool selfTest = false; // starts, waits for the first paint, checks the mode and exits
};

// false on a usage error, with the reason in `error`.
bool parseStartOptions(const std::vector<std::string>& arguments, RStartOptions& options,
                       std::string& error);

const char* startUsage();
