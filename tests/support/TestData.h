#pragma once

#include <cstdlib>
#include <string>

// Files of the shared test data (tests/data) and of the samples. The folders are compiled into
// each test program; RAMEX_TEST_DATA and RAMEX_SAMPLES in the environment win.
inline std::string testDataFile(const std::string& name) {
    const char* folder = std::getenv("RAMEX_TEST_DATA");
    return std::string(folder == nullptr ? RAMEX_TEST_DATA_DIR : folder) + "/" + name;
}

inline std::string samplePath(const std::string& name) {
    const char* folder = std::getenv("RAMEX_SAMPLES");
    return std::string(folder == nullptr ? RAMEX_SAMPLES_DIR : folder) + "/" + name;
}
