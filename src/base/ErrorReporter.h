#pragma once

#include "base/ErrorCodes.h"

#include <string>

// The one way every part reports an internal failure: a warning box titled "Ramex Bug Report"
// through the installed platform. It never stops the program; the caller goes on with its code.
void bug(const std::string& name, RErr code);

// Reports a non-zero code under the name, as every failing operation does, and returns the
// code, so that `return reportError("CTree::newRoot", err);` ends an operation.
RErr reportError(const std::string& name, RErr code);

// The text `bug` shows: the name (at most 225 characters) and, for a non-zero code,
// " (" + the code's text or decimal digits + ")".
std::string bugReportText(const std::string& name, RErr code);

// The message of codes 1000 to 1007, or the decimal digits of any other code.
std::string errorCodeText(RErr code);

extern const char* const kBugReportTitle;
