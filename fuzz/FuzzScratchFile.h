// The file a fuzz target hands its input to the loader through: one per process, so targets
// run side by side do not share it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#ifndef _WIN32
#include <unistd.h>
#endif

inline std::string fuzzScratchPath(const std::string& target) {
#ifdef _WIN32
    const std::string id = "0";
#else
    const std::string id = std::to_string(::getpid());
#endif
    return (std::filesystem::temp_directory_path() / ("ramex-fuzz-" + target + "-" + id)).string();
}

inline void writeFuzzInput(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);
}
