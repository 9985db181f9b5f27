#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The commands on grammars and documents as a whole. Each takes the words after its name and
// gives the exit status; errors go to standard error as "ramex-cli: FILE: MESSAGE".

// build SOURCE.rgt -o OUT.rgr|OUT.rdc: builds a grammar or document from the text form;
// nothing is written when the text has an error.
int buildCommand(const std::vector<std::string>& arguments);
// export FILE: the text form of a grammar or document.
int exportCommand(const std::vector<std::string>& arguments, std::ostream& out);
// info FILE: a summary (format, records, attributes, categories, features, words, trees,
// script).
int infoCommand(const std::vector<std::string>& arguments, std::ostream& out);
// qtree FILE [--all]: one line per work-area tree (every tree with --all) in qtree notation.
int qtreeCommand(const std::vector<std::string>& arguments, std::ostream& out);

int runBuild(const std::vector<std::string>& arguments);
int runExport(const std::vector<std::string>& arguments);
int runInfo(const std::vector<std::string>& arguments);
int runQTree(const std::vector<std::string>& arguments);
