#include "ui/CScriptHighlighter.h"

#include "script/ScriptLineColouring.h"

#include <QColor>
#include <QTextBlock>
#include <QTextLayout>

#include <vector>

namespace {

// Block user states: a fresh or changed block is -1.
constexpr int kColouredState = 1;
constexpr int kUncolouredState = -1;

QTextCharFormat foreground(const QColor& colour, bool bold = false, bool italic = false) {
    QTextCharFormat format;
    format.setForeground(colour);
    if (bold)
        format.setFontWeight(QFont::Bold);
    format.setFontItalic(italic);
    return format;
}

} // namespace

CScriptHighlighter::CScriptHighlighter(QTextDocument& document) : theDocument(document) {
    formats[static_cast<int>(RScriptColour::Keyword)] = foreground(QColor(0x00, 0x00, 0xa0), true);
    formats[static_cast<int>(RScriptColour::NamedConstant)] = foreground(QColor(0x80, 0x00, 0x80));
    formats[static_cast<int>(RScriptColour::Number)] = foreground(QColor(0x00, 0x70, 0x70));
    formats[static_cast<int>(RScriptColour::String)] = foreground(QColor(0xa0, 0x40, 0x00));
    formats[static_cast<int>(RScriptColour::Comment)] =
        foreground(QColor(0x60, 0x80, 0x60), false, true);
    formats[static_cast<int>(RScriptColour::NativeFunction)] = foreground(QColor(0x00, 0x60, 0xc0));
    formats[static_cast<int>(RScriptColour::Hook)] = foreground(QColor(0xb0, 0x00, 0x60), true);
    QTextCharFormat invalid = foreground(QColor(0xd0, 0x00, 0x00));
    invalid.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    invalid.setUnderlineColor(QColor(0xd0, 0x00, 0x00));
    formats[static_cast<int>(RScriptColour::Invalid)] = invalid;
    QObject::connect(
        &theDocument, &QTextDocument::contentsChange, &theDocument,
        [this](int position, int /*removed*/, int added) { forgetColours(position, added); });
}

bool CScriptHighlighter::isColoured(const QTextBlock& block) const {
    return block.userState() == kColouredState;
}

void CScriptHighlighter::forgetColours(int position, int charsAdded) {
    QTextBlock block = theDocument.findBlock(position);
    const QTextBlock last = theDocument.findBlock(position + charsAdded);
    while (block.isValid()) {
        block.setUserState(kUncolouredState);
        if (block == last)
            break;
        block = block.next();
    }
}

void CScriptHighlighter::colourBlock(QTextBlock block) {
    if (!block.isValid() || isColoured(block))
        return;
    block.setUserState(kColouredState);
    QList<QTextLayout::FormatRange> ranges;
    if (block.length() <= kLongestColouredLine) {
        const QString text = block.text();
        std::vector<RScriptColourSpan> spans;
        colourScriptLine(reinterpret_cast<const char16_t*>(text.utf16()),
                         static_cast<std::size_t>(text.size()), spans);
        ranges.reserve(static_cast<qsizetype>(spans.size()));
        for (const RScriptColourSpan& span : spans) {
            QTextLayout::FormatRange range;
            range.start = static_cast<int>(span.start);
            range.length = static_cast<int>(span.length);
            range.format = formats.at(static_cast<std::size_t>(span.colour));
            ranges.append(range);
        }
    }
    QTextLayout* layout = block.layout();
    if (ranges.isEmpty() && layout->formats().isEmpty())
        return;
    layout->setFormats(ranges);
    // Lays the block out again with its colours, without counting as a change of the text.
    theDocument.markContentsDirty(block.position(), block.length());
}
