#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

// A file of the shared test data (tests/data), found through RAMEX_TEST_DATA.
std::string testDataFile(const std::string& name);

std::string readTextFile(const std::string& path);
void writeTextFile(const std::string& path, const std::string& text);

// What a command printed and gave back.
struct CommandResult {
    int status = 0;
    std::string out;
    std::string err;
};

// Runs a command that prints to `out`, capturing standard error too.
CommandResult
runPrinting(const std::function<int(const std::vector<std::string>&, std::ostream&)>& command,
            const std::vector<std::string>& arguments);
// Runs a command that prints nothing on success.
CommandResult runSilent(const std::function<int(const std::vector<std::string>&)>& command,
                        const std::vector<std::string>& arguments);
