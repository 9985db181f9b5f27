#pragma once

#include "base/ErrorCodes.h"

#include <QMainWindow>

#include <cstdint>

class CRamexApp;
class QPlainTextEdit;

// The author's view of the grammar's script, with Check Script. The text lives in the
// grammar (record 1's main string), so the field shows it and edits arrive with the typing
// machinery; until then the field is read-only, so nothing typed here can be lost.
class CScriptWindow : public QMainWindow {
public:
    explicit CScriptWindow(CRamexApp& application);

    void newGrammarHasArrived();
    void OnCheckScript();
    RErr reportParseError(int32_t parseErrorCode, int32_t parseErrorLine);
    QPlainTextEdit& textField() { return *field; }

private:
    CRamexApp& theRamexApp;
    QPlainTextEdit* field;
};
