// CScript's interpreter: function calls, statements and expressions, within the step budget.

#include "script/CScript.h"

#include "base/CRepeatedReports.h"
#include "base/ErrorReporter.h"
#include "base/Platform.h"
#include "model/CTree.h"
#include "script/CMiddleInterface.h"
#include "script/CScriptNode.h"
#include "script/CStackFrame.h"
#include "script/CSymbol.h"
#include "script/ScriptTokens.h"
#include "storage/CRString.h"
#include "storage/CStringManager.h"
#include "undo/CUndoStructure.h"
#include "undo/CVariableTask.h"

#include <algorithm>
#include <array>
#include <limits>
#include <new>
#include <optional>
#include <vector>

// A script's recursion is recursion of the functions below: every level of script calls costs
// as many machine frames as the evaluation passes through, and once the processor's return
// stack is exhausted every one of their returns is mispredicted. The statements and the
// common expressions are therefore run inside evaluateNumber itself, with the helpers folded
// in (always_inline) and the rare cases kept out (noinline), and values travel as plain
// numbers wherever a number is all that can be seen of them.

namespace {

constexpr int32_t kValueCreatorTag = 130;
// The tree area, as getWhereIsTree reports it; trees elsewhere belong to the lexicon.
constexpr int32_t kTreeArea = 2;

// The binary operators, numbered densely: the kind is looked up once, not tested against each.
enum ROperator : uint8_t {
    kNoOperator,
    kOpJoin, // "&"
    kOpTextEqual,
    kOpTextNotEqual,
    kOpAdd,
    kOpSubtract,
    kOpMultiply,
    kOpDivide,
    kOpRemainder,
    kOpGreater,
    kOpLess,
    kOpGreaterOrEqual,
    kOpLessOrEqual,
    kOpEqual,
    kOpNotEqual,
    kOpAnd,
    kOpOr,
};

constexpr int32_t kHighestKind = tRETURN;

constexpr std::array<ROperator, kHighestKind + 1> makeOperatorTable() {
    std::array<ROperator, kHighestKind + 1> table{};
    table['&'] = kOpJoin;
    table[tSTRING_EQUAL] = kOpTextEqual;
    table[tSTRING_NOT_EQUAL] = kOpTextNotEqual;
    table['+'] = kOpAdd;
    table['-'] = kOpSubtract;
    table['*'] = kOpMultiply;
    table['/'] = kOpDivide;
    table['%'] = kOpRemainder;
    table['>'] = kOpGreater;
    table['<'] = kOpLess;
    table[tGE] = kOpGreaterOrEqual;
    table[tLE] = kOpLessOrEqual;
    table['='] = kOpEqual;
    table[tNE] = kOpNotEqual;
    table[tAND] = kOpAnd;
    table[tOR] = kOpOr;
    return table;
}

constexpr std::array<ROperator, kHighestKind + 1> kOperators = makeOperatorTable();

ROperator operatorOf(int32_t kind) {
    return kind >= 0 && kind <= kHighestKind ? kOperators[static_cast<std::size_t>(kind)]
                                             : kNoOperator;
}

bool isBinaryOperator(int32_t kind) {
    return operatorOf(kind) != kNoOperator;
}

// A literal, or a variable or parameter read.
bool isLeafKind(int32_t kind) {
    return kind == kNodeLiteral || kind == kNodeVariable || kind == kNodeParameter;
}

// Operators that read their operands as texts; every other binary operator reads numbers.
bool readsTexts(ROperator op) {
    return op == kOpJoin || op == kOpTextEqual || op == kOpTextNotEqual;
}

// Kinds whose value, whenever they succeed, holds a number and nothing else, so that the
// number alone can stand for the value.
bool yieldsNumber(int32_t kind) {
    const ROperator op = operatorOf(kind);
    return (op != kNoOperator && op != kOpJoin) || kind == kNodeNot || kind == kNodeTrue ||
           kind == kNodeFalse;
}

// A chain of one operator on numbers, the commonest: its operands are read as numbers only.
// When a value is wanted, neither operand may be able to leave the function: the value would
// then be the first operand's whole value, text and all, and it would be seen.
bool isOneNumberOperator(const CScriptNode& expression, bool valueWanted) {
    const CScriptNode* first = expression.left();
    return first && expression.right() && !isBinaryOperator(first->kind()) &&
           !readsTexts(operatorOf(expression.kind())) &&
           (!valueWanted || !expression.canLeaveFunction());
}

bool isTrue(const CRString& value) {
    return CScript::trueValue(value) != 0;
}

bool isTrue(int32_t number) {
    return number != 0;
}

// Reading the number of a text keeps the number in it; a copy is read instead, so that a
// variable read stays a read.
[[gnu::noinline]] int32_t numberOfCopy(const CRString& stored) {
    return CRString(stored).getNumericValue();
}

// The number of a stored value, leaving the stored value as it is.
int32_t numberOf(const CRString& stored) {
    if (stored.hasNumericValue())
        return stored.getNumericValue();
    return stored.hasValue() ? numberOfCopy(stored) : 0;
}

// Hands every form of from over to to, leaving from without value; a plain number goes
// across without moving text buffers.
void moveValue(CRString& from, CRString& to) {
    if (from.hasNumericValue() && !from.hasUniversalString() && !from.hasPlatformString()) {
        to.setNumericValue(from.getNumericValue());
        from.clearValue();
        return;
    }
    to.takeValue(from);
}

CRString numberValue(int32_t number) {
    CRString value(kValueCreatorTag);
    value.setNumericValue(number);
    return value;
}

// Wrapping 32-bit arithmetic through unsigned numbers, where overflow is defined.
int32_t wrap(uint32_t bits) {
    return static_cast<int32_t>(bits);
}

int32_t quotient(int32_t a, int32_t b) {
    if (b == 0)
        return 0;
    // The one quotient that does not fit: it wraps to the most negative number.
    if (a == std::numeric_limits<int32_t>::min() && b == -1)
        return a;
    return a / b;
}

int32_t remainder(int32_t a, int32_t b) {
    if (b == 0 || b == -1)
        return 0;
    return a % b;
}

// A binary operator that reads numbers; false when op is not one of them.
[[gnu::always_inline]] inline bool applyNumbers(ROperator op, int32_t a, int32_t b,
                                                int32_t& result) {
    const auto ua = static_cast<uint32_t>(a);
    const auto ub = static_cast<uint32_t>(b);
    switch (op) {
    case kOpAdd:
        result = wrap(ua + ub);
        return true;
    case kOpSubtract:
        result = wrap(ua - ub);
        return true;
    case kOpMultiply:
        result = wrap(ua * ub);
        return true;
    case kOpDivide:
        result = quotient(a, b);
        return true;
    case kOpRemainder:
        result = remainder(a, b);
        return true;
    case kOpGreater:
        result = a > b;
        return true;
    case kOpLess:
        result = a < b;
        return true;
    case kOpGreaterOrEqual:
        result = a >= b;
        return true;
    case kOpLessOrEqual:
        result = a <= b;
        return true;
    case kOpEqual:
        result = a == b;
        return true;
    case kOpNotEqual:
        result = a != b;
        return true;
    case kOpAnd:
        result = a != 0 && b != 0;
        return true;
    case kOpOr:
        result = a != 0 || b != 0;
        return true;
    default:
        return false;
    }
}

RErr badOperator() {
    bug("CScript::evaluateArithmeticOperatorExpression: bad operator (internal error).", 0);
    return kErrGeneral;
}

RErr unexpectedStatement() {
    bug("CScript::executeStatement: got an unexpected statement type.", 0);
    return kErrGeneral;
}

RErr unexpectedKind() {
    bug("Bug (in Ramex, not in the script): Unexpected statement type.", 0);
    return kErrGeneral;
}

// Counts statements and expressions nested inside one another while they run.
class NestingLevel {
public:
    explicit NestingLevel(int32_t& level) : theLevel(level) { ++theLevel; }
    ~NestingLevel() { --theLevel; }
    NestingLevel(const NestingLevel&) = delete;
    NestingLevel& operator=(const NestingLevel&) = delete;

private:
    int32_t& theLevel;
};

// A callee frame taken from the pool for the length of one call, and emptied when the call
// ends, so that the next call at this level starts with empty slots as a new frame does.
class PooledFrame {
public:
    PooledFrame(std::vector<std::unique_ptr<CStackFrame>>& pool, int32_t& inUse, int32_t size)
        : framesInUse(inUse) {
        const auto level = static_cast<std::size_t>(framesInUse);
        if (level == pool.size())
            pool.push_back(std::make_unique<CStackFrame>(size));
        else
            pool[level]->resize(size);
        theFrame = pool[level].get();
        ++framesInUse;
    }
    ~PooledFrame() {
        theFrame->clear();
        --framesInUse;
    }
    PooledFrame(const PooledFrame&) = delete;
    PooledFrame& operator=(const PooledFrame&) = delete;

