#include "script/CScript.h"

#include "app/ErrorReporter.h"
#include "app/Platform.h"
#include "model/CTree.h"
#include "script/CMiddleInterface.h"
#include "script/CScriptNode.h"
#include "script/CStackFrame.h"
#include "script/CSymbol.h"
#include "script/ScriptTokens.h"
#include "storage/CRString.h"
#include "undo/CVariableTask.h"

#include <array>
#include <limits>
#include <vector>

namespace {

constexpr int32_t kValueCreatorTag = 130;
// The tree area, as getWhereIsTree reports it; trees elsewhere belong to the lexicon.
constexpr int32_t kTreeArea = 2;

bool isBinaryOperator(int32_t kind) {
    switch (kind) {
    case '=':
    case tSTRING_EQUAL:
    case tSTRING_NOT_EQUAL:
    case '&':
    case '+':
    case '-':
    case '*':
    case '/':
    case '%':
    case '>':
    case '<':
    case tGE:
    case tLE:
    case tNE:
    case tAND:
    case tOR:
        return true;
    default:
        return false;
    }
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

bool CScript::takeStep() {
    if (!stopped && ++steps > stepBudget)
        stopped = true;
    return !stopped;
}

void CScript::beginTopLevelCall() {
    steps = 0;
    stopped = false;
    nestingReported = false;
    depth = 0;
    nesting = 0;
    executingUser = nullptr;
    executingNativeName.clear();
}

void CScript::endTopLevelCall() {
    // A hook may run while a command is still calling functions; their frames stay.
    if (framesInUse == 0)
        framePool.clear();
    depth = 0;
    nesting = 0;
    executingUser = nullptr;
    executingNativeName.clear();
    // Reported whether or not the script asked for debugging: the user must know that the
    // command did not finish. What it changed stays in the open undo step.
    if (stopped)
        SystemAlert("The script was stopped because it ran too long.", 1);
}

std::string CScript::executingUserFunction() const {
    return executingUser ? executingUser->getSymbolString().str() : std::string();
}

void CScript::reportRunTimeError(int32_t code) {
    theMiddleInterface->reportRunTimeError(code, executingUserFunction(), executingNativeName);
}

RErr CScript::executeAnyFunction(CSymbol& function, CStackFrame& frame) {
    switch (function.getSymbolType()) {
    case kSymbolUserFnc:
        executeUserFunction(function, frame);
        break;
    case kSymbolNatvFnc:
        performNativeFunction(function.getSymbolValue(), frame);
        break;
    default:
        bug("CScript::executeAnyFunction: non-function symbol type.", 0);
        return kErrGeneral;
    }
    // Nothing that goes wrong inside the callee stops its caller; only a spent budget does.
    return stopped ? kStatusStopped : kNoErr;
}

RErr CScript::executeUserFunction(CSymbol& function, CStackFrame& frame) {
    const CSymbol* caller = executingUser;
    executingUser = &function;
    ++depth;
    RErr status = kNoErr;
    if (depth > kMostCallDepth) {
        reportRunTimeError(CMiddleInterface::kRunTimeExcessiveRecursion);
    } else if (function.getSymbolBody()) {
        status = executeStatementList(function.getSymbolBody(), frame);
        if (status == kStatusExit)
            status = kNoErr;
    }
    --depth;
    executingUser = caller;
    return status;
}

RErr CScript::executeStatementList(const CScriptNode* cell, CStackFrame& frame) {
    for (; cell; cell = cell->right()) {
        if (!cell->left()) {
            bug("CScript::executeStatementList: The node to the left is nil!", 0);
            return kErrGeneral;
        }
        const RErr status = executeStatement(*cell->left(), frame);
        if (status)
            return status;
    }
    return kNoErr;
}

RErr CScript::executeStatement(const CScriptNode& statement, CStackFrame& frame) {
    if (!takeStep())
        return kStatusStopped;
    NestingLevel level(nesting);
    switch (statement.kind()) {
    case kNodeAssignment:
        return executeAssignmentStatement(statement, frame);
    case kNodeExpressionStatement: {
        CRString value(kValueCreatorTag);
        return statement.left() ? evaluateExpression(*statement.left(), frame, value) : kErrGeneral;
    }
    case kNodeReturn: {
        if (!statement.left())
            return kErrGeneral;
        CRString value(kValueCreatorTag);
        const RErr status = evaluateExpression(*statement.left(), frame, value);
        // "search upward" from an invalid node gives 0 and leaves the function.
        if (status && status != kStatusExit)
            return status;
        CRString* result = nullptr;
        const RErr err = frame.getMutableField(0, result);
        if (!err)
            result->takeValue(value);
        return status ? status : err;
    }
    case kNodeExit:
        return kStatusExit;
    default:
        bug("CScript::executeStatement: got an unexpected statement type.", 0);
        return kErrGeneral;
    }
}

RErr CScript::setVariable(CSymbol& variable, CStackFrame& frame, const CRString& value,
                          bool undoable) {
    if (variable.getSymbolScope())
        return frame.setField(variable.getSymbolStackFramePosition(), value);
    if (undoable)
        return CVariableTask::construct(theUndoStructure, variable, value);
    variable.setSymbolStringValue(value);
    return kNoErr;
}

RErr CScript::executeAssignmentStatement(const CScriptNode& statement, CStackFrame& frame) {
    const CScriptNode* target = statement.left();
    if (!target || !statement.right() || !target->left() || !target->left()->symbol()) {
        bug("CScript::executeAssignmentStatement: got an unexpected statement type.", 0);
        return kErrGeneral;
    }
    CRString value(kValueCreatorTag);
    RErr status = evaluateExpression(*statement.right(), frame, value);
    if (status)
        return status;
    CSymbol& symbol = *target->left()->symbol();
    switch (target->kind()) {
    case kNodeTargetVariable:
        return setVariable(symbol, frame, value, true);
    case kNodeTargetFeature: {
        if (!target->right())
            return kErrGeneral;
        CRString node(kValueCreatorTag);
        status = evaluateExpression(*target->right(), frame, node);
        if (status)
            return status;
        const int32_t number = node.getNumericValue();
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

RErr CScript::evaluateExpression(const CScriptNode& expression, CStackFrame& frame,
                                 CRString& value) {
    if (!takeStep())
        return kStatusStopped;
    NestingLevel level(nesting);
    if (nesting > kMostNesting) {
        // Deeper nesting would exhaust the machine stack; the function is abandoned instead.
        if (!nestingReported)
            bug("CScript::evaluateExpression: the script nests too deeply to be run.", 0);
        nestingReported = true;
        return kErrGeneral;
    }
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
    case kNodeCall:
        return evaluateCall(expression, frame, value);
    case kNodeTrue:
        value.setNumericValue(1);
        return kNoErr;
    case kNodeFalse:
        value.setNumericValue(0);
        return kNoErr;
    case kNodeNot: {
        if (!left)
            break;
        CRString operand(kValueCreatorTag);
        const RErr status = evaluateExpression(*left, frame, operand);
        value.setNumericValue(trueValue(operand) ? 0 : 1);
        return status;
    }
    case kNodeIf:
        return executeIf(expression, frame, value);
    case kNodeWhile:
        return executeWhile(expression, frame, value);
    case kNodeForEvery:
        value = CRString(kValueCreatorTag);
        return executeForEveryNode(expression, frame);
    case kNodeSearchUpward:
        return executeSearchUpward(expression, frame, value);
    default:
        break;
    }
    bug("Bug (in Ramex, not in the script): Unexpected statement type.", 0);
    return kErrGeneral;
}

RErr CScript::applyOperator(int32_t op, const CRString& left, const CRString& right,
                            int32_t& result) {
    const int32_t a = left.getNumericValue();
    const int32_t b = right.getNumericValue();
    const auto ua = static_cast<uint32_t>(a);
    const auto ub = static_cast<uint32_t>(b);
    switch (op) {
    case '+':
        result = wrap(ua + ub);
        return kNoErr;
    case '-':
        result = wrap(ua - ub);
        return kNoErr;
    case '*':
        result = wrap(ua * ub);
        return kNoErr;
    case '/':
        result = quotient(a, b);
        return kNoErr;
    case '%':
        result = remainder(a, b);
        return kNoErr;
    case '>':
        result = a > b;
        return kNoErr;
    case '<':
        result = a < b;
        return kNoErr;
    case tGE:
        result = a >= b;
        return kNoErr;
    case tLE:
        result = a <= b;
        return kNoErr;
    case '=':
        result = a == b;
        return kNoErr;
    case tNE:
        result = a != b;
        return kNoErr;
    case tAND:
        result = a != 0 && b != 0;
        return kNoErr;
    case tOR:
        result = a != 0 || b != 0;
        return kNoErr;
    case tSTRING_EQUAL:
        result = CRString::equalString(left, right, true, false);
        return kNoErr;
    case tSTRING_NOT_EQUAL:
        result = !CRString::equalString(left, right, true, false);
        return kNoErr;
    default:
        bug("CScript::evaluateArithmeticOperatorExpression: bad operator (internal error).", 0);
        return kErrGeneral;
    }
}

// Operators group to the left, so a long sum is a long chain down the left operands. The
// chain is walked with a list rather than by recursion, which keeps the machine stack flat
// however many terms an expression has.
RErr CScript::evaluateArithmeticOperatorExpression(const CScriptNode& expression,
                                                   CStackFrame& frame, CRString& value) {
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
    CRString& accumulated = value;
    RErr status = evaluateExpression(*bottom, frame, accumulated);
    CRString right(kValueCreatorTag);
    for (std::size_t index = length; index > 0 && !status; --index) {
        const CScriptNode& op = *chain[index - 1];
        if (!op.right())
            return kErrGeneral;
        status = evaluateExpression(*op.right(), frame, right);
        if (status)
            break;
        if (op.kind() == '&') {
            accumulated.concatenate(right.getStringValue());
        } else {
            int32_t result = 0;
            status = applyOperator(op.kind(), accumulated, right, result);
            accumulated.setNumericValue(result);
        }
    }
    return status;
}

RErr CScript::readFeature(const CScriptNode& expression, CStackFrame& frame, CRString& value) {
    const CScriptNode* feature = expression.left();
    if (!feature || !feature->symbol() || !expression.right())
        return kErrGeneral;
    CRString node(kValueCreatorTag);
    RErr status = evaluateExpression(*expression.right(), frame, node);
    if (status)
        return status;
    const CRString* stored = nullptr;
    status = theTree.getAuthorFeatureValue(node.getNumericValue(),
                                           feature->symbol()->getSymbolValue(), stored);
    value = CRString(stored ? stored->str() : std::string(), kValueCreatorTag);
    return status;
}

RErr CScript::evaluateCall(const CScriptNode& expression, CStackFrame& frame, CRString& value) {
    const CScriptNode* callee = expression.left();
    if (!callee || !callee->symbol()) {
        bug("Bug (in Ramex, not in the script): Unexpected statement type.", 0);
        return kErrGeneral;
    }
    CSymbol& function = *callee->symbol();
    PooledFrame pooled(framePool, framesInUse, function.getSymbolTotalStackFrameSize());
    CStackFrame& calleeFrame = pooled.frame();
    const int32_t parameters = function.getSymbolHowManyParams();
    RErr status = kNoErr;
    if (parameters > 0)
        status = loadNextArgument(callee->left(), frame, calleeFrame, 1, parameters);
    if (!status)
        status = executeAnyFunction(function, calleeFrame);
    if (status)
        return status;
    CRString* result = nullptr;
    status = calleeFrame.getMutableField(0, result);
    if (!status)
        value.takeValue(*result); // the frame is emptied anyway when the call ends
    return status;
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
        if (!status)
            status = evaluateExpression(*cell->left(), callerFrame, *argument);
        if (status || slot >= count)
            return status;
        cell = cell->right();
    }
}

RErr CScript::executeIf(const CScriptNode& expression, CStackFrame& frame, CRString& value) {
    const CScriptNode* branches = expression.right();
    if (!expression.left() || !branches)
        return kErrGeneral;
    RErr status = evaluateExpression(*expression.left(), frame, value);
    if (status)
        return status;
    if (trueValue(value))
        return executeStatementList(branches->left(), frame);
    return executeStatementList(branches->right(), frame);
}

RErr CScript::executeWhile(const CScriptNode& expression, CStackFrame& frame, CRString& value) {
    if (!expression.left())
        return kErrGeneral;
    RErr status = evaluateExpression(*expression.left(), frame, value);
    int32_t passes = 0;
    while (!status && trueValue(value)) {
        status = executeStatementList(expression.right(), frame);
        if (status)
            break;
        status = evaluateExpression(*expression.left(), frame, value);
        if (++passes >= kMostWhilePasses) {
            if (status != kStatusStopped)
                reportRunTimeError(CMiddleInterface::kRunTimeExcessiveWhile);
            break;
        }
    }
    return status;
}

RErr CScript::executeForEveryNode(const CScriptNode& expression, CStackFrame& frame) {
    const CScriptNode* header = expression.left();
    if (!header || !header->left() || !header->left()->symbol())
        return kErrGeneral;
    CSymbol& variable = *header->left()->symbol();
    int32_t current = 0;
    int32_t halt = 0;
    RErr status = theTree.getFirstRoot(current);
    if (!status && header->right()) {
        CRString dominator(kValueCreatorTag);
        status = evaluateExpression(*header->right(), frame, dominator);
        if (!status && theTree.verifyNode(dominator.getNumericValue()))
            current = halt = dominator.getNumericValue();
        else if (!status)
            theMiddleInterface->reportRunTimeError(CMiddleInterface::kRunTimeInvalidNode,
                                                   executingUserFunction(), "dominated by");
    }
    while (current != 0 && !status) {
        if (!takeStep())
            return kStatusStopped;
        int32_t root = 0;
        int32_t where = 0;
        status = theTree.findRoot(current, root);
        if (!status)
            status = theTree.getWhereIsTree(root, where);
        if (!status && where == kTreeArea) {
            // The loop variable is part of the walk, not a change the user makes.
            status = setVariable(variable, frame, numberValue(current), false);
            if (!status)
                status = executeStatementList(expression.right(), frame);
        }
        if (!status)
            status = theTree.getNextNode(current, halt, current);
    }
    return status;
}

RErr CScript::executeSearchUpward(const CScriptNode& expression, CStackFrame& frame,
                                  CRString& value) {
    if (!expression.left() || !expression.right())
        return kErrGeneral;
    CRString start(kValueCreatorTag);
    RErr status = evaluateExpression(*expression.left(), frame, start);
    if (status)
        return status;
    value.setNumericValue(0);
    if (!theTree.verifyNode(start.getNumericValue())) {
        reportRunTimeError(CMiddleInterface::kRunTimeInvalidNode);
        return kStatusExit;
    }
    int32_t ancestor = 0;
    status = theTree.getMother(start.getNumericValue(), ancestor);
    CRString condition(kValueCreatorTag);
    while (!status && ancestor != 0) {
        if (!takeStep())
            return kStatusStopped;
        if (candidate)
            candidate->setNumericValue(ancestor);
        status = evaluateExpression(*expression.right(), frame, condition);
        if (!status && trueValue(condition)) {
            value.setNumericValue(ancestor);
            return kNoErr;
        }
        if (!status)
            status = theTree.getMother(ancestor, ancestor);
    }
    return status;
}
