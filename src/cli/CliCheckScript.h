#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `check-script FILE`: compiles the script of a grammar (.rgr), a document (.rdc), a text
// form (.rgt) or a bare script file, and writes "ok" or "LINE: MESSAGE" (1-based line, the
// message's line breaks written as \n) to `out`. Exit status 1 when it does not compile.
int checkScript(const std::vector<std::string>& arguments, std::ostream& out);
int runCheckScript(const std::vector<std::string>& arguments);