    CStackFrame& frame() { return *theFrame; }

private:
    int32_t& framesInUse;
    CStackFrame* theFrame = nullptr;
};

} // namespace

int32_t CScript::trueValue(const CRString& value) {
    return value.getNumericValue() != 0 ? 1 : 0;
}

void CScript::setStepBudget(int64_t budget) {
    // The steps already taken stay taken; a stopped call stays stopped.
    const int64_t remaining =
        stopped ? 0 : std::max<int64_t>(0, stepsLeft + stepsInReserve + budget - stepBudget);
    stepsLeft = std::min(remaining, kStepsBetweenChecks);
    stepsInReserve = remaining - stepsLeft;
    stepBudget = budget;
}

void CScript::stopCall(RStopReason reason) {
    if (!stopped)
        stopReason = reason;
    stopped = true;
    stepsLeft = 0;
    stepsInReserve = 0;
}

bool CScript::checkBudgets() {
    if (stopped)
        return false;
    if (stepsInReserve <= 0) {
        stopCall(RStopReason::kTooLong);
        return false;
    }
    const auto elapsed = std::chrono::steady_clock::now() - callStarted;
    if (elapsed >= std::chrono::milliseconds(timeLimitMilliseconds)) {
        stopCall(RStopReason::kTooLong);
        return false;
    }
    checkGrowth();
    if (stopped)
        return false;
    // This step is the first of the next stretch.
    const int64_t stretch = std::min(stepsInReserve, kStepsBetweenChecks);
    stepsInReserve -= stretch;
    stepsLeft = stretch - 1;
    return true;
}

