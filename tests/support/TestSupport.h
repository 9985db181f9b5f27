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
    std::string file(const std::string& name) const { return (root / name).string(); }
    const std::filesystem::path& path() const { return root; }

private:
    std::filesystem::path root;
};

std::vector<unsigned char> readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::vector<unsigned char>& bytes);
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
