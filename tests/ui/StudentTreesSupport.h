#pragma once

#include "CanvasTestSupport.h"

#include <string>
#include <vector>

// A main window with a document whose trees a test writes out in brackets.
class StudentTreesTest : public CanvasTest {
protected:
    // "[S [NP the dog] [VP barks]]" or a bare leaf "dog", made one undo step and put on the
    // tree area with its root's top centre at (v, h). Returns the root.
    int32_t addTree(const std::string& brackets, int32_t v, int32_t h);
    // The nodes of a subtree in pre-order.
    std::vector<int32_t> nodesOf(int32_t root);
    // Each node's box, in pre-order: what the layout made of the tree.
    std::vector<RRect> layoutOf(int32_t root);
    int32_t header(int32_t attribute);
    std::string fontName();
};
