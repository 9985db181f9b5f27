#include "cli/GradeReport.h"

#include "app/DocumentGrader.h"
#include "cli/CliCommand.h"

#include <cstdio>
#include <ostream>

namespace {

const char* statusWord(const RGradeResult& result) {
    switch (result.status) {
    case RGradeStatus::Ok:
        return "ok";
    case RGradeStatus::Flagged:
        return "flagged";
    case RGradeStatus::Failed:
        break;
    }
    return "failed";
}

// A field quoted when it holds a comma, a quote or a line break, its quotes doubled.
std::string csvField(const std::string& text) {
    const std::string field = oneLine(text);
    if (field.find_first_of(",\"") == std::string::npos)
        return field;
    std::string quoted = "\"";
    for (const char c : field) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string jsonString(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (c == '\n') {
            quoted += "\\n";
        } else if (c == '\r') {
            quoted += "\\r";
        } else if (c == '\t') {
            quoted += "\\t";
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            quoted += escaped;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

} // namespace

bool gradeFormatOf(const std::string& word, RGradeFormat& format) {
    if (word == "text")
        format = RGradeFormat::Text;
    else if (word == "csv")
        format = RGradeFormat::Csv;
    else if (word == "json")
        format = RGradeFormat::Json;
    else
        return false;
    return true;
}

CGradeReport::CGradeReport(RGradeFormat formatIn, std::ostream& outIn)
    : format(formatIn), out(outIn) {}

void CGradeReport::begin() {
    if (format == RGradeFormat::Csv)
        out << "document,status,node,label,note\n";
    else if (format == RGradeFormat::Json)
        out << "[";
}

void CGradeReport::add(const RGradeResult& result) {
    const std::size_t before = ok + flagged + failed;
    if (result.status == RGradeStatus::Ok)
        ++ok;
    else if (result.status == RGradeStatus::Flagged)
        ++flagged;
    else
        ++failed;
    if (format == RGradeFormat::Text)
        out << textLine(result) << "\n";
    else if (format == RGradeFormat::Csv)
        out << csvRows(result);
    else
        out << (before == 0 ? "\n  " : ",\n  ") << jsonObject(result);
    out.flush();
}

void CGradeReport::end() {
    if (format == RGradeFormat::Text)
        out << summary() << "\n";
    else if (format == RGradeFormat::Json)
        out << "\n]\n";
    out.flush();
}

std::string CGradeReport::summary() const {
    const std::size_t total = ok + flagged + failed;
    return "graded " + std::to_string(total) + (total == 1 ? " document: " : " documents: ") +
           std::to_string(ok) + " ok, " + std::to_string(flagged) + " flagged, " +
           std::to_string(failed) + " failed";
}

std::string CGradeReport::textLine(const RGradeResult& result) {
    std::string line = result.document + ": ";
    if (result.status == RGradeStatus::Failed) {
        line += "failed: " + oneLine(result.reason);
    } else if (result.status == RGradeStatus::Ok) {
        line += "ok";
    } else {
        line += std::to_string(result.offending.size()) + " offending: ";
        for (std::size_t i = 0; i < result.offending.size(); ++i) {
            const RGradeNote& note = result.offending[i];
            line += (i == 0 ? "" : "; ") + std::to_string(note.node) + " " + oneLine(note.label) +
                    " \"" + oneLine(note.note) + "\"";
        }
    }
    for (const std::string& message : result.messages)
        line += "; message \"" + oneLine(message) + "\"";
    return line;
}

std::string CGradeReport::csvRows(const RGradeResult& result) {
    const std::string start = csvField(result.document) + "," + statusWord(result) + ",";
    if (result.offending.empty())
        return start + ",," + csvField(result.reason) + "\n";
    std::string rows;
    for (const RGradeNote& note : result.offending)
        rows += start + std::to_string(note.node) + "," + csvField(note.label) + "," +
                csvField(note.note) + "\n";
    return rows;
}

std::string CGradeReport::jsonObject(const RGradeResult& result) {
    std::string object = "{\"document\": " + jsonString(result.document) +
                         ", \"status\": " + jsonString(statusWord(result));
    if (result.status == RGradeStatus::Failed)
        object += ", \"note\": " + jsonString(result.reason);
    object += ", \"offending\": [";
    for (std::size_t i = 0; i < result.offending.size(); ++i) {
        const RGradeNote& note = result.offending[i];
        object += std::string(i == 0 ? "" : ", ") + "{\"node\": " + std::to_string(note.node) +
                  ", \"label\": " + jsonString(note.label) +
                  ", \"note\": " + jsonString(note.note) + "}";
    }
    object += "], \"messages\": [";
    for (std::size_t i = 0; i < result.messages.size(); ++i)
        object += std::string(i == 0 ? "" : ", ") + jsonString(result.messages[i]);
    return object + "]}";
}
