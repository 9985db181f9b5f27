// CTree's qtree export of a subtree.

#include "model/CTree.h"

#include "base/ErrorReporter.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"

// The qtree notation of a subtree, for LaTeX's qtree package. The walk keeps its own stack
// of open brackets, so a chain thousands of levels deep cannot exhaust the call stack.

namespace {

// Errors of the export are reported under the name the program has always used for them.
constexpr const char* kQTreeReportName = "CTree::catchLostNodes";

} // namespace

RErr CTree::makeQTreeForThisNodeAndBelow(int32_t node, std::string& text) {
    RErr err = validateNodeWithError(node);
    std::vector<int32_t> open; // nodes whose "[." still waits for its "] "
    int32_t current = node;
    bool done = false;
    while (!err && !done) {
        int32_t daughter = 0;
        int32_t triangle = 0;
        const CRString* label = nullptr;
        const CRString* subscript = nullptr;
        err = getLeftmostDaughter(current, daughter);
        if (!err)
            err = getValue(current, kAttrTriangle, triangle);
        if (!err)
            err = getLabel(current, label);
        if (!err)
            err = getSubscript(current, subscript);
        const bool opens = daughter != 0 && triangle == 0;
        if (!err && opens)
            text += "[.";
        if (!err && triangle != 0) {
            std::unique_ptr<CRString> leaves;
            err = subtreeTerminalString(current, leaves);
            if (!err) {
                text += "\\qroof{";
                text += leaves ? leaves->getStringValue() : "";
                text += "}.";
            }
        }
        if (err)
            break;
        text += label->getStringValue();
        if (subscript->byteLength() > 0) {
            text += "_";
            text += subscript->getStringValue();
        }
        text += " ";
        if (opens) {
            open.push_back(current);
            current = daughter;
            continue;
        }
        // The node is finished: go on with its next sister, closing every bracket whose last
        // daughter this was.
        while (!err) {
            if (open.empty()) {
                done = true;
                break;
            }
            int32_t sister = 0;
            err = getNextSister(current, sister);
            if (!err && sister != 0) {
                current = sister;
                break;
            }
            current = open.back();
            open.pop_back();
            text += "] ";
        }
    }
    if (err)
        bug(kQTreeReportName, err);
    return err;
}
