#include "CliTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

std::string testDataFile(const std::string& name) {
    const char* folder = std::getenv("RAMEX_TEST_DATA");
    return std::string(folder == nullptr ? RAMEX_TEST_DATA_DIR : folder) + "/" + name;
}

std::string readTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeTextFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

CommandResult
runPrinting(const std::function<int(const std::vector<std::string>&, std::ostream&)>& command,
            const std::vector<std::string>& arguments) {
    std::ostringstream out;
    testing::internal::CaptureStderr();
    const int status = command(arguments, out);
    return {status, out.str(), testing::internal::GetCapturedStderr()};
}

CommandResult runSilent(const std::function<int(const std::vector<std::string>&)>& command,
                        const std::vector<std::string>& arguments) {
    testing::internal::CaptureStderr();
    const int status = command(arguments);
    return {status, "", testing::internal::GetCapturedStderr()};
}
