// What the ramex-cli commands share: error lines, opening and writing files.

#include "cli/CliCommand.h"

#include "app/DocumentFiles.h"
#include "base/ErrorReporter.h"
#include "cli/GrammarTextReader.h"
#include "model/CTree.h"
#include "storage/CFileDescriptor.h"
#include "storage/PlatformFiles.h"

#include <cstdio>
#include <filesystem>
#include <iostream>

int inputFault(const std::string& file, const std::string& message) {
    std::cerr << "ramex-cli: " << file << ": " << message << "\n";
    return kExitInputFault;
}

int usageError(const std::string& message) {
    std::cerr << "ramex-cli: " << message << "\nTry 'ramex-cli --help'.\n";
    return kExitUsage;
}

bool openDatabase(const std::string& path, std::unique_ptr<CTree>& tree) {
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(std::filesystem::u8path(path), ignored)) {
        inputFault(path, "The file cannot be found.");
        return false;
    }
    CFileDescriptor file(path);
    const RErr err = loadDatabaseFile(file, tree);
    if (!err)
        return true;
    const std::string message = versionMessage(err);
    inputFault(path,
               message.empty() ? "The file cannot be read (" + errorCodeText(err) + ")." : message);
    return false;
}

std::string oneLine(const std::string& text) {
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        if (text[i] == '\n' || text[i] == '\r')
            line += "\\n";
        else
            line += text[i];
    }
    return line;
}

std::string lowerExtension(const std::string& path) {
    std::string extension = std::filesystem::u8path(path).extension().u8string();
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return extension;
}

bool openAnyFile(const std::string& path, std::unique_ptr<CTree>& tree) {
    if (lowerExtension(path) != ".rgt")
        return openDatabase(path, tree);
    RTextError error;
    if (readGrammarTextFile(path, RTextTarget::Document, tree, error))
        return true;
    inputFault(error.line > 0 ? path + ":" + std::to_string(error.line) : path, error.message);
    return false;
}

bool writeDatabase(CTree& tree, const std::string& path) {
    const std::string temporary = path + ".partial";
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::u8path(temporary), ignored);
    RErr err = kNoErr;
    {
        CFileDescriptor file(temporary);
        err = saveDatabaseFile(tree, file);
    }
    // Windows' plain rename refuses to replace an existing file; this call replaces it.
    if (!err)
        err = replaceFileAtomically(temporary, path);
    if (err) {
        std::filesystem::remove(std::filesystem::u8path(temporary), ignored);
        inputFault(path, "The file cannot be written.");
        return false;
    }
    return true;
}