[[gnu::always_inline]] inline uint64_t CScript::growthSignal() const {
    return theTree.recordsTakenSoFar() + theUndoStructure.tasksAddedSoFar() +
           static_cast<uint64_t>(theTree.stringManager().bytesWrittenSoFar());
}

[[gnu::always_inline]] inline bool CScript::needsCheckAfterNative(const CStackFrame& frame) const {
    const CRString* result = frame.findField(0);
    return growthSignal() != growthChecked || (result && result->hasUniversalString());
}

void CScript::checkGrowth() {
    growthChecked = growthSignal();
    const int64_t records = int64_t{theTree.recordCount()} - recordsAtStart;
    const int64_t stringBytes = theTree.stringManager().bytesWrittenSoFar() - stringBytesAtStart;
    const auto undoTasks =
        static_cast<int64_t>(theUndoStructure.tasksAddedSoFar() - undoTasksAtStart);
    if (records > growthLimits.records || stringBytes > growthLimits.stringBytes ||
        undoTasks > growthLimits.undoTasks)
        stopCall(RStopReason::kTooMuchMemory);
}

void CScript::beginTopLevelCall() {
    // A hook set off inside a call runs within that call's budgets and reports.
    if (topLevelCalls++ > 0)
        return;
    stopped = false;
    stopReason = RStopReason::kNone;
    stepsLeft = std::min(stepBudget, kStepsBetweenChecks);
    stepsInReserve = stepBudget - stepsLeft;
    callStarted = std::chrono::steady_clock::now();
    recordsAtStart = theTree.recordCount();
    stringBytesAtStart = theTree.stringManager().bytesWrittenSoFar();
    undoTasksAtStart = theUndoStructure.tasksAddedSoFar();
    growthChecked = growthSignal();
    variableTasks.clear();
    nestingReported = false;
    depth = 0;
    nesting = 0;
    executingUser = nullptr;
    executingNativeName.clear();
}

void CScript::endTopLevelCall() {
    if (--topLevelCalls > 0)
        return;
    // A hook may run while a command is still calling functions; their frames stay.
    if (framesInUse == 0)
        framePool.clear();
    variableTasks.clear();
    depth = 0;
    nesting = 0;
    executingUser = nullptr;
    executingNativeName.clear();
    // Reported whether or not the script asked for debugging: the user must know that the
    // command did not finish. What it changed stays in the open undo step.
    if (stopReason == RStopReason::kTooLong)
        SystemAlert(kTooLongMessage, 1);
    else if (stopReason == RStopReason::kTooMuchMemory)
        SystemAlert(kTooMuchMemoryMessage, 1);
}

[[gnu::noinline]] void CScript::checkAfterNative(const CStackFrame& frame) {
    // One native can add much (a copied tree, a long text) in one step.
    checkGrowth();
    const CRString* result = frame.findField(0);
    if (result && result->hasUniversalString() &&
        result->byteLength() > CStringManager::kMaxStoredTextBytes)
        refuseLongText();
}

RErr CScript::runTopLevel(CSymbol& function, CStackFrame& frame) {
    const CRepeatedReports repeats;
    beginTopLevelCall();
    RErr status = kNoErr;
    try {
        status = executeAnyFunction(function, frame);
    } catch (const std::bad_alloc&) {
        // The interpreter's state is restored by its scoped objects as the call unwinds; what
        // the call changed stays in the open undo step.
        stopCall(RStopReason::kTooMuchMemory);
        status = kStatusStopped;
    }
    endTopLevelCall();
    return status;
}

std::string CScript::executingUserFunction() const {
    return executingUser ? executingUser->getSymbolString().str() : std::string();
}

void CScript::reportRunTimeError(int32_t code) {
    theMiddleInterface->reportRunTimeError(code, executingUserFunction(), executingNativeName);
}

RErr CScript::executeAnyFunction(CSymbol& function, CStackFrame& frame) {
    return runFunction(function, frame);
}

[[gnu::always_inline]] inline RErr CScript::runFunction(CSymbol& function, CStackFrame& frame) {
    switch (function.getSymbolType()) {
    case kSymbolUserFnc:
        runUserFunction(function, frame);
        break;
    case kSymbolNatvFnc:
        performNativeFunction(function.getSymbolValue(), frame);
        if (needsCheckAfterNative(frame))
            checkAfterNative(frame);
        break;
    default:
        bug("CScript::executeAnyFunction: non-function symbol type.", 0);
        return kErrGeneral;
    }
    // Nothing that goes wrong inside the callee stops its caller; only a spent budget does.
    return stopped ? kStatusStopped : kNoErr;
}

RErr CScript::executeUserFunction(CSymbol& function, CStackFrame& frame) {
    return runUserFunction(function, frame);
}

