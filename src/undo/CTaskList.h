#pragma once

#include "base/ErrorCodes.h"
#include "storage/CRMemory.h"

#include <cstdint>
#include <memory>
#include <vector>

class CTask;

// The tasks of one command, with its label. Doing and undoing walk the tasks iteratively,
// so a list of a million tasks needs no deep stack.
class CTaskList {
public:
    explicit CTaskList(int32_t label);
    CTaskList(const CTaskList&) = delete;
    CTaskList& operator=(const CTaskList&) = delete;
    ~CTaskList(); // destroys its tasks, the last first

    void addTask(std::unique_ptr<CTask> task);
    int32_t getLabel() const { return taskListLabel; }
    std::size_t taskCount() const { return tasks.size(); }
    // Undoes every task, the last first; a failing task reports itself and the rest go on.
    RErr undo();
    // Does every task in order; likewise.
    RErr redo();
    void printSummary() const;

private:
    RObjectCounter<kKindCTaskList> counter;
    int32_t taskListLabel;
    std::vector<std::unique_ptr<CTask>> tasks;
};
