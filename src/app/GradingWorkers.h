#pragma once

#include "app/DocumentGrader.h"

#include <functional>
#include <string>
#include <vector>

// The number of workers that suits this machine: one per core, at least one.
int gradingWorkerCount();

// Grades the documents with `workers` threads, each document on a database of its own, and
// hands every result to `deliver` on the calling thread, in the order of `documents`, as
// soon as it and all before it are graded. With one worker (or one document) everything
// runs on the calling thread. keepTrees as for CDocumentGrader::grade.
void gradeDocuments(const CDocumentGrader& grader, const std::vector<std::string>& documents,
                    int workers, bool keepTrees, const std::function<void(RGradeResult&)>& deliver);
