#pragma once

#include "base/ErrorCodes.h"

class CTree;

// Makes a loaded database a student's working document: the words are prepared for student
// mode (a new document made from a grammar; an opened document already is), then the script
// is compiled in student mode inside a set-up step that leaves no undo history. A script
// that does not compile gives 1011; the parser has already told the user why.
RErr prepareWorkingDocument(CTree& tree, bool prepareWords);
