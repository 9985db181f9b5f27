#pragma once

#include "storage/CFileDescriptor.h"
#include "storage/CRMemory.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

using Bytes = std::vector<unsigned char>;
using Texts = std::vector<std::string>;

// Big-endian words, as every fork stores its integers.
inline Bytes words(const std::vector<int32_t>& values) {
    Bytes bytes;
    for (int32_t v : values)
        appendBE32(bytes, v);
    return bytes;
}

// Bytes as hex with a space after every fourth, so a misplaced word reads at a glance.
inline std::string hex(const Bytes& bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%s%02X", i && i % 4 == 0 ? " " : "", bytes[i]);
        out += digits;
    }
    return out;
}

// Bytes that differ from place to place, so a misplaced copy shows.
inline Bytes pattern(std::size_t size, unsigned seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>((i * 131 + seed * 17 + i / 251) & 0xFF);
    return bytes;
}

inline Bytes slice(const Bytes& bytes, std::size_t from, std::size_t count) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                 bytes.begin() + static_cast<std::ptrdiff_t>(from + count));
}

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A folder and a recorder of bug reports per test; no write stays set to fail.
class StorageTest : public ::testing::Test {
protected:
    void TearDown() override { CFileDescriptor::failNthWriteFromNow(0); }
    Texts reports() const { return platform.recorder.bugReports(); }
    // Every report since the last clear, in order, as one text.
    std::string log() const {
        std::string out;
        for (const std::string& r : reports())
            out += (out.empty() ? "" : "; ") + r;
        return out;
    }
    // The log, cleared for the next step.
    std::string takeLog() {
        const std::string out = log();
        platform.recorder.clear();
        return out;
    }
    TempDir dir;
    RecordingPlatformScope platform;
};

// Numbers, or the codes of calls (evaluated in order), as one text: "0 -102 1008".
inline std::string join(std::initializer_list<int64_t> got) {
    std::string out;
    for (int64_t n : got)
        out += (out.empty() ? "" : " ") + std::to_string(n);
    return out;
}

// Every call of the list (evaluated in order) gave code; names the first that did not.
inline ::testing::AssertionResult all(RErr code, std::initializer_list<RErr> got) {
    std::size_t call = 0;
    for (RErr err : got) {
        if (err != code)
            return ::testing::AssertionFailure() << "call " << call << " gave " << err;
        ++call;
    }
    return ::testing::AssertionSuccess();
}

// What lives under each tag now beyond what lived when it was made: "1 0 2". The counters are
// shared by every test, so a test looks only at the change it makes.
struct LiveSince {
    explicit LiveSince(std::vector<int32_t> list) : tags(std::move(list)) {
        for (int32_t tag : tags)
            at.push_back(CRMemory::shared().live(tag));
    }
    std::string added() const {
        std::string out;
        for (std::size_t i = 0; i < tags.size(); ++i)
            out += (i ? " " : "") + std::to_string(CRMemory::shared().live(tags[i]) - at[i]);
        return out;
    }
    std::vector<int32_t> tags;
    std::vector<int64_t> at;
};

// Fails the 1st, 2nd, ... write of act until act succeeds: prepare runs before each try, check
// after each failure with its number and code. Gives the number of the write that was not
// failed, the first beyond act's writes.
inline int failEachWriteInTurn(const std::function<void()>& prepare,
                               const std::function<RErr()>& act,
                               const std::function<void(int, RErr)>& check) {
    for (int n = 1; n <= 50; ++n) {
        SCOPED_TRACE("failing write " + std::to_string(n));
        prepare();
        CFileDescriptor::failNthWriteFromNow(n);
        const RErr err = act();
        CFileDescriptor::failNthWriteFromNow(0);
        if (!err)
            return n;
        check(n, err);
    }
    ADD_FAILURE() << "never succeeded";
    return 0;
}
