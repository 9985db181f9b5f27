#pragma once

#include "base/ErrorCodes.h"
#include "ui/RAuthorWindow.h"

#include <QMainWindow>

#include <cstdint>

class CAuthorMenus;
class CRamexApp;
class CTypingField;
class CScriptEditor;
class CScriptFindBar;
class QLabel;
class QPlainTextEdit;

// The author's editor for the grammar's script (record 1's main string): a code editor, a
// find bar, a status line with the result of the last check, and the Script menu with
// Check Script, Find and Go to Line. Checking happens only when the author asks. The text is
// typed into the grammar as the lexicon editor's typing runs; File, Edit and Windows are the
// author windows' shared menus.
class CScriptWindow : public QMainWindow, public RAuthorWindow {
public:
    explicit CScriptWindow(CRamexApp& application);

    // Shows the grammar's script, caret at the start, without starting a typing step.
    void newGrammarHasArrived();
    void OnCheckScript();
    void OnFind();
    void OnFindNext(bool backwards);
    void OnGoToLine();
    // Shows a check's result: a message box, the status line and, for an error, the caret
    // at the start of the line (0-based) and the mark in the margin.
    RErr reportParseError(int32_t parseErrorCode, int32_t parseErrorLine);

    CScriptEditor& editor() { return *theEditItem; }
    QPlainTextEdit& textField();
    CScriptFindBar& findBar() { return *theFindBar; }
    QString statusText() const;
    CAuthorMenus& menus() { return *theMenus; }

    // The lexicon editor's redraw and its typing notifications.
    void updateFromEditor() override;
    RErr showTypedText(int32_t record, int32_t attribute, const CRString* text,
                       int32_t selectionStart, int32_t selectionEnd) override;
    // The warning shown while the script is too long to be saved, or "".
    QString sizeWarningText() const;

private:
    void buildMenus();
    void setStatus(const QString& text, bool isError);
    void checkStoredSize();
    // The last check's result no longer describes the text.
    void markStatusStale();

    CRamexApp& theRamexApp;
    CScriptEditor* theEditItem;
    CScriptFindBar* theFindBar;
    QLabel* statusLine;
    QLabel* sizeWarning;
    bool statusIsCurrent = false;
    CAuthorMenus* theMenus = nullptr;
    CTypingField* theTyping = nullptr;
};
