#include "storage/CFileDescriptor.h"

#include "base/ErrorReporter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <new>
#include <system_error>

#ifdef _WIN32
#include "storage/PlatformFiles.h"
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr int64_t kMaxFileOffset = std::numeric_limits<int32_t>::max();
constexpr std::size_t kReadAheadSize = 65536;
// Reads at least this long bypass the read-ahead buffer.
constexpr int64_t kDirectReadSize = static_cast<int64_t>(kReadAheadSize);

// failNthWriteFromNow: 0 off, otherwise the number of writes until the one that fails.
int32_t writesUntilFailure = 0;

// ---- The operating-system calls, one small set per platform -------------------------------

#ifdef _WIN32

// The handle is kept under a C runtime number, so that both systems keep an int; every
// transfer still goes through the Windows calls on the handle itself.
HANDLE osHandle(int fd) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

int adoptHandle(HANDLE handle) {
    if (handle == INVALID_HANDLE_VALUE)
        return -1;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
    if (fd < 0)
        CloseHandle(handle);
    return fd;
}

int osOpenExisting(const std::string& path) {
    const std::wstring wide = windowsPath(path);
    if (wide.empty())
        return -1;
    // Others may still read the file, as they may past the advisory lock on Linux; nobody
    // may write, rename or delete it while it is open, and a second opening for writing, by
    // this program or another, is refused as the lock refuses it.
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle); // a device or a pipe is not one of our files
        return -1;
    }
    return adoptHandle(handle);
}

