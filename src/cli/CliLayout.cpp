#include "cli/CliLayout.h"

#include "base/ErrorReporter.h"
#include "cli/CliCommand.h"
#include "drawing/CPort.h"
#include "drawing/FixedMetricsDevice.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "storage/CTablet.h"

#include <iostream>
#include <sstream>

namespace {

// About a 10-point sans-serif face on a 96 dpi screen.
constexpr int32_t kDefaultCharacterWidth = 7;
constexpr int32_t kDefaultFontHeight = 13;
constexpr int32_t kLargestMetric = 10000;

bool parsePositive(const std::string& text, int32_t& value) {
    if (text.empty() || text.size() > 5)
        return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return value > 0 && value <= kLargestMetric;
}

bool parseMetrics(const std::string& text, int32_t& width, int32_t& height) {
    const std::size_t comma = text.find(',');
    return comma != std::string::npos && parsePositive(text.substr(0, comma), width) &&
           parsePositive(text.substr(comma + 1), height);
}

void printNode(CTree& tree, int32_t node, std::ostream& out) {
    const CTablet& cells = tree.tablet();
    const CRString* label = nullptr;
    tree.getLabel(node, label);
    const auto rectText = [&](int32_t first) {
        return std::to_string(cells.cell(node, first)) + "," +
               std::to_string(cells.cell(node, first + 1)) + "," +
               std::to_string(cells.cell(node, first + 2)) + "," +
               std::to_string(cells.cell(node, first + 3));
    };
    out << node << " " << (label ? label->str() : std::string())
        << " x=" << cells.cell(node, kAttrRelativeH) << " y=" << cells.cell(node, kAttrRelativeV)
        << " offset=" << cells.cell(node, kAttrXOffset) << " rect=" << rectText(kAttrNodeRectLeft)
        << " cum=" << rectText(kAttrCumulativeRectLeft) << "\n";
}

} // namespace

int layoutCommand(const std::vector<std::string>& arguments, std::ostream& out) {
    std::string path;
    int32_t width = kDefaultCharacterWidth;
    int32_t height = kDefaultFontHeight;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--fixed-metrics") {
            if (i + 1 >= arguments.size() || !parseMetrics(arguments[i + 1], width, height))
                return usageError("--fixed-metrics needs W,H (two positive whole numbers)");
            ++i;
        } else if (path.empty() && arguments[i].rfind("--", 0) != 0) {
            path = arguments[i];
        } else {
            return usageError("unexpected argument '" + arguments[i] + "'");
        }
    }
    if (path.empty())
        return usageError("layout needs a grammar or document file");

    std::unique_ptr<CTree> tree;
    if (!openAnyFile(path, tree))
        return kExitInputFault;
    FixedMetricsDevice device(width, height);
    device.setRecording(false);
    CPort port(&device);
    const CRString* face = nullptr;
    RErr err = tree->getAnyString(kHeaderRecord, kHdrFontName, face);
    if (!err)
        err = port.setFont(face->str(), tree->fontSize);
    if (!err)
        err = tree->setTreePort(&port);
    port.suspendDrawing();
    int32_t root = 0;
    if (!err)
        err = tree->getFirstRoot(root);
    for (; root != 0 && !err; err = tree->getNextRoot(root, root))
        err = tree->drawTree(root, true);
    // Written only once every tree is laid out, so a failure prints no partial listing.
    std::ostringstream listing;
    if (!err)
        err = tree->getFirstRoot(root);
    for (int32_t node = root; node != 0 && !err; err = tree->getNextNode(node, 0, node))
        printNode(*tree, node, listing);
    if (err)
        return inputFault(path, "The trees cannot be laid out (" + errorCodeText(err) + ").");
    out << listing.str();
    return kExitSuccess;
}

int runLayout(const std::vector<std::string>& arguments) {
    return layoutCommand(arguments, std::cout);
}
