#include "script/ScriptLineColouring.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Each coloured piece as "colour:text".
std::vector<std::string> pieces(const std::string& line) {
    static const char* const names[] = {"keyword", "constant", "number", "string",
                                        "comment", "native",   "hook",   "invalid"};
    std::vector<RScriptColourSpan> spans;
    colourScriptLine(line, spans);
    std::vector<std::string> out;
    for (const RScriptColourSpan& span : spans)
        out.push_back(std::string(names[static_cast<int>(span.colour)]) + ":" +
                      line.substr(span.start, span.length));
    return out;
}

using Pieces = std::vector<std::string>;

} // namespace

TEST(ScriptLineColouring, EachTokenKindGetsItsColourByTheScannersRules) {
    EXPECT_EQ(pieces("define function check"), (Pieces{"keyword:define", "keyword:function"}));
    EXPECT_EQ(pieces("  let c = red + bold"),
              (Pieces{"keyword:let", "constant:red", "constant:bold"}));
    EXPECT_EQ(pieces("x -12 3-1"), (Pieces{"number:-12", "number:3", "number:-1"}));
    EXPECT_EQ(pieces("say \"a # b\" # note"), (Pieces{"string:\"a # b\"", "comment:# note"}));
    EXPECT_EQ(pieces("set-color(n, blue)"), (Pieces{"native:set-color", "constant:blue"}));
    EXPECT_EQ(pieces("define function drag-completed(a, b)"),
              (Pieces{"keyword:define", "keyword:function", "hook:drag-completed"}));
    EXPECT_EQ(pieces("a_b ! x"), (Pieces{"invalid:_", "invalid:!"}));
}

TEST(ScriptLineColouring, WordsFollowTheScannerNotTheirLooks) {
    // Keywords and constants in lower case only; names ignore case for functions and hooks.
    EXPECT_EQ(pieces("If BLACK Open BEEP"), (Pieces{"hook:Open", "native:BEEP"}));
    // "variables" is a keyword, "variablesx" a name; a hyphen joins names, not keywords.
    EXPECT_EQ(pieces("variables variablesx end-if"), (Pieces{"keyword:variables"}));
    // An open literal runs to the end of the line, as the scanner reads it.
    EXPECT_EQ(pieces("let s = \"open"), (Pieces{"keyword:let", "string:\"open"}));
    // The bytes of an accented letter make one invalid piece.
    EXPECT_EQ(pieces("caf\xc3\xa9"), (Pieces{"invalid:\xc3\xa9"}));
    EXPECT_TRUE(pieces("").empty());
    EXPECT_EQ(pieces("#"), (Pieces{"comment:#"}));
}

TEST(ScriptLineColouring, Utf16LinesGiveThePositionsOfTheirCodeUnits) {
    const std::u16string line = u"\u00e9 if \"x\"";
    std::vector<RScriptColourSpan> spans;
    colourScriptLine(line.data(), line.size(), spans);
    ASSERT_EQ(spans.size(), 3u);
    EXPECT_EQ(spans[0].colour, RScriptColour::Invalid);
    EXPECT_EQ(spans[0].length, 1u);
    EXPECT_EQ(spans[1].start, 2u);
    EXPECT_EQ(spans[1].colour, RScriptColour::Keyword);
    EXPECT_EQ(spans[2].start, 5u);
    EXPECT_EQ(spans[2].length, 3u);
}
