#pragma once

#include "base/RecordingPlatform.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// A temporary folder removed with everything in it when the test ends.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // The UTF-8 path of a file in the folder, for a UTF-8 name.
    std::string file(const std::string& name) const {
        return (root / std::filesystem::u8path(name)).u8string();
    }
    const std::filesystem::path& path() const { return root; }
    // The UTF-8 names of what the folder holds, in no particular order.
    std::vector<std::string> names() const;

private:
    std::filesystem::path root;
};

// Whole files by UTF-8 path.
std::vector<unsigned char> readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::vector<unsigned char>& bytes);
std::string readTextFile(const std::string& path);
void writeTextFile(const std::string& path, const std::string& text);
// Big-endian bytes of a 32-bit value, for building expected file images.
std::vector<unsigned char> be32(int32_t value);
void appendBE32(std::vector<unsigned char>& bytes, int32_t value);

// Installs a fresh RecordingPlatform for one test so bug reports can be asserted on.
class RecordingPlatformScope {
public:
    RecordingPlatformScope() : scope(recorder) {}
    RecordingPlatform recorder;

private:
    ScopedPlatform scope;
};