[[gnu::always_inline]] inline RErr CScript::runUserFunction(CSymbol& function, CStackFrame& frame) {
    const CSymbol* caller = executingUser;
    executingUser = &function;
    ++depth;
    RErr status = kNoErr;
    if (depth > kMostCallDepth) {
        reportRunTimeError(CMiddleInterface::kRunTimeExcessiveRecursion);
    } else if (function.getSymbolBody()) {
        status = runStatementList(function.getSymbolBody(), frame);
        if (status == kStatusExit)
            status = kNoErr;
    }
    --depth;
    executingUser = caller;
    return status;
}

RErr CScript::executeStatementList(const CScriptNode* cell, CStackFrame& frame) {
    return runStatementList(cell, frame);
}

[[gnu::always_inline]] inline RErr CScript::runStatementList(const CScriptNode* cell,
                                                             CStackFrame& frame) {
    for (; cell; cell = cell->right()) {
        if (!cell->left()) {
            bug("CScript::executeStatementList: The node to the left is nil!", 0);
            return kErrGeneral;
        }
        const RErr status = runStatement(*cell->left(), frame);
        if (status)
            return status;
    }
    return kNoErr;
}

RErr CScript::executeStatement(const CScriptNode& statement, CStackFrame& frame) {
    return runStatement(statement, frame);
}

[[gnu::always_inline]] inline RErr CScript::runStatement(const CScriptNode& statement,
                                                         CStackFrame& frame) {
    if (!takeStep())
        return kStatusStopped;
    NestingLevel level(nesting);
    switch (statement.kind()) {
    case kNodeAssignment:
        return executeAssignmentStatement(statement, frame);
    case kNodeExpressionStatement: {
        // The value is dropped, so its number serves as well as the whole of it.
        int32_t ignored = 0;
        return statement.left() ? evaluateNumber(*statement.left(), frame, ignored) : kErrGeneral;
    }
    case kNodeReturn: {
        const CScriptNode* expression = statement.left();
        if (!expression)
            return kErrGeneral;
        if (!yieldsNumber(expression->kind()) || expression->canLeaveFunction())
            return executeReturnOfValue(*expression, frame);
        // Stored only when it succeeds, so the number alone stands for the value.
        int32_t number = 0;
        CRString* result = nullptr;
        RErr status = evaluateNumberInPlace(*expression, frame, number);
        if (!status)
            status = frame.getMutableField(0, result);
        if (!status)
            result->setNumericValue(number);
        return status;
    }
    case kNodeExit:
        return kStatusExit;
    default:
        return unexpectedStatement();
    }
}

[[gnu::noinline]] RErr CScript::executeReturnOfValue(const CScriptNode& expression,
                                                     CStackFrame& frame) {
    CRString value(kValueCreatorTag);
    const RErr status = evaluateExpression(expression, frame, value);
    // "search upward" from an invalid node gives 0 and leaves the function.
    if (status && status != kStatusExit)
        return status;
    CRString* result = nullptr;
    const RErr err = frame.getMutableField(0, result);
    if (!err)
        moveValue(value, *result);
    return status ? status : err;
}

RErr CScript::setVariable(CSymbol& variable, CStackFrame& frame, const CRString& value,
                          bool undoable) {
    if (variable.getSymbolScope())
        return frame.setField(variable.getSymbolStackFramePosition(), value);
    if (!undoable) {
        variable.setSymbolStringValue(value);
        return kNoErr;
    }
    // One task per variable per call: the step restores the value from before the call and
    // redoes the last, however often the call assigns it.
    const uint64_t list = theUndoStructure.listsOpenedSoFar();
    if (list != variableTasksList || !theUndoStructure.isComposing()) {
        variableTasks.clear();
        variableTasksList = list;
    }
    auto known = variableTasks.find(&variable);
    if (known != variableTasks.end() && theUndoStructure.isComposing()) {
        known->second->amend(value);
        return kNoErr;
    }
    CVariableTask* made = nullptr;
    const RErr err = CVariableTask::construct(theUndoStructure, variable, value, made);
    if (!err && topLevelCalls > 0)
        variableTasks[&variable] = made;
    return err;
}

RErr CScript::executeAssignmentStatement(const CScriptNode& statement, CStackFrame& frame) {
    const CScriptNode* target = statement.left();
    if (!target || !statement.right() || !target->left() || !target->left()->symbol()) {
        bug("CScript::executeAssignmentStatement: got an unexpected statement type.", 0);
        return kErrGeneral;
    }
    const CScriptNode& source = *statement.right();
    CSymbol& symbol = *target->left()->symbol();
    if (target->kind() == kNodeTargetVariable && symbol.getSymbolScope() &&
        yieldsNumber(source.kind())) {
        // A number for a local variable: no value is made only to be copied into the slot.
        int32_t number = 0;
        const RErr status = evaluateNumberInPlace(source, frame, number);
        return status ? status
                      : frame.setNumericField(symbol.getSymbolStackFramePosition(), number);
    }
    CRString value(kValueCreatorTag);
    RErr status = evaluateExpression(source, frame, value);
    if (status)
        return status;
    switch (target->kind()) {
    case kNodeTargetVariable:
        return setVariable(symbol, frame, value, true);
    case kNodeTargetFeature: {
        if (!target->right())
            return kErrGeneral;
        int32_t number = 0;
        status = evaluateNumber(*target->right(), frame, number);
        if (status)
            return status;
        if (!theTree.verifyNode(number))
            return kErrGeneral;
        int32_t slot = 0;
        status = theTree.convertToAttributeIndex(symbol.getSymbolValue(), slot);
        if (!status)
            status = theTree.attributeAssignment(number, slot, &value);
        return status;
    }
    default:
        bug("CScript::executeAssignmentStatement: got an unexpected statement type.", 0);
        return kErrGeneral;
    }
}

