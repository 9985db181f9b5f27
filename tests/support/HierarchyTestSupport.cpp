#include "support/HierarchyTestSupport.h"

#include "model/LoadedDatabaseCheck.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"

#include <vector>

namespace {

constexpr int32_t kTestLabelCreatorTag = 1;

bool isShapeDelimiter(char c) {
    return c == '(' || c == ')' || c == ' ';
}

} // namespace

RErr buildTree(CTree& tree, const std::string& shape, int32_t& root,
               std::map<std::string, int32_t>& nodes) {
    root = 0;
    std::vector<int32_t> mothers; // the open parentheses
    int32_t last = 0;
    RErr err = kNoErr;
    for (std::size_t i = 0; i < shape.size() && !err;) {
        const char c = shape[i];
        if (c == '(') {
            mothers.push_back(last);
            ++i;
        } else if (c == ')') {
            mothers.pop_back();
            ++i;
        } else if (c == ' ') {
            ++i;
        } else {
            std::size_t end = i;
            while (end < shape.size() && !isShapeDelimiter(shape[end]))
                ++end;
            const std::string label = shape.substr(i, end - i);
            i = end;
            int32_t node = 0;
            err = mothers.empty() ? tree.newRoot(node)
                                  : tree.newDaughterToRight(mothers.back(), node);
            if (!err) {
                const CRString text(label, kTestLabelCreatorTag);
                err = tree.setMainString(node, text);
            }
            if (!err && root == 0)
                root = node;
            nodes[label] = node;
            last = node;
        }
    }
    return err;
}

std::string describeTree(CTree& tree, int32_t node) {
    const CRString* label = nullptr;
    EXPECT_EQ(tree.getLabel(node, label), kNoErr);
    std::string text = label ? label->str() : "<null>";
    int32_t daughter = 0;
    EXPECT_EQ(tree.getLeftmostDaughter(node, daughter), kNoErr);
    if (daughter == 0)
        return text;
    text += "(";
    for (bool first = true; daughter != 0; first = false) {
        int32_t mother = 0;
        EXPECT_EQ(tree.getMother(daughter, mother), kNoErr);
        if (mother != node)
            return text + "<daughter " + std::to_string(daughter) + " has another mother>";
        text += (first ? "" : " ") + describeTree(tree, daughter);
        EXPECT_EQ(tree.getNextSister(daughter, daughter), kNoErr);
    }
    return text + ")";
}

std::string describeRootList(CTree& tree) {
    std::string text;
    int32_t root = 0;
    EXPECT_EQ(tree.getFirstRoot(root), kNoErr);
    for (int guard = 0; root != 0 && guard < 1000; ++guard) {
        text += (text.empty() ? "" : " | ") + describeTree(tree, root);
        EXPECT_EQ(tree.getNextRoot(root, root), kNoErr);
    }
    return text;
}

RErr buildChain(CTree& tree, int32_t depth, int32_t& root, int32_t& deepest) {
    RErr err = tree.newRoot(root);
    deepest = root;
    for (int32_t level = 1; level < depth && !err; ++level) {
        int32_t node = 0;
        err = tree.newRecord(node, kRecordNode);
        if (!err)
            err = tree.dataTask(node, kAttrMother, deepest);
        if (!err)
            err = tree.dataTask(deepest, kAttrLeftmostDaughter, node);
        if (!err)
            err = tree.dataTask(node, kAttrColor, 1);
        if (!err)
            deepest = node;
    }
    return err;
}

int32_t countWalk(CTree& tree, int32_t start, int32_t haltNode) {
    int32_t count = 0;
    for (int32_t node = start; node != 0; ++count)
        if (tree.getNextNode(node, haltNode, node) != kNoErr)
            return -1;
    return count;
}

int32_t countAllNodes(CTree& tree) {
    int32_t first = 0;
    EXPECT_EQ(tree.getFirstRoot(first), kNoErr);
    return countWalk(tree, first, 0);
}

int32_t categoryNamed(CTree& tree, const std::string& name) {
    int32_t category = -1;
    EXPECT_EQ(tree.convertCategoryLabelToIndex(CRString(name, 1), category), kNoErr);
    return category;
}

std::string cellText(CTree& tree, int32_t record, int32_t attribute) {
    const CRString* text = nullptr;
    EXPECT_EQ(tree.getAnyString(record, attribute, text), kNoErr);
    return text ? text->str() : "<null>";
}

::testing::AssertionResult databaseIsSound(CTree& tree) {
    const RErr err = checkLoadedDatabase(tree.tablet(), tree.stringManager());
    if (err)
        return ::testing::AssertionFailure() << "the database check gives " << err;
    return ::testing::AssertionSuccess();
}
