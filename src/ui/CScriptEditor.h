#pragma once

#include <QPlainTextEdit>
#include <QTextCursor>

#include <memory>

class CLineNumberMargin;
class CScriptHighlighter;

// The script window's code editor: a monospaced plain-text field with line numbers in a
// margin, the caret's line highlighted, the script's own colouring applied to the lines in
// view, the error line of the last check marked, and line breaks of pasted text made line
// feeds. Lines are numbered from 0 in its interface, as compile errors count them.
class CScriptEditor : public QPlainTextEdit {
public:
    explicit CScriptEditor(QWidget* parent = nullptr);
    ~CScriptEditor() override;

    // The caret at the start of the line (clamped to the text), no selection, line in view.
    void placeCaretAtLine(int line);
    // The line at a height in the viewport, or -1 below the last line.
    int lineAt(int y) const;
    int lineCount() const { return blockCount(); }

    // The line marked in the margin, or -1; the mark follows its line through edits.
    void setErrorLine(int line);
    int errorLine() const;

    // Searches from the caret and wraps around once; selects the match. false: no match.
    bool findText(const QString& text, bool backwards, bool matchCase);

    // Colours the lines in view that are not coloured yet (done before every paint).
    void colourVisibleLines();
    CScriptHighlighter& highlighter() { return *theHighlighter; }

    // CR LF and lone CR become LF.
    static QString withLineFeeds(QString text);

    // For the margin.
    int marginWidth() const;
    void paintMargin(QWidget& margin, const QRect& rect);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void updateMarginWidth();
    void updateMargin(const QRect& rect, int dy);
    void highlightCaretLine();

    CLineNumberMargin* margin;
    std::unique_ptr<CScriptHighlighter> theHighlighter;
    QTextCursor errorMark;
};
