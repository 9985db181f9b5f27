#include "undo/CTaskList.h"

#include "undo/CTask.h"
#include "undo/UndoLabels.h"

#include <cstdio>

CTaskList::CTaskList(int32_t label) : taskListLabel(label) {}

CTaskList::~CTaskList() {
    // The last first, mirroring the order in which the tasks were made.
    while (!tasks.empty())
        tasks.pop_back();
}

void CTaskList::addTask(std::unique_ptr<CTask> task) {
    tasks.push_back(std::move(task));
}

RErr CTaskList::undo() {
    // A failing task has reported itself; the others must still be undone so the cells they
    // touch come back.
    for (auto it = tasks.rbegin(); it != tasks.rend(); ++it)
        (*it)->undoSelf();
    return kNoErr;
}

RErr CTaskList::redo() {
    for (const auto& task : tasks)
        task->doSelf();
    return kNoErr;
}

void CTaskList::printSummary() const {
    std::printf("\tTask list %d \"%s\" with %zu tasks:\n", taskListLabel, undoString(taskListLabel),
                tasks.size());
    for (const auto& task : tasks)
        task->printSummary();
}
