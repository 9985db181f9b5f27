#include "ui/CScriptEditor.h"

#include "ui/CLineNumberMargin.h"
#include "ui/CScriptHighlighter.h"

#include <QFontDatabase>
#include <QMimeData>
#include <QPainter>
#include <QTextBlock>

namespace {

constexpr int kTabStopInCharacters = 4; // 16 dialog units: four average characters
const QColor kCaretLineColour(0xf2, 0xf6, 0xff);
const QColor kMarginColour(0xee, 0xee, 0xee);
const QColor kNumberColour(0x80, 0x80, 0x80);
const QColor kErrorColour(0xd0, 0x20, 0x20);

} // namespace

CScriptEditor::CScriptEditor(QWidget* parent)
    : QPlainTextEdit(parent), margin(new CLineNumberMargin(*this)),
      theHighlighter(std::make_unique<CScriptHighlighter>(*document())) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    setFont(font);
    setTabStopDistance(fontMetrics().horizontalAdvance(QLatin1Char(' ')) * kTabStopInCharacters);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    // Undo and redo belong to the grammar's history, which the typing runs go into.
    setUndoRedoEnabled(false);
    connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { updateMarginWidth(); });
    connect(this, &QPlainTextEdit::updateRequest, this,
            [this](const QRect& rect, int dy) { updateMargin(rect, dy); });
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] { highlightCaretLine(); });
    updateMarginWidth();
    highlightCaretLine();
}

CScriptEditor::~CScriptEditor() = default;

QString CScriptEditor::withLineFeeds(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

void CScriptEditor::placeCaretAtLine(int line) {
    QTextBlock block = document()->findBlockByNumber(qBound(0, line, blockCount() - 1));
    QTextCursor caret(block);
    setTextCursor(caret);
    centerCursor();
}

int CScriptEditor::lineAt(int y) const {
    QTextBlock block = firstVisibleBlock();
    const QPointF offset = contentOffset();
    while (block.isValid()) {
        const QRectF box = blockBoundingGeometry(block).translated(offset);
        if (y < box.bottom())
            return y >= box.top() ? block.blockNumber() : -1;
        block = block.next();
    }
    return -1;
}

void CScriptEditor::setErrorLine(int line) {
    if (line < 0 || line >= blockCount())
        errorMark = QTextCursor();
    else
        errorMark = QTextCursor(document()->findBlockByNumber(line));
    margin->update();
}

int CScriptEditor::errorLine() const {
    return errorMark.isNull() ? -1 : errorMark.blockNumber();
}

bool CScriptEditor::findText(const QString& text, bool backwards, bool matchCase) {
    if (text.isEmpty())
        return false;
    QTextDocument::FindFlags flags;
    if (backwards)
        flags |= QTextDocument::FindBackward;
    if (matchCase)
        flags |= QTextDocument::FindCaseSensitively;
    if (find(text, flags))
        return true;
    // Round the end of the text once.
    const QTextCursor before = textCursor();
    QTextCursor wrap(document());
    wrap.movePosition(backwards ? QTextCursor::End : QTextCursor::Start);
    setTextCursor(wrap);
    if (find(text, flags))
        return true;
    setTextCursor(before);
    return false;
}

void CScriptEditor::colourVisibleLines() {
    const int bottom = viewport()->height();
    const QPointF offset = contentOffset();
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        if (blockBoundingGeometry(block).translated(offset).top() > bottom)
            break;
        theHighlighter->colourBlock(block);
    }
}

int CScriptEditor::marginWidth() const {
    int digits = 1;
    for (int count = qMax(1, blockCount()); count >= 10; count /= 10)
        ++digits;
    // Room for the error mark on the left, then the digits.
    return fontMetrics().height() + fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits + 6;
}

void CScriptEditor::paintMargin(QWidget& marginWidget, const QRect& rect) {
    QPainter painter(&marginWidget);
    painter.fillRect(rect, kMarginColour);
    const int markedLine = errorLine();
    const int caretLine = textCursor().blockNumber();
    const QPointF offset = contentOffset();
    const int width = marginWidget.width();
    const int markSize = fontMetrics().height() - 4;
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF box = blockBoundingGeometry(block).translated(offset);
        if (box.top() > rect.bottom())
            break;
        if (box.bottom() < rect.top() || !block.isVisible())
            continue;
        const int top = static_cast<int>(box.top());
        const int number = block.blockNumber();
        if (number == markedLine) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(kErrorColour);
            painter.drawEllipse(QRect(2, top + 2, markSize, markSize));
        }
        QFont numberFont = font();
        numberFont.setBold(number == caretLine);
        painter.setFont(numberFont);
        painter.setPen(number == markedLine ? kErrorColour : kNumberColour);
        painter.drawText(QRect(0, top, width - 4, fontMetrics().height()), Qt::AlignRight,
                         QString::number(number + 1));
    }
}

void CScriptEditor::paintEvent(QPaintEvent* event) {
    colourVisibleLines();
    QPlainTextEdit::paintEvent(event);
}

void CScriptEditor::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    const QRect area = contentsRect();
    margin->setGeometry(QRect(area.left(), area.top(), marginWidth(), area.height()));
}

void CScriptEditor::insertFromMimeData(const QMimeData* source) {
    // Pasted and dropped text is stored with line feeds only, as the scanner reads it.
    if (source && source->hasText())
        insertPlainText(withLineFeeds(source->text()));
}

void CScriptEditor::updateMarginWidth() {
    setViewportMargins(marginWidth(), 0, 0, 0);
    const QRect area = contentsRect();
    margin->setGeometry(QRect(area.left(), area.top(), marginWidth(), area.height()));
}

void CScriptEditor::updateMargin(const QRect& rect, int dy) {
    if (dy)
        margin->scroll(0, dy);
    else
        margin->update(0, rect.y(), margin->width(), rect.height());
}

void CScriptEditor::highlightCaretLine() {
    QTextEdit::ExtraSelection line;
    line.format.setBackground(kCaretLineColour);
    line.format.setProperty(QTextFormat::FullWidthSelection, true);
    line.cursor = textCursor();
    line.cursor.clearSelection();
    setExtraSelections({line});
    margin->update();
}
