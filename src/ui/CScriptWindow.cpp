#include "ui/CScriptWindow.h"

#include "app/CommandIds.h"
#include "base/ErrorReporter.h"
#include "base/Platform.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "script/CScript.h"
#include "script/CompileErrors.h"
#include "storage/CRString.h"
#include "storage/CStringManager.h"
#include "ui/CAuthorMenus.h"
#include "ui/CLexicalItemsDialog.h"
#include "ui/CRamexApp.h"
#include "ui/CScriptEditor.h"
#include "ui/CScriptFindBar.h"
#include "ui/CTypingField.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QVBoxLayout>

namespace {

constexpr int32_t kScriptWindowCode = 74;

} // namespace

CScriptWindow::CScriptWindow(CRamexApp& application)
    : theRamexApp(application), theEditItem(new CScriptEditor), theFindBar(nullptr),
      statusLine(new QLabel), sizeWarning(new QLabel) {
    setWindowTitle(QStringLiteral("Script"));
    setGeometry(0, 0, 600, 400);
    auto* area = new QWidget(this);
    auto* column = new QVBoxLayout(area);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    theEditItem->setParent(area);
    theFindBar = new CScriptFindBar(*theEditItem, area);
    column->addWidget(theEditItem, 1);
    column->addWidget(theFindBar);
    statusLine->setParent(area);
    statusLine->setContentsMargins(6, 3, 6, 3);
    statusLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(statusLine);
    sizeWarning->setParent(area);
    sizeWarning->setContentsMargins(6, 3, 6, 3);
    sizeWarning->setWordWrap(true);
    sizeWarning->setStyleSheet(QStringLiteral("color: #b00000; background: #fff0f0;"));
    sizeWarning->hide();
    column->addWidget(sizeWarning);
    connect(theEditItem, &QPlainTextEdit::textChanged, this, [this] {
        checkStoredSize();
        markStatusStale();
    });
    setCentralWidget(area);
    CLexicalItemsDialog& editor = theRamexApp.lexicalItemsDialog();
    theTyping = new CTypingField(*theEditItem, editor.typingRuns(), [](RTypingField& field) {
        field.record = kHeaderRecord;
        field.attribute = kHdrScriptText;
        return kNoErr;
    });
    buildMenus();
    editor.attachAuthorWindow(kScriptWindowCode, *this);
}

void CScriptWindow::buildMenus() {
    theMenus = new CAuthorMenus(*menuBar(), *this, theRamexApp.lexicalItemsDialog());
    QMenu* script = menuBar()->addMenu(QStringLiteral("Script"));
    theMenus->addCommand(*script, kCommandCheckScript, QStringLiteral("Check Script"),
                         QKeySequence(), [this] { OnCheckScript(); });
    script->addSeparator();
    // The student window has its own Ctrl+F; this one works only while the script is in front.
    QAction* find = script->addAction(QStringLiteral("Find..."));
    find->setShortcut(QKeySequence::Find);
    connect(find, &QAction::triggered, this, [this] { OnFind(); });
    QAction* next = script->addAction(QStringLiteral("Find Next"));
    next->setShortcut(QKeySequence::FindNext);
    connect(next, &QAction::triggered, this, [this] { OnFindNext(false); });
    QAction* previous = script->addAction(QStringLiteral("Find Previous"));
    previous->setShortcut(QKeySequence::FindPrevious);
    connect(previous, &QAction::triggered, this, [this] { OnFindNext(true); });
    QAction* goToLine = script->addAction(QStringLiteral("Go to Line..."));
    goToLine->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    connect(goToLine, &QAction::triggered, this, [this] { OnGoToLine(); });
}

void CScriptWindow::newGrammarHasArrived() {
    QString text;
    CTree* grammar = theRamexApp.getCTree();
    const CRString* script = nullptr;
    if (grammar && !grammar->getMainString(kHeaderRecord, script) && script)
        text = QString::fromStdString(script->str());
    theTyping->showText(text, 0, 0);
    theEditItem->moveCursor(QTextCursor::Start);
    theEditItem->setErrorLine(-1);
    setStatus(QString(), false);
}

