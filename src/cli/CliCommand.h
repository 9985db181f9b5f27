#pragma once

#include <memory>
#include <string>
#include <vector>

class CTree;

constexpr int kExitSuccess = 0;
constexpr int kExitInputFault = 1; // the input is at fault: unreadable, wrong version, ...
constexpr int kExitUsage = 2;

struct CliCommand {
    const char* name;
    const char* synopsis;                                  // one line for --help
    int (*run)(const std::vector<std::string>& arguments); // the words after the command name
};

// Every command, in the order --help lists them.
const std::vector<CliCommand>& cliCommands();

// Prints "ramex-cli: FILE: MESSAGE" on standard error and returns 1.
int inputFault(const std::string& file, const std::string& message);
// Prints "ramex-cli: MESSAGE" and a hint on standard error and returns 2.
int usageError(const std::string& message);

// Loads a grammar or document file; on failure prints the reason and gives false.
bool openDatabase(const std::string& path, std::unique_ptr<CTree>& tree);
// As openDatabase, and a .rgt text form is built as a document.
bool openAnyFile(const std::string& path, std::unique_ptr<CTree>& tree);

// Line breaks (CR LF, LF or CR) as the two characters \n, so a message stays one line.
std::string oneLine(const std::string& text);

// The file name's extension with its dot, in small letters ("" when there is none).
std::string lowerExtension(const std::string& path);

// Writes the database to a temporary file beside `path`, then renames it over `path`, so a
// failed command never leaves a partial output file. On failure prints the reason.
bool writeDatabase(CTree& tree, const std::string& path);
