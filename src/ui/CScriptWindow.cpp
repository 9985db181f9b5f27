#include "ui/CScriptWindow.h"

#include "app/CommandIds.h"
#include "base/ErrorReporter.h"
#include "base/Platform.h"
#include "model/CTree.h"
#include "script/CScript.h"
#include "script/CompileErrors.h"
#include "storage/CRString.h"
#include "ui/CRamexApp.h"

#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextBlock>

namespace {

constexpr int32_t kHeaderRecord = 1;

} // namespace

CScriptWindow::CScriptWindow(CRamexApp& application)
    : theRamexApp(application), field(new QPlainTextEdit(this)) {
    setWindowTitle(QStringLiteral("Script"));
    setGeometry(0, 0, 600, 400);
    field->setReadOnly(true);
    field->setLineWrapMode(QPlainTextEdit::NoWrap);
    field->setTabStopDistance(field->fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 4);
    setCentralWidget(field);
    QMenu* script = menuBar()->addMenu(QStringLiteral("Script"));
    QAction* check = script->addAction(QStringLiteral("Check Script"));
    check->setData(kCommandCheckScript);
    connect(check, &QAction::triggered, this, [this] { OnCheckScript(); });
}

void CScriptWindow::newGrammarHasArrived() {
    QString text;
    CTree* grammar = theRamexApp.getCTree();
    const CRString* script = nullptr;
    if (grammar && !grammar->getMainString(kHeaderRecord, script) && script)
        text = QString::fromStdString(script->str());
    field->setPlainText(text);
    field->moveCursor(QTextCursor::Start);
}

void CScriptWindow::OnCheckScript() {
    CTree* grammar = theRamexApp.getCTree();
    if (grammar && grammar->script())
        grammar->script()->parseScript(false);
}

RErr CScriptWindow::reportParseError(int32_t parseErrorCode, int32_t parseErrorLine) {
    MessageRequest result;
    if (parseErrorCode == 0) {
        result.title = "Script result";
        result.text = "The script is syntactically well-formed.";
        currentPlatform().showMessage(result);
        return kNoErr;
    }
    if (parseErrorCode < 0 || parseErrorCode > kHighestCompileError) {
        bug("Internal error: Ramex sent itself an invalid error code. Please report this bug. "
            "(CScriptWindow::reportParseError)",
            kNoErr);
        return kNoErr;
    }
    result.title = "Script error";
    result.text = compileErrorText(parseErrorCode);
    currentPlatform().showMessage(result);
    field->setFocus();
    const QTextBlock line = field->document()->findBlockByNumber(parseErrorLine);
    if (line.isValid()) {
        QTextCursor caret(line);
        field->setTextCursor(caret);
        field->ensureCursorVisible();
    }
    return kNoErr;
}