RErr CScript::refuseLongText() {
    // Such a text could never be stored: the call stops rather than go on with another value.
    reportRunTimeError(CMiddleInterface::kRunTimeTextTooLong);
    stopCall(RStopReason::kStringTooLong);
    return kStatusStopped;
}

RErr CScript::refuseDeepNesting() {
    // Deeper nesting would exhaust the machine stack; the function is abandoned instead.
    if (!nestingReported)
        bug("CScript::evaluateExpression: the script nests too deeply to be run.", 0);
    nestingReported = true;
    return kErrGeneral;
}

RErr CScript::evaluateExpression(const CScriptNode& expression, CStackFrame& frame,
                                 CRString& value) {
    if (!takeStep())
        return kStatusStopped;
    NestingLevel level(nesting);
    if (nesting > kMostNesting)
        return refuseDeepNesting();
    return evaluateCounted(expression, frame, value);
}

RErr CScript::evaluateCounted(const CScriptNode& expression, CStackFrame& frame, CRString& value) {
    const int32_t kind = expression.kind();
    if (isBinaryOperator(kind))
        return evaluateArithmeticOperatorExpression(expression, frame, value);
    const CScriptNode* left = expression.left();
    switch (kind) {
    case kNodeLiteral:
        if (!left || !left->text())
            break;
        // Reading the number once fills the literal's cache, so copies carry it along and
        // do not read it from the text again.
        left->text()->getNumericValue();
        value = *left->text();
        return kNoErr;
    case kNodeVariable:
    case kNodeParameter: {
        CSymbol* symbol = left ? left->symbol() : nullptr;
        if (!symbol)
            break;
        if (kind == kNodeVariable && !symbol->getSymbolScope()) {
            value = symbol->getSymbolStringValue();
            return kNoErr;
        }
        const CRString* slot = nullptr;
        const RErr err = frame.getField(symbol->getSymbolStackFramePosition(), slot);
        if (!err)
            value = *slot;
        return err;
    }
    case kNodeFeatureRead:
        return readFeature(expression, frame, value);
    case kNodeCall: {
        int32_t unused = 0;
        return evaluateCall(expression, frame, &value, unused);
    }
    case kNodeTrue:
        value.setNumericValue(1);
        return kNoErr;
    case kNodeFalse:
        value.setNumericValue(0);
        return kNoErr;
    case kNodeNot: {
        if (!left)
            break;
        int32_t operand = 0;
        const RErr status = evaluateNumber(*left, frame, operand);
        value.setNumericValue(operand ? 0 : 1);
        return status;
    }
    case kNodeIf:
        return executeIf(expression, frame, value);
    case kNodeWhile:
        return executeWhile(expression, frame, value);
    case kNodeForEvery:
        value.clearValue();
        return executeForEveryNode(expression, frame);
    case kNodeSearchUpward:
        return executeSearchUpward(expression, frame, value);
    default:
        break;
    }
    return unexpectedKind();
}

RErr CScript::evaluateNumber(const CScriptNode& expression, CStackFrame& frame, int32_t& number) {
    if (!takeStep())
        return kStatusStopped;
    NestingLevel level(nesting);
    if (nesting > kMostNesting)
        return refuseDeepNesting();
    const int32_t kind = expression.kind();
    const CScriptNode* left = expression.left();
    switch (kind) {
    case kNodeLiteral:
    case kNodeVariable:
    case kNodeParameter:
        // The step is taken already; a leaf that cannot be read in place is read through a
        // value, which also reports what is wrong with it.
        if (readLeafNumber(expression, frame, number))
            return kNoErr;
        return evaluateNumberThroughValue(expression, frame, number);
    case kNodeCall:
        return evaluateCall(expression, frame, nullptr, number);
    case kNodeTrue:
        number = 1;
        return kNoErr;
    case kNodeFalse:
        number = 0;
        return kNoErr;
    case kNodeNot: {
        if (!left)
            return unexpectedKind();
        int32_t operand = 0;
        const RErr status = evaluateNumber(*left, frame, operand);
        number = operand ? 0 : 1;
        return status;
    }
    case kNodeIf:
        return executeIf(expression, frame, number);
    case kNodeWhile:
        return executeWhile(expression, frame, number);
    default:
        if (!isBinaryOperator(kind))
            return evaluateNumberThroughValue(expression, frame, number);
        if (isOneNumberOperator(expression, false))
            return evaluateOneOperator(expression, frame, nullptr, number);
        return evaluateLongChain(expression, frame, nullptr, number);
    }
}

