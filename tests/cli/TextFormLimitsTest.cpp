// A point in the text form must lie where a document can hold it; the refusal names the line.
#include "cli/GrammarTextReader.h"
#include "model/CTree.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

TEST(TextFormLimits, ATreePointOutsideTheDrawingRangeIsRefusedOnItsLine) {
    struct Case {
        const char* point;
        const char* error; // nullptr: read
    };
    const Case cases[] = {
        {"0 0", nullptr},
        {"10000000 -10000000", nullptr},
        {"0 -2147483648", "g.rgt:3: bad vertical position '-2147483648'"},
        {"10000001 0", "g.rgt:3: position out of range (at most 10000000 either way)"},
        {"0 -10000001", "g.rgt:3: position out of range (at most 10000000 either way)"},
        {"-999999999 5", "g.rgt:3: position out of range (at most 10000000 either way)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.point);
        RecordingPlatformScope platform;
        const std::string text = std::string("categories: N\n\ntree @ ") + c.point + ": [N a]\n";
        std::unique_ptr<CTree> tree;
        RTextError error;
        const bool read = GrammarTextReader(RTextTarget::Document, ".").read(text, tree, error);
        if (!c.error) {
            EXPECT_TRUE(read) << error.describe("g.rgt");
            EXPECT_NE(tree, nullptr);
        } else {
            EXPECT_FALSE(read);
            EXPECT_EQ(tree, nullptr);
            EXPECT_EQ(error.describe("g.rgt"), c.error);
        }
        EXPECT_TRUE(platform.recorder.calls().empty());
    }
}
