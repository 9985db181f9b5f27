#pragma once

#include "base/ErrorCodes.h"
#include "base/Platform.h"

#include <cstdint>
#include <string>

// The kinds of file the application names or opens.
constexpr int32_t kFileTypeDocument = 4;
constexpr int32_t kFileTypeGrammar = 6;
constexpr int32_t kFileTypeCurrentGrammar = 100;

// The file chooser's filter, default extension and initial name for a file type; any other
// type gives 1000 (not reported here).
RErr fileRequestForType(int32_t fileType, bool forOpening, FileRequest& request);

// The name a save is made under: every "." of the file name but the extension's own dot
// becomes "-", so "my.tree.rdc" is saved as "my-tree.rdc".
std::string applyDotRule(const std::string& path);