[[gnu::noinline]] RErr CScript::evaluateNumberThroughValue(const CScriptNode& expression,
                                                           CStackFrame& frame, int32_t& number) {
    // These make their values as texts or for their effects. The value starts as the number,
    // which a construct that leaves its value alone keeps.
    CRString value(kValueCreatorTag);
    value.setNumericValue(number);
    const RErr status = evaluateCounted(expression, frame, value);
    number = value.getNumericValue();
    return status;
}

[[gnu::always_inline]] inline bool
CScript::readLeafNumber(const CScriptNode& expression, const CStackFrame& frame, int32_t& number) {
    const CScriptNode* leaf = expression.left();
    if (!leaf)
        return false;
    if (expression.kind() == kNodeLiteral) {
        if (!leaf->text())
            return false;
        number = leaf->text()->getNumericValue();
        return true;
    }
    const CSymbol* symbol = leaf->symbol();
    if (!symbol)
        return false;
    if (expression.kind() == kNodeVariable && !symbol->getSymbolScope()) {
        number = numberOf(symbol->getSymbolStringValue());
        return true;
    }
    const CRString* slot = frame.findField(symbol->getSymbolStackFramePosition());
    if (!slot)
        return false;
    number = numberOf(*slot);
    return true;
}

[[gnu::always_inline]] inline bool CScript::takeSimpleNumber(const CScriptNode& expression,
                                                             const CStackFrame& frame,
                                                             int32_t& number) {
    // Away from the step budget and the nesting limit, literals, variable reads and number
    // operators on them cannot stop, be refused or fail: their steps are all that
    // evaluateNumber would add.
    const int32_t kind = expression.kind();
    if (isLeafKind(kind)) {
        if (stepsLeft < 1 || nesting + 1 > kMostNesting ||
            !readLeafNumber(expression, frame, number))
            return false;
        stepsLeft -= 1;
        return true;
    }
    const ROperator op = operatorOf(kind);
    const CScriptNode* first = expression.left();
    const CScriptNode* second = expression.right();
    if (op == kNoOperator || readsTexts(op) || !first || !second || !isLeafKind(first->kind()) ||
        !isLeafKind(second->kind()) || stepsLeft < 3 || nesting + 2 > kMostNesting)
        return false;
    int32_t a = 0;
    int32_t b = 0;
    if (!readLeafNumber(*first, frame, a) || !readLeafNumber(*second, frame, b))
        return false;
    stepsLeft -= 3;
    return applyNumbers(op, a, b, number);
}

[[gnu::always_inline]] inline RErr
CScript::evaluateNumberInPlace(const CScriptNode& expression, CStackFrame& frame, int32_t& number) {
    return takeSimpleNumber(expression, frame, number) ? kNoErr
                                                       : evaluateNumber(expression, frame, number);
}

RErr CScript::applyOperator(int32_t op, const CRString& left, const CRString& right,
                            int32_t& result) {
    if (op == tSTRING_EQUAL || op == tSTRING_NOT_EQUAL) {
        result = CRString::equalString(left, right, true, false) == (op == tSTRING_EQUAL);
        return kNoErr;
    }
    if (applyNumbers(operatorOf(op), left.getNumericValue(), right.getNumericValue(), result))
        return kNoErr;
    return badOperator();
}

RErr CScript::evaluateArithmeticOperatorExpression(const CScriptNode& expression,
                                                   CStackFrame& frame, CRString& value) {
    int32_t unused = 0;
    if (isOneNumberOperator(expression, true))
        return evaluateOneOperator(expression, frame, &value, unused);
    return evaluateLongChain(expression, frame, &value, unused);
}

[[gnu::always_inline]] inline RErr CScript::evaluateOneOperator(const CScriptNode& expression,
                                                                CStackFrame& frame, CRString* value,
                                                                int32_t& number) {
    int32_t first = number;
    RErr status = evaluateNumberInPlace(*expression.left(), frame, first);
    int32_t second = 0;
    if (!status)
        status = evaluateNumberInPlace(*expression.right(), frame, second);
    if (!status && !applyNumbers(operatorOf(expression.kind()), first, second, first)) {
        first = 0;
        status = badOperator();
    }
    if (value)
        value->setNumericValue(first);
    else
        number = first;
    return status;
}

