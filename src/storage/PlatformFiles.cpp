#include "storage/PlatformFiles.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

bool isAllowedWindowsFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 32 ||
            std::string("<>:\"/\\|?*").find(c) != std::string::npos)
            return false;
    if (name.back() == '.' || name.back() == ' ')
        return false;
    // Device names stay devices whatever extension follows them ("con.rdc" is the console).
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    std::transform(stem.begin(), stem.end(), stem.begin(), [](char c) {
        return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    });
    static const std::array<const char*, 4> devices = {"CON", "PRN", "AUX", "NUL"};
    if (std::find(devices.begin(), devices.end(), stem) != devices.end())
        return false;
    return !(stem.size() == 4 &&
             (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) && stem[3] >= '1' &&
             stem[3] <= '9');
}

#ifdef _WIN32

std::wstring windowsPath(const std::string& path) {
    namespace fs = std::filesystem;
    if (path.empty() || path.size() > 32000)
        return {};
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(),
                                           static_cast<int>(path.size()), nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()),
                        wide.data(), length);
    if (wide.find(L'\0') != std::wstring::npos ||
        !isAllowedWindowsFileName(fs::path(wide).filename().u8string()))
        return {};
    // Paths this long need the prefix, which in turn needs a full path with backslashes.
    if (wide.size() < MAX_PATH - 12 || wide.rfind(L"\\\\?\\", 0) == 0)
        return wide;
    const DWORD fullLength = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (fullLength == 0)
        return {};
    std::wstring full(fullLength, L'\0');
    const DWORD written = GetFullPathNameW(wide.c_str(), fullLength, full.data(), nullptr);
    if (written == 0 || written >= fullLength)
        return {};
    full.resize(written);
    if (full.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

RErr replaceFileAtomically(const std::string& source, const std::string& target) {
    const std::wstring from = windowsPath(source);
    const std::wstring to = windowsPath(target);
    // A rename within one volume: atomic, and on the disk before the call returns. It fails,
    // leaving the target alone, when the target is read-only or open without delete sharing.
    if (from.empty() || to.empty() ||
        !MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return kErrFileSystem;
    return kNoErr;
}

#else

RErr replaceFileAtomically(const std::string& source, const std::string& target) {
    // A read-only target stays, as Windows keeps it; renaming over it would succeed here.
    struct stat info;
    if (source.empty() || target.empty() ||
        (::stat(target.c_str(), &info) == 0 && (info.st_mode & S_IWUSR) == 0) ||
        std::rename(source.c_str(), target.c_str()) != 0)
        return kErrFileSystem;
    // The new name is on the disk only once its folder is; a failure here changes nothing.
    std::string folder = std::filesystem::path(target).parent_path().string();
    if (folder.empty())
        folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        while (::fsync(fd) != 0 && errno == EINTR) {
        }
        ::close(fd);
    }
    return kNoErr;
}

#endif
