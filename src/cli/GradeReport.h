#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

struct RGradeResult;

enum class RGradeFormat { Text, Csv, Json };

// "text", "csv" or "json".
bool gradeFormatOf(const std::string& word, RGradeFormat& format);

// What `grade` prints for a stack of documents, in one of three formats: a line per
// document and a summary (text), a row per offending node (csv, for a spreadsheet), or an
// array of objects (json). Texts that span lines are written on one, with "\n" for each
// line break, except in JSON, which escapes them itself.
class CGradeReport {
public:
    CGradeReport(RGradeFormat format, std::ostream& out);

    // The csv header or the opening of the json array.
    void begin();
    void add(const RGradeResult& result);
    // The summary (text) or the end of the json array.
    void end();

    // "graded 3 documents: 1 ok, 1 flagged, 1 failed".
    std::string summary() const;
    std::size_t failedCount() const { return failed; }

    // One document in each format (csv: its rows, each ending in a line break).
    static std::string textLine(const RGradeResult& result);
    static std::string csvRows(const RGradeResult& result);
    static std::string jsonObject(const RGradeResult& result);

private:
    RGradeFormat format;
    std::ostream& out;
    std::size_t ok = 0;
    std::size_t flagged = 0;
    std::size_t failed = 0;
};