// Operators group to the left, so a long sum is a long chain down the left operands. The
// chain is walked with a list rather than by recursion, which keeps the machine stack flat
// however many terms an expression has.
RErr CScript::evaluateLongChain(const CScriptNode& expression, CStackFrame& frame, CRString* value,
                                int32_t& number) {
    // Most chains are short: they are kept on the machine stack, longer ones on the heap.
    constexpr std::size_t kShortChain = 16;
    std::array<const CScriptNode*, kShortChain> shortChain; // filled up to length
    std::vector<const CScriptNode*> longChain;
    std::size_t length = 0;
    const CScriptNode* bottom = &expression;
    for (; bottom && isBinaryOperator(bottom->kind()); bottom = bottom->left(), ++length) {
        if (length < kShortChain)
            shortChain[length] = bottom;
        else if (length == kShortChain)
            longChain.assign(shortChain.begin(), shortChain.end());
        if (length >= kShortChain)
            longChain.push_back(bottom);
    }
    if (!bottom)
        return kErrGeneral;
    const CScriptNode* const* chain = length > kShortChain ? longChain.data() : shortChain.data();

    // The running result is a plain number (accumulated) once an operator has made one, and a
    // value (text) before that or while texts are joined. A string is made for the first
    // operand only when its text is read, or when it would be seen: when an operand leaves
    // the function before an operator has replaced it.
    std::optional<CRString> ownText;
    CRString* text = value;
    int32_t accumulated = number;
    bool isNumber = false;
    RErr status = kNoErr;
    if (readsTexts(operatorOf(chain[length - 1]->kind())) ||
        (value && expression.canLeaveFunction())) {
        if (!text) {
            ownText.emplace(kValueCreatorTag);
            ownText->setNumericValue(number);
            text = &*ownText;
        }
        status = evaluateExpression(*bottom, frame, *text);
    } else {
        status = evaluateNumber(*bottom, frame, accumulated);
        isNumber = true;
    }
    std::optional<CRString> right;
    for (std::size_t index = length; index > 0 && !status; --index) {
        const CScriptNode& op = *chain[index - 1];
        if (!op.right()) {
            status = kErrGeneral;
            break;
        }
        const ROperator kind = operatorOf(op.kind());
        if (!readsTexts(kind)) {
            int32_t operand = 0;
            status = evaluateNumberInPlace(*op.right(), frame, operand);
            if (status)
                break;
            const int32_t first = isNumber ? accumulated : text->getNumericValue();
            accumulated = 0;
            if (!applyNumbers(kind, first, operand, accumulated))
                status = badOperator();
            isNumber = true;
            continue;
        }
        if (!right)
            right.emplace(kValueCreatorTag);
        status = evaluateExpression(*op.right(), frame, *right);
        if (status)
            break;
        if (isNumber) {
            if (!text) {
                ownText.emplace(kValueCreatorTag);
                text = &*ownText;
            }
            text->setNumericValue(accumulated);
            isNumber = false;
        }
        if (kind == kOpJoin) {
            if (int64_t{text->byteLength()} + right->byteLength() >
                CStringManager::kMaxStoredTextBytes) {
                status = refuseLongText();
                break;
            }
            text->concatenate(right->getStringValue());
        } else {
            accumulated =
                CRString::equalString(*text, *right, true, false) == (kind == kOpTextEqual);
            isNumber = true;
        }
    }
    if (value && isNumber)
        value->setNumericValue(accumulated);
    else if (!value)
        number = isNumber ? accumulated : text->getNumericValue();
    return status;
}

RErr CScript::readFeature(const CScriptNode& expression, CStackFrame& frame, CRString& value) {
    const CScriptNode* feature = expression.left();
    if (!feature || !feature->symbol() || !expression.right())
        return kErrGeneral;
    int32_t node = 0;
    RErr status = evaluateNumber(*expression.right(), frame, node);
    if (status)
        return status;
    const CRString* stored = nullptr;
    status = theTree.getAuthorFeatureValue(node, feature->symbol()->getSymbolValue(), stored);
    value.setStringValue(stored ? stored->getStringValue() : "");
    return status;
}

[[gnu::always_inline]] inline RErr CScript::evaluateCall(const CScriptNode& expression,
                                                         CStackFrame& frame, CRString* value,
                                                         int32_t& number) {
    const CScriptNode* callee = expression.left();
    if (!callee || !callee->symbol())
        return unexpectedKind();
    CSymbol& function = *callee->symbol();
    PooledFrame pooled(framePool, framesInUse, function.getSymbolTotalStackFrameSize());
    CStackFrame& calleeFrame = pooled.frame();
    const int32_t parameters = function.getSymbolHowManyParams();
    RErr status = kNoErr;
    if (parameters > 0)
        status = loadNextArgument(callee->left(), frame, calleeFrame, 1, parameters);
    if (!status)
        status = runFunction(function, calleeFrame);
    if (status)
        return status;
    CRString* result = nullptr;
    status = calleeFrame.getMutableField(0, result);
    if (status)
        return status;
    // The frame is emptied anyway when the call ends.
    if (value)
        moveValue(*result, *value);
    else
        number = result->getNumericValue();
    return kNoErr;
}

RErr CScript::loadNextArgument(const CScriptNode* cell, CStackFrame& callerFrame,
                               CStackFrame& newFrame, int32_t index, int32_t count) {
    for (int32_t slot = index;; ++slot) {
        if (!cell || !cell->left() || slot > count) {
            bug("Something is rotten in CScript::loadNextArgument.", 0);
            return kErrGeneral;
        }
        // Straight into the callee's slot: a failed argument abandons the call and its frame.
        CRString* argument = nullptr;
        RErr status = newFrame.getMutableField(slot, argument);
        if (!status && yieldsNumber(cell->left()->kind())) {
            int32_t number = 0;
            status = evaluateNumberInPlace(*cell->left(), callerFrame, number);
            argument->setNumericValue(number);
        } else if (!status) {
            status = evaluateExpression(*cell->left(), callerFrame, *argument);
        }
        if (status || slot >= count)
            return status;
        cell = cell->right();
    }
}

