#include "storage/CTablet.h"

#include "app/ErrorReporter.h"
#include "storage/CRFile.h"

#include <limits>
#include <new>

namespace {

// Returns code after reporting it under name, so a failing step reads as one line.
RErr fail(const char* name, RErr code) {
    bug(name, code);
    return code;
}

void countColumnsTaken(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        CRMemory::shared().countAllocation(kTagTabletColumn);
}

void countColumnsFreed(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        CRMemory::shared().countFree(kTagTabletColumn);
}

// The fork size a tablet of this shape needs; 64 bits hold it for any shape that fits in a fork.
int64_t forkBytesFor(int64_t attributes, int64_t records) {
    return (attributes * records + 2) * 4;
}

// Whether a fork of this size holds exactly a tablet of this shape. The product of two 32-bit
// counts always fits in 64 bits; the fork's cell count is compared with it, so nothing overflows.
bool shapeFitsFork(int32_t attributes, int32_t records, int32_t size) {
    return attributes >= 1 && records >= 1 && size % 4 == 0 &&
           static_cast<int64_t>(attributes) * records == size / 4 - 2;
}

} // namespace

CTablet::CTablet() = default;

CTablet::~CTablet() {
    if (containsTablet)
        destroyTablet();
}

RErr CTablet::createTablet() {
    if (containsTablet)
        return fail("CTablet::createTablet", kErrReinitialized);
    try {
        columns.assign(1, std::vector<int32_t>(1, 0));
    } catch (const std::bad_alloc&) {
        columns.clear();
        return fail("CTablet::createTablet", kErrMallocFailed);
    }
    CRMemory::shared().countAllocation(kTagTabletPointers);
    countColumnsTaken(1);
    maxAttributes = 1;
    maxRecords = 1;
    containsTablet = true;
    return kNoErr;
}

RErr CTablet::destroyTablet() {
    if (!containsTablet)
        return kNoErr;
    countColumnsFreed(columns.size());
    CRMemory::shared().countFree(kTagTabletPointers);
    columns.clear();
    columns.shrink_to_fit();
    maxAttributes = 0;
    maxRecords = 0;
    containsTablet = false;
    return kNoErr;
}

RErr CTablet::setMaxAttributes(int32_t count) {
    if (!containsTablet)
        return fail("CTablet::setMaxAttributes", kErrNotInitialized);
    if (count < 1)
        return fail("CTablet::setMaxAttributes", kErrInvalidParameter);
    const auto oldCount = columns.size();
    const auto newCount = static_cast<std::size_t>(count);
    if (newCount < oldCount) {
        countColumnsFreed(oldCount - newCount);
        columns.resize(newCount);
    } else if (newCount > oldCount) {
        try {
            columns.reserve(newCount);
            while (columns.size() < newCount)
                columns.emplace_back(static_cast<std::size_t>(maxRecords), 0);
        } catch (const std::bad_alloc&) {
            columns.resize(oldCount);
            return fail("CTablet::setMaxAttributes", kErrMallocFailed);
        }
        countColumnsTaken(newCount - oldCount);
    }
    maxAttributes = count;
    return kNoErr;
}

RErr CTablet::setMaxRecords(int32_t count) {
    if (!containsTablet)
        return fail("CTablet::setMaxRecords", kErrNotInitialized);
    if (count < 1)
        return fail("CTablet::setMaxRecords", kErrInvalidParameter);
    // std::vector grows its capacity geometrically, so adding records one at a time costs
    // amortised constant time per column; cells a shrink gave up come back as 0.
    const auto oldCount = static_cast<std::size_t>(maxRecords);
    const auto newCount = static_cast<std::size_t>(count);
    std::size_t resized = 0;
    try {
        for (auto& column : columns) {
            if (newCount == column.size() + 1)
                column.push_back(0); // the common case, without a fill call per column
            else
                column.resize(newCount, 0);
            ++resized;
        }
    } catch (const std::bad_alloc&) {
        for (std::size_t i = 0; i < resized; ++i)
            columns[i].resize(oldCount);
        return fail("CTablet::setMaxRecords", kErrMallocFailed);
    }
    maxRecords = count;
    return kNoErr;
}

