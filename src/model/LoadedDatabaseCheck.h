#pragma once

#include "base/ErrorCodes.h"

class CStringManager;
class CTablet;

// A file is untrusted input. Checks that a database read from one is safe for the tree
// operations to walk and change: record types known, every list and tree link pointing at a
// record of the right type, no cycles or shared nodes, feature slots and their owners naming
// each other, and every string cell holding a current string that no other cell holds.
// Gives 1008 (invalid format) otherwise.
RErr checkLoadedDatabase(const CTablet& tablet, const CStringManager& strings);
