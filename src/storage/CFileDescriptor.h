#pragma once

#include "base/ErrorCodes.h"
#include "storage/CRMemory.h"
#include "storage/CRString.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A thin wrapper of one operating-system file. Every failure of the operating system gives
// 1007 "file system error", reported under the operation's name. The descriptor never
// closes a file by itself: the container closes the files it opens.
//
// Reads are served from a read-ahead buffer so that callers may read a few bytes at a time
// (strings are read one byte at a time) without a system call per byte.
class CFileDescriptor {
public:
    explicit CFileDescriptor(const std::string& path);
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;
    ~CFileDescriptor();

    RErr clone(std::unique_ptr<CFileDescriptor>& out) const;
    // Creates a new, empty file (fails when one exists) and closes it.
    RErr create();
    RErr exists(bool& out) const;
    // Opens the existing file for reading and writing, not shared with other programs.
    RErr open();
    RErr close();
    bool isOpenNow() const;

    RErr read(void* buffer, int32_t count);
    RErr write(const void* buffer, int32_t count);
    RErr setPosition(int32_t offset);
    RErr getPosition(int32_t& out) const;
    // Sets the length; the position becomes the smaller of the old position and the length.
    RErr setEOF(int32_t length);
    RErr getEOF(int32_t& out) const;
    // Waits until everything written so far is on the disk, not only in the system's cache.
    RErr flushToDisk();
    // Transfer lastIndex + 1 integers at the current position, big-endian on disk.
    RErr readASeriesOfInt32s(int32_t* buffer, int32_t lastIndex);
    RErr writeASeriesOfInt32s(const int32_t* buffer, int32_t lastIndex);

    const CRString& getPathname() const { return privatePathname; }
    const std::string& path() const { return pathUtf8; }

    // Test hook: the Nth write from now (1 = the next) on any descriptor fails with 1007,
    // so tests can prove that a failed save leaves the old file intact. 0 turns it off.
    static void failNthWriteFromNow(int32_t n);

private:
    RErr flushReadCache(); // drops read-ahead data, putting the OS position back in step

    RObjectCounter<kKindCFileDescriptor> counter;
    bool isOpen = false;
    CRString privatePathname;
    std::string pathUtf8;
    int hFile = -1;
    int64_t position = 0; // logical position
    std::vector<unsigned char> cache;
    int64_t cacheStart = 0; // file offset of cache[0]
};