int osCreateNew(const std::string& path) {
    const std::wstring wide = windowsPath(path);
    if (wide.empty())
        return -1;
    return adoptHandle(CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool osClose(int fd) {
    return _close(fd) == 0;
}

OVERLAPPED at(int64_t offset) {
    OVERLAPPED place{};
    place.Offset = static_cast<DWORD>(static_cast<uint64_t>(offset) & 0xFFFFFFFFu);
    place.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
    return place;
}

// Bytes read (fewer only at the end of the file), or -1.
int64_t osReadAt(int fd, int64_t offset, unsigned char* buffer, int64_t count) {
    int64_t done = 0;
    while (done < count) {
        const auto chunk = static_cast<DWORD>(std::min<int64_t>(count - done, 1 << 30));
        OVERLAPPED place = at(offset + done);
        DWORD got = 0;
        if (!ReadFile(osHandle(fd), buffer + done, chunk, &got, &place)) {
            if (GetLastError() == ERROR_HANDLE_EOF)
                break;
            return -1;
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

bool osWriteAt(int fd, int64_t offset, const unsigned char* buffer, int64_t count) {
    int64_t done = 0;
    while (done < count) {
        const auto chunk = static_cast<DWORD>(std::min<int64_t>(count - done, 1 << 30));
        OVERLAPPED place = at(offset + done);
        DWORD put = 0;
        if (!WriteFile(osHandle(fd), buffer + done, chunk, &put, &place) || put == 0)
            return false;
        done += put;
    }
    return true;
}

bool osSetLength(int fd, int64_t length) {
    LARGE_INTEGER end;
    end.QuadPart = length;
    return SetFilePointerEx(osHandle(fd), end, nullptr, FILE_BEGIN) && SetEndOfFile(osHandle(fd));
}

int64_t osLength(int fd) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(osHandle(fd), &size))
        return -1;
    return static_cast<int64_t>(size.QuadPart);
}

bool osFlushToDisk(int fd) {
    return FlushFileBuffers(osHandle(fd)) != 0;
}

#else

int osOpenExisting(const std::string& path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    // Not shared: a second opening, by this or another program, finds the lock taken.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::flock(fd, LOCK_UN);
        ::close(fd);
        return -1;
    }
    return fd;
}

int osCreateNew(const std::string& path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool osClose(int fd) {
    ::flock(fd, LOCK_UN);
    return ::close(fd) == 0;
}

int64_t osReadAt(int fd, int64_t offset, unsigned char* buffer, int64_t count) {
    int64_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(fd, buffer + done, static_cast<std::size_t>(count - done),
                                    static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

bool osWriteAt(int fd, int64_t offset, const unsigned char* buffer, int64_t count) {
    int64_t done = 0;
    while (done < count) {
        const ssize_t put = ::pwrite(fd, buffer + done, static_cast<std::size_t>(count - done),
                                     static_cast<off_t>(offset + done));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (put == 0)
            return false;
        done += put;
    }
    return true;
}

bool osFlushToDisk(int fd) {
    int result;
    do {
        result = ::fsync(fd);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

bool osSetLength(int fd, int64_t length) {
    int result;
    do {
        result = ::ftruncate(fd, static_cast<off_t>(length));
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

int64_t osLength(int fd) {
    struct stat info;
    if (::fstat(fd, &info) != 0)
        return -1;
    return static_cast<int64_t>(info.st_size);
}

#endif

void toBigEndian(const int32_t* values, unsigned char* bytes, int64_t count) {
    for (int64_t i = 0; i < count; ++i) {
        const auto u = static_cast<uint32_t>(values[i]);
        bytes[4 * i] = static_cast<unsigned char>(u >> 24);
        bytes[4 * i + 1] = static_cast<unsigned char>(u >> 16);
        bytes[4 * i + 2] = static_cast<unsigned char>(u >> 8);
        bytes[4 * i + 3] = static_cast<unsigned char>(u);
    }
}

// In place: the buffer holds big-endian bytes on entry and native integers on return.
void fromBigEndianInPlace(int32_t* values, int64_t count) {
    auto* bytes = reinterpret_cast<unsigned char*>(values);
    for (int64_t i = 0; i < count; ++i) {
        const uint32_t u = (static_cast<uint32_t>(bytes[4 * i]) << 24) |
                           (static_cast<uint32_t>(bytes[4 * i + 1]) << 16) |
                           (static_cast<uint32_t>(bytes[4 * i + 2]) << 8) |
                           static_cast<uint32_t>(bytes[4 * i + 3]);
        values[i] = static_cast<int32_t>(u);
    }
}

} // namespace

CFileDescriptor::CFileDescriptor(const std::string& path)
    : privatePathname(path, 140), pathUtf8(path) {}

CFileDescriptor::~CFileDescriptor() {
    // The container closes the files it opens. A handle still open here can no longer be
    // used by anyone, so it is given back quietly rather than leaked with its lock.
    if (hFile >= 0)
        osClose(hFile);
    (void)isOpen;
}

RErr CFileDescriptor::clone(std::unique_ptr<CFileDescriptor>& out) const {
    try {
        out = std::make_unique<CFileDescriptor>(pathUtf8);
    } catch (const std::bad_alloc&) {
        return reportError("CFileDescriptor::clone", kErrMallocFailed);
    }
    return kNoErr;
}

RErr CFileDescriptor::create() {
    RErr err = kNoErr;
    const int fd = pathUtf8.empty() ? -1 : osCreateNew(pathUtf8);
    if (fd < 0)
        err = kErrFileSystem;
    if (!err && !osClose(fd))
        err = kErrFileSystem;
    if (err) {
        bug("CFileDescriptor::create", err);
        bug("A file system error occurred in CFileDescriptor::create after CreateFile but before "
            "CloseHandle.",
            kNoErr);
    }
    return err;
}

RErr CFileDescriptor::exists(bool& out) const {
    out = false;
    if (pathUtf8.empty())
        return kNoErr;
    std::error_code error;
    const auto status = std::filesystem::status(std::filesystem::u8path(pathUtf8), error);
    if (error && status.type() != std::filesystem::file_type::not_found)
        return reportError("CFileDescriptor::exists", kErrFileSystem);
    out = std::filesystem::exists(status);
    return kNoErr;
}

RErr CFileDescriptor::open() {
    if (hFile >= 0 || pathUtf8.empty())
        return reportError("CFileDescriptor::open", kErrFileSystem);
    const int fd = osOpenExisting(pathUtf8);
    if (fd < 0)
        return reportError("CFileDescriptor::open", kErrFileSystem);
    hFile = fd;
    position = 0;
    cache.clear();
    cacheStart = 0;
    return kNoErr;
}

RErr CFileDescriptor::close() {
    if (hFile < 0)
        return reportError("CFileDescriptor::close", kErrFileSystem);
    const bool closed = osClose(hFile);
    hFile = -1;
    position = 0;
    flushReadCache();
    if (!closed)
        return reportError("CFileDescriptor::close", kErrFileSystem);
    return kNoErr;
}

bool CFileDescriptor::isOpenNow() const {
    return hFile >= 0;
}

RErr CFileDescriptor::flushReadCache() {
    // Every transfer names its own offset, so only the read-ahead data need dropping.
    cache.clear();
    cacheStart = 0;
    return kNoErr;
}

namespace {

// Everything but the common case of CFileDescriptor::read, kept out of line so that the
// common case stays a handful of instructions.
#if defined(__GNUC__)
__attribute__((noinline))
#endif
RErr readSlowly(int fd, int64_t& position, std::vector<unsigned char>& cache, int64_t& cacheStart,
                void* buffer, int32_t count) {
    static const char* const name = "CFileDescriptor::read";
    if (count < 0 || (count > 0 && !buffer))
        return reportError(name, kErrInvalidParameter);
    if (fd < 0 || position + count > kMaxFileOffset)
        return reportError(name, kErrFileSystem);

    auto* out = static_cast<unsigned char*>(buffer);
    const int64_t start = position;
    int64_t remaining = count;
    while (remaining > 0) {
        const int64_t cacheEnd = cacheStart + static_cast<int64_t>(cache.size());
        if (position >= cacheStart && position < cacheEnd) {
            const int64_t n = std::min(remaining, cacheEnd - position);
            std::memcpy(out, cache.data() + (position - cacheStart), static_cast<std::size_t>(n));
            out += n;
            position += n;
            remaining -= n;
            continue;
        }
        if (remaining >= kDirectReadSize) {
            const int64_t got = osReadAt(fd, position, out, remaining);
            if (got != remaining) {
                position = start;
                return reportError(name, kErrFileSystem);
            }
            position += remaining;
            break;
        }
        // Blocks aligned to the buffer's size: reading backwards then costs one transfer per
        // block rather than one per byte (a system call is dear under Windows and Wine).
        const int64_t blockStart = position - position % kDirectReadSize;
        int64_t got = -1;
        try {
            cache.resize(kReadAheadSize);
            got = osReadAt(fd, blockStart, cache.data(), static_cast<int64_t>(kReadAheadSize));
        } catch (const std::bad_alloc&) {
            cache.clear();
            cacheStart = 0;
            position = start;
            return reportError(name, kErrMallocFailed);
        }
        if (got <= position - blockStart) {
            cache.clear();
            cacheStart = 0;
            position = start;
            return reportError(name, kErrFileSystem);
        }
        cache.resize(static_cast<std::size_t>(got));
        cacheStart = blockStart;
    }
    return kNoErr;
}

} // namespace

RErr CFileDescriptor::read(void* buffer, int32_t count) {
    // The common case first: a few bytes that the read-ahead buffer already holds.
    if (count > 0 && buffer && position >= cacheStart &&
        position + count <= cacheStart + static_cast<int64_t>(cache.size())) {
        const unsigned char* from = cache.data() + (position - cacheStart);
        if (count == 1)
            *static_cast<unsigned char*>(buffer) = *from;
        else
            std::memcpy(buffer, from, static_cast<std::size_t>(count));
        position += count;
        return kNoErr;
    }
    return readSlowly(hFile, position, cache, cacheStart, buffer, count);
}

void CFileDescriptor::failNthWriteFromNow(int32_t n) {
    writesUntilFailure = n > 0 ? n : 0;
}

RErr CFileDescriptor::write(const void* buffer, int32_t count) {
    static const char* const name = "CFileDescriptor::write";
    if (count < 0 || (count > 0 && !buffer))
        return reportError(name, kErrInvalidParameter);
    if (writesUntilFailure > 0 && --writesUntilFailure == 0)
        return reportError(name, kErrFileSystem);
    if (hFile < 0 || position + count > kMaxFileOffset)
        return reportError(name, kErrFileSystem);
    if (count == 0)
        return kNoErr;

    const auto* in = static_cast<const unsigned char*>(buffer);
    if (!osWriteAt(hFile, position, in, count)) {
        flushReadCache();
        return reportError(name, kErrFileSystem);
    }
    // Keep the read-ahead data coherent: copy the written bytes over the part they cover.
    const int64_t cacheEnd = cacheStart + static_cast<int64_t>(cache.size());
    const int64_t from = std::max(position, cacheStart);
    const int64_t to = std::min(position + count, cacheEnd);
    if (from < to)
        std::memcpy(cache.data() + (from - cacheStart), in + (from - position),
                    static_cast<std::size_t>(to - from));
    position += count;
    return kNoErr;
}

RErr CFileDescriptor::setPosition(int32_t offset) {
    if (offset < 0)
        return reportError("CFileDescriptor::setPosition", kErrInvalidParameter);
    if (hFile < 0)
        return reportError("CFileDescriptor::setPosition", kErrFileSystem);
    position = offset; // the read-ahead data stay; reads check whether they cover it
    return kNoErr;
}

RErr CFileDescriptor::getPosition(int32_t& out) const {
    out = 0;
    if (hFile < 0)
        return reportError("CFileDescriptor::getPosition", kErrFileSystem);
    out = static_cast<int32_t>(position);
    return kNoErr;
}

RErr CFileDescriptor::flushToDisk() {
    if (hFile < 0 || !osFlushToDisk(hFile))
        return reportError("CFileDescriptor::flushToDisk", kErrFileSystem);
    return kNoErr;
}

RErr CFileDescriptor::setEOF(int32_t length) {
    if (length < 0)
        return reportError("CFileDescriptor::setEOF", kErrInvalidParameter);
    if (hFile < 0)
        return reportError("CFileDescriptor::setEOF", kErrFileSystem);
    if (!osSetLength(hFile, length)) {
        flushReadCache();
        return reportError("CFileDescriptor::setEOF", kErrFileSystem);
    }
    if (length <= cacheStart)
        flushReadCache();
    else if (cacheStart + static_cast<int64_t>(cache.size()) > length)
        cache.resize(static_cast<std::size_t>(length - cacheStart));
    position = std::min<int64_t>(position, length);
    return kNoErr;
}

RErr CFileDescriptor::getEOF(int32_t& out) const {
    out = 0;
    if (hFile < 0)
        return reportError("CFileDescriptor::getEOF", kErrFileSystem);
    const int64_t length = osLength(hFile);
    // The format's offsets are 32-bit: a longer file cannot be one of ours.
    if (length < 0 || length > kMaxFileOffset)
        return reportError("CFileDescriptor::getEOF", kErrFileSystem);
    out = static_cast<int32_t>(length);
    return kNoErr;
}

RErr CFileDescriptor::readASeriesOfInt32s(int32_t* buffer, int32_t lastIndex) {
    const int64_t count = static_cast<int64_t>(lastIndex) + 1;
    if (count < 0 || count * 4 > kMaxFileOffset || (count > 0 && !buffer))
        return reportError("CFileDescriptor::readASeriesOfInt32s", kErrInvalidParameter);
    RErr err = read(buffer, static_cast<int32_t>(count * 4));
    if (err)
        return reportError("CFileDescriptor::readASeriesOfInt32s", err);
    fromBigEndianInPlace(buffer, count);
    return kNoErr;
}

RErr CFileDescriptor::writeASeriesOfInt32s(const int32_t* buffer, int32_t lastIndex) {
    const int64_t count = static_cast<int64_t>(lastIndex) + 1;
    if (count < 0 || count * 4 > kMaxFileOffset || (count > 0 && !buffer))
        return reportError("CFileDescriptor::writeASeriesOfInt32s", kErrInvalidParameter);
    std::vector<unsigned char> bytes;
    try {
        bytes.resize(static_cast<std::size_t>(count * 4));
    } catch (const std::bad_alloc&) {
        return reportError("CFileDescriptor::writeASeriesOfInt32s", kErrMallocFailed);
    }
    toBigEndian(buffer, bytes.data(), count);
    RErr err = write(bytes.data(), static_cast<int32_t>(count * 4));
    if (err)
        return reportError("CFileDescriptor::writeASeriesOfInt32s", err);
    return kNoErr;
}
