#pragma once

#include "storage/CRMemory.h"

#include <string>
#include <vector>

// The lines of the memory debugging list: for each tag from 1 to 160 whose counts are not both
// 0, "TAG   ALLOCATED   FREED   OUTSTANDING". Without `full`, only tags still outstanding.
std::vector<std::string> memoryListLines(const CRMemory::Counters& allocations,
                                         const CRMemory::Counters& frees, bool full);
