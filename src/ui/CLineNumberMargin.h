#pragma once

#include <QWidget>

class CScriptEditor;

// The editor's left margin: the number of every visible line (counted from 1) and the mark
// of the line where the last check found an error.
class CLineNumberMargin : public QWidget {
public:
    explicit CLineNumberMargin(CScriptEditor& editor);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    CScriptEditor& theEditor;
};
