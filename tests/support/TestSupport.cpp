#include "support/TestSupport.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

TempDir::TempDir() {
    static std::atomic<int> serial{0};
    std::random_device seed;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate =
            base / ("ramex-test-" + std::to_string(seed()) + "-" + std::to_string(serial++));
        if (std::filesystem::create_directory(candidate)) {
            root = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

std::vector<std::string> TempDir::names() const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(root))
        found.push_back(entry.path().filename().u8string());
    return found;
}

std::vector<unsigned char> readFileBytes(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFileBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::string readTextFile(const std::string& path) {
    const std::vector<unsigned char> bytes = readFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void writeTextFile(const std::string& path, const std::string& text) {
    writeFileBytes(path, std::vector<unsigned char>(text.begin(), text.end()));
}

void appendBE32(std::vector<unsigned char>& bytes, int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    bytes.push_back(static_cast<unsigned char>(u >> 24));
    bytes.push_back(static_cast<unsigned char>(u >> 16));
    bytes.push_back(static_cast<unsigned char>(u >> 8));
    bytes.push_back(static_cast<unsigned char>(u));
}

std::vector<unsigned char> be32(int32_t value) {
    std::vector<unsigned char> bytes;
    appendBE32(bytes, value);
    return bytes;
}
