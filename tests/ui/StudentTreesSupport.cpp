#include "StudentTreesSupport.h"

#include "drawing/RGeometry.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "ui/CRamexWindow.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <cctype>

namespace {

constexpr int32_t kTestLabelTag = 97;

struct RBracketReader {
    CTree& tree;
    const std::string& text;
    std::size_t at = 0;

    void skipBlanks() {
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
            ++at;
    }
    std::string word() {
        skipBlanks();
        const std::size_t start = at;
        while (at < text.size() && text[at] != '[' && text[at] != ']' &&
               !std::isspace(static_cast<unsigned char>(text[at])))
            ++at;
        return text.substr(start, at - start);
    }
    // One node and what is below it, as a root (mother 0) or a last daughter.
    void node(int32_t mother, int32_t& made) {
        skipBlanks();
        const bool inner = at < text.size() && text[at] == '[';
        if (inner)
            ++at;
        if (mother == 0)
            EXPECT_EQ(tree.newRoot(made), kNoErr);
        else
            EXPECT_EQ(tree.newDaughterToRight(mother, made), kNoErr);
        EXPECT_EQ(tree.setMainString(made, CRString(word(), kTestLabelTag)), kNoErr);
        if (!inner)
            return;
        for (skipBlanks(); at < text.size() && text[at] != ']'; skipBlanks()) {
            int32_t daughter = 0;
            node(made, daughter);
        }
        ++at;
    }
};

} // namespace

int32_t StudentTreesTest::addTree(const std::string& brackets, int32_t v, int32_t h) {
    CTree& document = tree();
    EXPECT_EQ(document.undoStructure().startTaskList(kLabelNewTree), kNoErr);
    RBracketReader reader{document, brackets};
    int32_t root = 0;
    reader.node(0, root);
    EXPECT_EQ(document.setWhereIsTree(root, kTreeOnWorkArea), kNoErr);
    EXPECT_EQ(document.setAbsolutePoint(root, RPoint{v, h}), kNoErr);
    EXPECT_EQ(document.undoStructure().finishTaskList(), kNoErr);
    window().updateMenus();
    settle();
    return root;
}

std::vector<int32_t> StudentTreesTest::nodesOf(int32_t root) {
    std::vector<int32_t> nodes;
    for (int32_t node = root; node != 0;) {
        nodes.push_back(node);
        if (tree().getNextNode(node, root, node))
            break;
    }
    return nodes;
}

std::vector<RRect> StudentTreesTest::layoutOf(int32_t root) {
    settle();
    std::vector<RRect> boxes;
    for (int32_t node : nodesOf(root)) {
        RRect box;
        EXPECT_EQ(tree().getNodeRect(node, box), kNoErr);
        boxes.push_back(box);
    }
    return boxes;
}

int32_t StudentTreesTest::header(int32_t attribute) {
    int32_t value = 0;
    EXPECT_EQ(tree().getValue(kHeaderRecord, attribute, value), kNoErr);
    return value;
}

std::string StudentTreesTest::fontName() {
    const CRString* face = nullptr;
    EXPECT_EQ(tree().getAnyString(kHeaderRecord, kHdrFontName, face), kNoErr);
    return face ? face->str() : std::string();
}
