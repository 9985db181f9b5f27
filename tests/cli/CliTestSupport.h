#pragma once
// Header only, so that the sample tests share it without a library of their own.

#include "cli/CliCommand.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "support/TestData.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

struct CommandResult {
    int status = -1;
    std::string out;
    std::string err;
};

// `ramex-cli WORDS...` in-process: the command is found by name in the program's own list.
inline CommandResult cli(const std::vector<std::string>& words) {
    for (const CliCommand& command : cliCommands()) {
        if (words.at(0) != command.name)
            continue;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int status = command.run({words.begin() + 1, words.end()});
        std::cout.flush();
        const std::string out = testing::internal::GetCapturedStdout();
        return {status, out, testing::internal::GetCapturedStderr()};
    }
    ADD_FAILURE() << "no command " << words[0];
    return {};
}

// Builds the text into a grammar or document file (by the extension of `output`).
inline std::string built(const TempDir& dir, const std::string& output, const std::string& text) {
    writeTextFile(dir.file(output + ".rgt"), text);
    const CommandResult result = cli({"build", dir.file(output + ".rgt"), "-o", dir.file(output)});
    EXPECT_EQ(result.status, kExitSuccess) << result.err;
    return dir.file(output);
}