[[gnu::always_inline]] inline RErr CScript::evaluateInto(const CScriptNode& expression,
                                                         CStackFrame& frame, CRString& value) {
    return evaluateExpression(expression, frame, value);
}

[[gnu::always_inline]] inline RErr CScript::evaluateInto(const CScriptNode& expression,
                                                         CStackFrame& frame, int32_t& number) {
    return evaluateNumberInPlace(expression, frame, number);
}

template <typename Result>
RErr CScript::executeIf(const CScriptNode& expression, CStackFrame& frame, Result& result) {
    const CScriptNode* branches = expression.right();
    if (!expression.left() || !branches)
        return kErrGeneral;
    RErr status = evaluateInto(*expression.left(), frame, result);
    if (status)
        return status;
    return runStatementList(isTrue(result) ? branches->left() : branches->right(), frame);
}

template <typename Result>
RErr CScript::executeWhile(const CScriptNode& expression, CStackFrame& frame, Result& result) {
    if (!expression.left())
        return kErrGeneral;
    RErr status = evaluateInto(*expression.left(), frame, result);
    int32_t passes = 0;
    while (!status && isTrue(result)) {
        status = runStatementList(expression.right(), frame);
        if (status)
            break;
        status = evaluateInto(*expression.left(), frame, result);
        if (++passes >= kMostWhilePasses) {
            if (status != kStatusStopped)
                reportRunTimeError(CMiddleInterface::kRunTimeExcessiveWhile);
            break;
        }
    }
    return status;
}

// The walk takes its list of nodes when it starts, and at each one goes on only if the number
// still names the same node, in the tree area: a body may kill, detach, substitute or create
// nodes without the walk reading a freed record or running on over nodes it keeps making.
// A node made after the walk started is never visited, even under the number of a killed node
// the walk has yet to reach.
RErr CScript::executeForEveryNode(const CScriptNode& expression, CStackFrame& frame) {
    const CScriptNode* header = expression.left();
    if (!header || !header->left() || !header->left()->symbol())
        return kErrGeneral;
    CSymbol& variable = *header->left()->symbol();
    int32_t current = 0;
    int32_t halt = 0;
    RErr status = theTree.getFirstRoot(current);
    if (!status && header->right()) {
        int32_t dominator = 0;
        status = evaluateNumber(*header->right(), frame, dominator);
        if (!status && theTree.verifyNode(dominator))
            current = halt = dominator;
        else if (!status)
            theMiddleInterface->reportRunTimeError(CMiddleInterface::kRunTimeInvalidNode,
                                                   executingUserFunction(), "dominated by");
    }
    std::vector<int32_t> walk;
    for (; current != 0 && !status; status = theTree.getNextNode(current, halt, current))
        walk.push_back(current);
    const uint64_t started = theTree.recordsTakenSoFar();
    for (std::size_t index = 0; index < walk.size() && !status; ++index) {
        if (!takeStep())
            return kStatusStopped;
        const int32_t node = walk[index];
        if (!theTree.verifyNode(node) || theTree.takenSince(node, started))
            continue;
        int32_t root = 0;
        int32_t where = 0;
        status = theTree.findRoot(node, root);
        if (!status)
            status = theTree.getWhereIsTree(root, where);
        if (status || where != kTreeArea)
            continue;
        // The loop variable is part of the walk, not a change the user makes.
        if (variable.getSymbolScope())
            status = frame.setNumericField(variable.getSymbolStackFramePosition(), node);
        else
            status = setVariable(variable, frame, numberValue(node), false);
        if (!status)
            status = executeStatementList(expression.right(), frame);
    }
    return status;
}

RErr CScript::executeSearchUpward(const CScriptNode& expression, CStackFrame& frame,
                                  CRString& value) {
    if (!expression.left() || !expression.right())
        return kErrGeneral;
    int32_t start = 0;
    RErr status = evaluateNumber(*expression.left(), frame, start);
    if (status)
        return status;
    value.setNumericValue(0);
    if (!theTree.verifyNode(start)) {
        reportRunTimeError(CMiddleInterface::kRunTimeInvalidNode);
        return kStatusExit;
    }
    // The search climbs the mothers as they are when it reaches them, but tests only nodes
    // that were there when it started: a node the condition makes on the way is passed over,
    // and if the condition kills the node the search stands on, the search ends there (even
    // when a new node has taken over its number).
    const uint64_t started = theTree.recordsTakenSoFar();
    int32_t ancestor = 0;
    status = theTree.getMother(start, ancestor);
    int32_t condition = 0;
    while (!status && ancestor != 0) {
        if (!takeStep())
            return kStatusStopped;
        if (theTree.takenSince(ancestor, started)) {
            status = theTree.getMother(ancestor, ancestor);
            continue;
        }
        if (candidate)
            candidate->setNumericValue(ancestor);
        status = evaluateNumber(*expression.right(), frame, condition);
        if (!status && condition != 0) {
            value.setNumericValue(ancestor);
            return kNoErr;
        }
        if (!status && (!theTree.verifyNode(ancestor) || theTree.takenSince(ancestor, started)))
            return kNoErr;
        if (!status)
            status = theTree.getMother(ancestor, ancestor);
    }
    return status;
}
