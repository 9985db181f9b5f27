#pragma once

#include "base/ErrorCodes.h"
#include "cli/GrammarText.h"
#include "cli/GrammarTextReader.h"

#include <cstdint>

class CTree;

// Builds parsed text into a new database through the ordinary CTree operations, inside one
// task list whose history is then cleared. A word or tree that cannot be built gives its line
// in failedLine (0 when the failure lies elsewhere).
RErr buildGrammarText(CTree& tree, RTextTarget target, RGrammarText& grammar, int32_t& failedLine);
