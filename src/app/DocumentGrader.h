#pragma once

#include "base/ErrorCodes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CTree;

// One offending node of a graded document: its record, its label and the note the script
// showed beside it ("" when it showed none).
struct RGradeNote {
    int32_t node = 0;
    std::string label;
    std::string note;
};

enum class RGradeStatus { Ok, Flagged, Failed };

// What grading one document found.
struct RGradeResult {
    RGradeResult();
    ~RGradeResult();
    RGradeResult(RGradeResult&& other) noexcept;
    RGradeResult& operator=(RGradeResult&& other) noexcept;

    std::string document; // the path as given
    RGradeStatus status = RGradeStatus::Failed;
    std::string reason;                // why a failed document failed
    std::vector<RGradeNote> offending; // in tree order
    // The run's other messages (status-bar messages and alerts), in the order shown.
    std::vector<std::string> messages;
    // Internal failures reported while the document was opened or graded.
    std::vector<std::string> bugReports;
    // The graded document, kept when asked for (to draw it); nullptr otherwise.
    std::unique_ptr<CTree> tree;
};

// Grades students' documents with a grammar's own check: the grammar's script is compiled
// against each document instead of the document's own copy, so a student cannot change the
// check. Each document is opened into a database of its own, prepared as a working document
// and checked in memory; the file is never written. Grading different documents on
// different threads at once is safe: a grader is only read once it is set up.
class CDocumentGrader {
public:
    // Why setting up failed.
    enum class RSetUpFault {
        None,
        Grammar,   // the grammar cannot be opened, or its script does not compile
        NoFunction // no function, or no menu item, of that name
    };

    CDocumentGrader();
    ~CDocumentGrader();
    CDocumentGrader(const CDocumentGrader&) = delete;
    CDocumentGrader& operator=(const CDocumentGrader&) = delete;

    // Opens the grammar, compiles its script as for a working document and finds the check:
    // the function `call`, or else the function of the menu item titled `menuTitle`. On a
    // fault, `problem` says why ("line L: MESSAGE" for a compile error).
    RSetUpFault setUp(const std::string& grammarPath, const std::string& call,
                      const std::string& menuTitle, std::string& problem);

    // The function the check runs; the features and categories of the grammar that its
    // script names (a document must have each of them, matched by name).
    const std::string& functionName() const { return function; }
    const std::vector<std::string>& featuresNeeded() const { return features; }
    const std::vector<std::string>& categoriesNeeded() const { return categories; }

    // Evaluation steps the check may take on one document before it is stopped.
    void setStepBudget(int64_t budget) { stepBudget = budget; }

    // Grades one document; with keepTree the graded database is handed back in the result.
    RGradeResult grade(const std::string& documentPath, bool keepTree) const;

private:
    RErr openDocument(const std::string& path, std::unique_ptr<CTree>& tree,
                      std::string& problem) const;
    std::string missingNames(CTree& tree) const;
    struct RRunEvents;
    // Runs the check as an author menu command, in a step of its own.
    RErr runCheck(CTree& tree) const;
    // The status from how the run ended and what it marked.
    void judge(CTree& tree, RErr err, RRunEvents& events, RGradeResult& result) const;

    std::string scriptText;
    std::string function;
    std::vector<std::string> features;
    std::vector<std::string> categories;
    int64_t stepBudget;
};