RErr CTablet::getMaxAttributes(int32_t& out) const {
    out = 0;
    if (!containsTablet)
        return fail("CTablet::getMaxAttributes", kErrNotInitialized);
    out = maxAttributes;
    return kNoErr;
}

RErr CTablet::getMaxRecords(int32_t& out) const {
    out = 0;
    if (!containsTablet)
        return fail("CTablet::getMaxRecords", kErrNotInitialized);
    out = maxRecords;
    return kNoErr;
}

RErr CTablet::setValue(int32_t record, int32_t attribute, int32_t value) {
    if (!containsTablet)
        return fail("CTablet::setValue", kErrNotInitialized);
    if (attribute < 1 || attribute > maxAttributes || record < 1 || record > maxRecords)
        return fail("CTablet::setValue", kErrInvalidParameter);
    columns[static_cast<std::size_t>(attribute - 1)][static_cast<std::size_t>(record - 1)] = value;
    return kNoErr;
}

RErr CTablet::getValue(int32_t record, int32_t attribute, int32_t& out) const {
    if (!containsTablet)
        return fail("CTablet::getValue", kErrNotInitialized);
    if (attribute < 1 || attribute > maxAttributes || record < 1 || record > maxRecords)
        return fail("CTablet::getValue", kErrInvalidParameter);
    out = cell(record, attribute);
    return kNoErr;
}

RErr CTablet::writeTabletToDisk(CRFile& file) const {
    static const char* const name = "CTablet::writeTabletToDisk";
    if (!containsTablet)
        return fail(name, kErrNotInitialized);
    const int64_t bytes = forkBytesFor(maxAttributes, maxRecords);
    if (bytes > std::numeric_limits<int32_t>::max())
        return fail(name, kErrGeneral); // the container's offsets are 32-bit
    bool exists = false;
    const int32_t shape[2] = {maxAttributes, maxRecords};
    RErr err = file.forkExists(kForkTablet, exists);
    if (!err && !exists)
        err = file.createFork(kForkTablet);
    if (!err)
        err = file.setForkSize(kForkTablet, static_cast<int32_t>(bytes));
    if (!err)
        err = file.setForkPosition(kForkTablet, 0);
    if (!err)
        err = file.writeASeriesOfInt32s(kForkTablet, shape, 1);
    for (std::size_t a = 0; !err && a < columns.size(); ++a)
        err = file.writeASeriesOfInt32s(kForkTablet, columns[a].data(), maxRecords - 1);
    return err ? fail(name, err) : kNoErr;
}

// The fork is untrusted input: its shape is checked against the fork's size before anything
// is allocated, and the new columns are read aside so a failed read leaves the tablet as it
// was.
RErr CTablet::readTabletFromDisk(CRFile& file) {
    static const char* const name = "CTablet::readTabletFromDisk";
    if (!containsTablet)
        return fail(name, kErrNotInitialized);
    int32_t size = 0;
    int32_t shape[2] = {0, 0};
    RErr err = file.getForkSize(kForkTablet, size);
    if (!err && size < 8)
        err = kErrInvalidFormat;
    if (!err)
        err = file.setForkPosition(kForkTablet, 0);
    if (!err)
        err = file.readASeriesOfInt32s(kForkTablet, shape, 1);
    const int32_t attributes = shape[0];
    const int32_t records = shape[1];
    if (!err && !shapeFitsFork(attributes, records, size))
        err = kErrInvalidFormat;
    if (err)
        return fail(name, err);

    std::vector<std::vector<int32_t>> fresh;
    try {
        fresh.reserve(static_cast<std::size_t>(attributes));
        for (int32_t a = 0; a < attributes; ++a)
            fresh.emplace_back(static_cast<std::size_t>(records));
    } catch (const std::bad_alloc&) {
        return fail(name, kErrMallocFailed);
    }
    for (std::size_t a = 0; !err && a < fresh.size(); ++a)
        err = file.readASeriesOfInt32s(kForkTablet, fresh[a].data(), records - 1);
    if (err)
        return fail(name, err);

    countColumnsFreed(columns.size());
    countColumnsTaken(fresh.size());
    columns.swap(fresh);
    maxAttributes = attributes;
    maxRecords = records;
    return kNoErr;
}
