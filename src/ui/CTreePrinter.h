#pragma once

#include "base/ErrorCodes.h"

class CPort;
class CTree;
class QPrinter;

// Prints the tree area's trees at their places on the canvas, a hundredth of an inch to a unit
// of the canvas, from the top left of the printable area; trees beyond the first page go on
// further pages at the same scale (see printPages). The port draws on the printer meanwhile
// and is given its own device back afterwards; the trees are laid out again for the screen at
// their next drawing.
class CTreePrinter {
public:
    static constexpr int32_t kUnitsPerInch = 100;

    CTreePrinter(CTree& tree, CPort& port) : theTree(tree), thePort(port) {}

    // 1007 when the printer refused the document or a page (nothing is reported); the
    // database's own errors are reported where they happen and returned.
    RErr print(QPrinter& printer);

private:
    CTree& theTree;
    CPort& thePort;
};