void CScriptWindow::updateFromEditor() {
    theMenus->updateEditItems(kCommandScript);
}

RErr CScriptWindow::showTypedText(int32_t record, int32_t attribute, const CRString* text,
                                  int32_t selectionStart, int32_t selectionEnd) {
    if (record != kHeaderRecord || attribute != kHdrScriptText)
        return reportError("CScriptWindow::showTypedText", kErrInvalidParameter);
    theTyping->showText(text, selectionStart, selectionEnd);
    return kNoErr;
}

void CScriptWindow::OnCheckScript() {
    CTree* grammar = theRamexApp.getCTree();
    if (grammar && grammar->script())
        grammar->script()->parseScript(false);
}

void CScriptWindow::OnFind() {
    theFindBar->open();
}

void CScriptWindow::OnFindNext(bool backwards) {
    if (theFindBar->searchField().text().isEmpty())
        theFindBar->open();
    else
        theFindBar->findNext(backwards);
}

void CScriptWindow::OnGoToLine() {
    const int count = theEditItem->lineCount();
    std::string answer;
    if (!currentPlatform().ask("Go to line (1 to " + std::to_string(count) + "):", answer))
        return;
    bool isNumber = false;
    const int line = QString::fromStdString(answer).trimmed().toInt(&isNumber);
    if (!isNumber || line < 1) {
        SystemBeep();
        return;
    }
    theEditItem->setFocus();
    theEditItem->placeCaretAtLine(line - 1);
}

QPlainTextEdit& CScriptWindow::textField() {
    return *theEditItem;
}

QString CScriptWindow::statusText() const {
    return statusLine->text();
}

QString CScriptWindow::sizeWarningText() const {
    return sizeWarning->isHidden() ? QString() : sizeWarning->text();
}

void CScriptWindow::checkStoredSize() {
    // A grammar file holds the script as one stored text, which has a fixed longest size; a
    // longer script stays in memory but the grammar cannot be saved until it is shorter.
    constexpr int kLongest = CStringManager::kMaxStoredTextBytes;
    qsizetype bytes = theEditItem->document()->characterCount();
    if (bytes * 3 > kLongest) // a UTF-16 unit takes at most three bytes
        bytes = theEditItem->toPlainText().toUtf8().size();
    if (bytes <= kLongest) {
        sizeWarning->hide();
        return;
    }
    sizeWarning->setText(QStringLiteral("The script is %1 bytes long: a grammar file holds at "
                                        "most %2 bytes of script, so the grammar cannot be saved "
                                        "until the script is shorter.")
                             .arg(bytes)
                             .arg(kLongest));
    sizeWarning->show();
}

void CScriptWindow::markStatusStale() {
    if (!statusIsCurrent)
        return;
    statusIsCurrent = false;
    statusLine->setText(statusLine->text() + QStringLiteral("  (checked before the last change)"));
    statusLine->setStyleSheet(QStringLiteral("color: #808080;"));
}

void CScriptWindow::setStatus(const QString& text, bool isError) {
    statusIsCurrent = !text.isEmpty();
    statusLine->setText(text);
    statusLine->setStyleSheet(isError ? QStringLiteral("color: #b00000;") : QString());
}

RErr CScriptWindow::reportParseError(int32_t parseErrorCode, int32_t parseErrorLine) {
    MessageRequest result;
    if (parseErrorCode == 0) {
        result.title = "Script result";
        result.text = "The script is syntactically well-formed.";
        theEditItem->setErrorLine(-1);
        setStatus(QString::fromStdString(result.text), false);
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
    theEditItem->setErrorLine(parseErrorLine);
    setStatus(QStringLiteral("Line %1: %2")
                  .arg(parseErrorLine + 1)
                  .arg(QString::fromStdString(result.text).simplified()),
              true);
    currentPlatform().showMessage(result);
    theEditItem->setFocus();
    theEditItem->placeCaretAtLine(parseErrorLine);
    return kNoErr;
}
