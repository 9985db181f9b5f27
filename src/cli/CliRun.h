#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `run FILE --call NAME [--undo] [-o OUT]` and `run FILE --hook HOOK [--args N,M]` (with
// `--answers FILE` for the questions the script asks): prepares the file as a working
// document, runs the script and writes every request it makes of the person at the screen to
// `out`, one line each, then the offending nodes and the dirty flag.
int runScript(const std::vector<std::string>& arguments, std::ostream& out);
int runRun(const std::vector<std::string>& arguments);
