#pragma once

#include <QWidget>

class CScriptEditor;
class QCheckBox;
class QLabel;
class QLineEdit;

// The bar under the script editor that Ctrl+F opens: a search field, Next and Previous, a
// Match Case box and a note when nothing matches. Escape closes it and returns to the text.
class CScriptFindBar : public QWidget {
public:
    explicit CScriptFindBar(CScriptEditor& editor, QWidget* parent = nullptr);

    // Shows the bar with the editor's selection (when it is on one line) as the search text.
    void open();
    void close();
    // false (and a note) when nothing matches.
    bool findNext(bool backwards);
    QLineEdit& searchField() { return *field; }
    QCheckBox& matchCaseBox() { return *matchCase; }
    QString note() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    CScriptEditor& theEditor;
    QLineEdit* field;
    QCheckBox* matchCase;
    QLabel* noteLabel;
};
