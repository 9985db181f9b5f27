#include "cli/CliGrade.h"

#include "app/DocumentGrader.h"
#include "app/GradingWorkers.h"
#include "cli/CliCommand.h"
#include "cli/GradePictures.h"
#include "cli/GradeReport.h"
#include "model/CTree.h"

#include <filesystem>
#include <iostream>
#include <memory>

namespace {

struct RGradeOptions {
    std::string grammar;
    std::string call;
    std::string menu;
    std::string format;
    std::string pictures;
    std::vector<std::string> documents;
};

const char* const kUsage = "grade needs --grammar G.rgr, --call NAME or --menu TITLE, and one "
                           "or more documents; optionally --format text|csv|json and "
                           "--pictures DIR";

bool parseOptions(const std::vector<std::string>& arguments, RGradeOptions& options) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        std::string* target = nullptr;
        if (word == "--grammar")
            target = &options.grammar;
        else if (word == "--call")
            target = &options.call;
        else if (word == "--menu")
            target = &options.menu;
        else if (word == "--format")
            target = &options.format;
        else if (word == "--pictures")
            target = &options.pictures;
        if (target) {
            if (i + 1 >= arguments.size() || !target->empty() || arguments[i + 1].empty())
                return false;
            *target = arguments[++i];
        } else if (word.empty() || word[0] == '-') {
            return false;
        } else {
            options.documents.push_back(word);
        }
    }
    return !options.grammar.empty() && options.call.empty() != options.menu.empty() &&
           !options.documents.empty();
}

// DIR/NAME.png, NAME being the document's file name without its extension.
std::string picturePath(const std::string& folder, const std::string& document) {
    const std::filesystem::path name = std::filesystem::u8path(document).stem();
    return (std::filesystem::u8path(folder) / name).u8string() + ".png";
}

} // namespace

int gradeCommand(const std::vector<std::string>& arguments, std::ostream& out) {
    RGradeOptions options;
    if (!parseOptions(arguments, options))
        return usageError(kUsage);
    RGradeFormat format = RGradeFormat::Text;
    if (!options.format.empty() && !gradeFormatOf(options.format, format))
        return usageError("the format must be text, csv or json: '" + options.format + "'");
    if (!options.pictures.empty() && !CGradePictures::available()) {
        std::cerr << "ramex-cli: --pictures is not available in this build (it was built "
                     "without Qt)\n";
        return kExitInputFault;
    }

    CDocumentGrader grader;
    std::string problem;
    switch (grader.setUp(options.grammar, options.call, options.menu, problem)) {
    case CDocumentGrader::RSetUpFault::Grammar:
        return inputFault(options.grammar, problem);
    case CDocumentGrader::RSetUpFault::NoFunction:
        return usageError(problem);
    case CDocumentGrader::RSetUpFault::None:
        break;
    }

    bool picturesFailed = false;
    std::unique_ptr<CGradePictures> pictures;
    if (!options.pictures.empty()) {
        std::error_code made;
        std::filesystem::create_directories(std::filesystem::u8path(options.pictures), made);
        if (made || !std::filesystem::is_directory(std::filesystem::u8path(options.pictures))) {
            inputFault(options.pictures, "The folder for the pictures cannot be made.");
            picturesFailed = true;
        } else {
            pictures = std::make_unique<CGradePictures>();
        }
    }

    CGradeReport report(format, out);
    report.begin();
    gradeDocuments(grader, options.documents, gradingWorkerCount(), pictures != nullptr,
                   [&](RGradeResult& result) {
                       report.add(result);
                       for (const std::string& text : result.bugReports)
                           std::cerr << "ramex-cli: " << result.document << ": bug: " << text
                                     << "\n";
                       if (!pictures || !result.tree || result.status == RGradeStatus::Failed)
                           return;
                       const std::string path = picturePath(options.pictures, result.document);
                       std::string why;
                       if (!pictures->write(*result.tree, path, why)) {
                           inputFault(path, why);
                           picturesFailed = true;
                       }
                   });
    report.end();
    if (format != RGradeFormat::Text)
        std::cerr << report.summary() << "\n";
    return report.failedCount() > 0 || picturesFailed ? kExitInputFault : kExitSuccess;
}

int runGrade(const std::vector<std::string>& arguments) {
    return gradeCommand(arguments, std::cout);
}
