#include "storage/CTablet.h"

#include "base/ErrorReporter.h"
#include "storage/CRFile.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <new>
#include <utility>
#include <vector>

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

// The most cells whose byte count fits in std::size_t.
constexpr uint64_t kMaxCells = std::numeric_limits<std::size_t>::max() / sizeof(int32_t);

// The cells a tablet of this shape holds, or 0 when their bytes cannot be addressed. Both
// counts are positive 32-bit values, so their product fits in 64 bits.
std::size_t cellsFor(int32_t attributes, int32_t records) {
    const uint64_t cells = static_cast<uint64_t>(attributes) * static_cast<uint64_t>(records);
    return cells > kMaxCells ? 0 : static_cast<std::size_t>(cells);
}

int32_t* allocateCells(std::size_t count) {
    return static_cast<int32_t*>(std::malloc(count * sizeof(int32_t)));
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

void CTablet::FreeCells::operator()(int32_t* block) const noexcept {
    std::free(block);
}

CTablet::CTablet() = default;

CTablet::~CTablet() {
    if (containsTablet)
        destroyTablet();
}

// Grows the block geometrically so adding records one at a time costs amortised constant
// time; on failure the block is untouched.
bool CTablet::reserveCells(std::size_t count) {
    if (count <= capacity)
        return true;
    const std::size_t headroom = capacity / 2;
    std::size_t target = capacity + headroom > count ? capacity + headroom : count;
    if (target > kMaxCells)
        target = count;
    void* grown = std::realloc(cells.get(), target * sizeof(int32_t));
    if (!grown && target > count) {
        target = count;
        grown = std::realloc(cells.get(), target * sizeof(int32_t));
    }
    if (!grown)
        return false;
    static_cast<void>(cells.release()); // realloc has already freed or kept the old block
    cells.reset(static_cast<int32_t*>(grown));
    capacity = target;
    return true;
}

RErr CTablet::createTablet() {
    if (containsTablet)
        return fail("CTablet::createTablet", kErrReinitialized);
    Cells fresh(allocateCells(1));
    if (!fresh)
        return fail("CTablet::createTablet", kErrMallocFailed);
    fresh[0] = 0;
    cells = std::move(fresh);
    capacity = 1;
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
    countColumnsFreed(static_cast<std::size_t>(maxAttributes));
    CRMemory::shared().countFree(kTagTabletPointers);
    cells.reset();
    capacity = 0;
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
    if (count == maxAttributes)
        return kNoErr;
    // Every row changes width, so the cells move to a fresh block row by row.
    const std::size_t needed = cellsFor(count, maxRecords);
    Cells fresh(needed ? allocateCells(needed) : nullptr);
    if (!fresh)
        return fail("CTablet::setMaxAttributes", kErrMallocFailed);
    const auto oldWidth = static_cast<std::size_t>(maxAttributes);
    const auto newWidth = static_cast<std::size_t>(count);
    const std::size_t kept = oldWidth < newWidth ? oldWidth : newWidth;
    const auto records = static_cast<std::size_t>(maxRecords);
    for (std::size_t r = 0; r < records; ++r) {
        int32_t* row = std::copy_n(cells.get() + r * oldWidth, kept, fresh.get() + r * newWidth);
        std::fill_n(row, newWidth - kept, 0);
    }
    cells = std::move(fresh);
    capacity = needed;
    if (newWidth < oldWidth)
        countColumnsFreed(oldWidth - newWidth);
    else
        countColumnsTaken(newWidth - oldWidth);
    maxAttributes = count;
    return kNoErr;
}

RErr CTablet::setMaxRecords(int32_t count) {
    if (!containsTablet)
        return fail("CTablet::setMaxRecords", kErrNotInitialized);
    if (count < 1)
        return fail("CTablet::setMaxRecords", kErrInvalidParameter);
    // Rows past the end are not kept, so cells a shrink gave up come back as 0.
    const std::size_t needed = cellsFor(maxAttributes, count);
    if (!needed || !reserveCells(needed))
        return fail("CTablet::setMaxRecords", kErrMallocFailed);
    const std::size_t used = cellsFor(maxAttributes, maxRecords);
    if (needed > used)
        std::fill(cells.get() + used, cells.get() + needed, 0);
    if (count < maxRecords)
        ++changes;
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
    int32_t& target = cells[indexOf(record, attribute)];
    if (attribute == watchedAttribute && target != 0 && target != value)
        ++changes;
    target = value;
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
    // The fork holds columns but memory holds rows, so each column is gathered into one buffer
    // and written in bulk; the buffer is taken before the fork is touched.
    const auto records = static_cast<std::size_t>(maxRecords);
    const auto width = static_cast<std::size_t>(maxAttributes);
    std::vector<int32_t> column;
    try {
        column.resize(records);
    } catch (const std::bad_alloc&) {
        return fail(name, kErrMallocFailed);
    }
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
    for (std::size_t a = 0; !err && a < width; ++a) {
        const int32_t* source = cells.get() + a;
        for (std::size_t r = 0; r < records; ++r)
            column[r] = source[r * width];
        err = file.writeASeriesOfInt32s(kForkTablet, column.data(), maxRecords - 1);
    }
    return err ? fail(name, err) : kNoErr;
}

// The fork is untrusted input: its shape is checked against the fork's size before anything
// is allocated, and the new cells are read aside so a failed read leaves the tablet as it was.
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

    // The checked shape fits in the fork, so its cell count fits in std::size_t.
    const std::size_t needed = cellsFor(attributes, records);
    const auto width = static_cast<std::size_t>(attributes);
    const auto height = static_cast<std::size_t>(records);
    Cells fresh(allocateCells(needed));
    std::vector<int32_t> column;
    try {
        column.resize(height);
    } catch (const std::bad_alloc&) {
        return fail(name, kErrMallocFailed);
    }
    if (!fresh)
        return fail(name, kErrMallocFailed);
    for (std::size_t a = 0; !err && a < width; ++a) {
        err = file.readASeriesOfInt32s(kForkTablet, column.data(), records - 1);
        int32_t* target = fresh.get() + a;
        for (std::size_t r = 0; !err && r < height; ++r)
            target[r * width] = column[r];
    }
    if (err)
        return fail(name, err);

    countColumnsFreed(static_cast<std::size_t>(maxAttributes));
    countColumnsTaken(width);
    cells = std::move(fresh);
    capacity = needed;
    maxAttributes = attributes;
    maxRecords = records;
    return kNoErr;
}
