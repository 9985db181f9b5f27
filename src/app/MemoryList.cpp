#include "app/MemoryList.h"

std::vector<std::string> memoryListLines(const CRMemory::Counters& allocations,
                                         const CRMemory::Counters& frees, bool full) {
    std::vector<std::string> lines;
    for (std::size_t tag = 1; tag < allocations.size(); ++tag) {
        const int64_t taken = allocations[tag];
        const int64_t given = frees[tag];
        if (taken == 0 && given == 0)
            continue;
        if (!full && taken == given)
            continue;
        lines.push_back(std::to_string(tag) + "   " + std::to_string(taken) + "   " +
                        std::to_string(given) + "   " + std::to_string(taken - given));
    }
    return lines;
}
