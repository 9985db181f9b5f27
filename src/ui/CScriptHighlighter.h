#pragma once

#include <QTextCharFormat>
#include <QTextDocument>

#include <array>

class QTextBlock;

// Colours a script's lines as they come into view, one block at a time, so a script of any
// length opens and scrolls at once. The pieces come from the script's own lexical rules
// (colourScriptLine). A changed line loses its colours until it is shown again.
class CScriptHighlighter {
public:
    explicit CScriptHighlighter(QTextDocument& document);

    // Colours the block unless it already is; lines longer than kLongestColouredLine stay
    // plain, since a single line of that size is data, not code.
    void colourBlock(QTextBlock block);
    bool isColoured(const QTextBlock& block) const;
    // The format of a colour kind (RScriptColour), for tests and the legend.
    const QTextCharFormat& format(int colour) const { return formats.at(colour); }

    static constexpr int kLongestColouredLine = 20000;

private:
    void forgetColours(int position, int charsAdded);

    QTextDocument& theDocument;
    std::array<QTextCharFormat, 8> formats;
};
