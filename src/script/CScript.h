#pragma once

#include "base/ErrorCodes.h"
#include "storage/CRMemory.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CMiddleInterface;
class CRString;
class CScriptNode;
class CScriptNodePool;
class CScriptScanner;
class CStackFrame;
class CSymbol;
class CSymbolTable;
class CTree;
class CUndoStructure;
class CVariableTask;

// A grammar's script: compiled from the text in the database's header record, kept as a
// symbol table and parse trees until the next compile. A compile reports only its first
// error, with the 0-based line the scanner had reached; a failed compile keeps nothing.
class CScript {
public:
    CScript(CTree& tree, CUndoStructure& undo);
    ~CScript();
    CScript(const CScript&) = delete;
    CScript& operator=(const CScript&) = delete;

    // Compiles the current text. A compile for a working document (studentMode) also
    // declares the author menus. 0, or 1011 when the script has a compile error.
    RErr parseScript(bool studentMode);
    // Discards the compiled script: symbols, parse trees and the recorded error.
    void destroyParse();
    // The first step of a compile: discards the previous one, takes the current text, and
    // makes a symbol table holding the native functions and the grammar's features. The
    // scanner can be driven on its own after it.
    RErr prepareForParsing();

    bool isParsed() const { return parsed; }
    bool isStudentMode() const { return studentModeArg; }
    // The result of the last compile (kept after a failed compile is discarded).
    int32_t lastCompileErrorCode() const { return lastErrorCode; }
    int32_t lastCompileErrorLine() const { return lastErrorLine; }
    // The symbols of the compiled script; nullptr when nothing is compiled.
    CSymbolTable* symbolTable() const { return theSymbolTable.get(); }
    CMiddleInterface& middleInterface() { return *theMiddleInterface; }
    CTree& tree() { return theTree; }
    CUndoStructure& undoStructure() { return theUndoStructure; }
    // The node "search upward" is testing; "0" after a compile.
    const CRString* candidateValue() const { return candidate.get(); }
    // Where each compile writes its "Error code C on line L" line; standard output unless
    // changed, nowhere when nullptr.
    void setTraceOutput(std::ostream* stream) { traceOutput = stream; }

    // --- For the scanner and the grammar actions ---

    // Copies up to `maximum` bytes of the text from the input cursor; 0 once exhausted.
    int32_t yyinput(char* buffer, int32_t maximum);
    void incrementLineCounter() { ++lineCounter; }
    int32_t getLineCounter() const { return lineCounter; }
    // The function whose definition is being compiled, or nullptr.
    CSymbol* getScope() const { return scope; }
    void setScope(CSymbol* function) { scope = function; }
    // Counts a function's parameters, then its local variables.
    int32_t increaseArgumentCounter() { return ++argumentCounter; }
    int32_t getArgumentCounter() const { return argumentCounter; }
    void resetArgumentCounter() { argumentCounter = 0; }
    // Keeps the pair only if this compile has no error yet.
    void recordError(int32_t code, int32_t line);
    int32_t getErrorCode() const { return errorCode; }
    int32_t getErrorLine() const { return errorLine; }
    // The number of cells of an argument list (0 for none).
    static int32_t countArgs(const CScriptNode* cell);
    void startNewUserMenu(const CRString& name);
    void addMenuItem(const CRString& functionName, const CRString& label);
    void addMenuDivider();
    void turnOnRunTimeDebugging();

    // --- Running (the interpreter and the native functions) ---

    // Runs native function `number` (1 to 104) on its frame: slot 0 is the result, slots 1 to
    // its argument count the arguments. The tree operation's code is returned; the
    // interpreter ignores it, since a failing native never stops a script.
    RErr performNativeFunction(int32_t number, CStackFrame& frame);
    // Run-time error 1 ("Invalid node argument") naming the current user and native
    // function, and a debugging line on standard output.
    void badNode(int32_t number);

    // --- The interpreter ---

    // Hooks: functions with fixed names that the system calls.
    static constexpr int32_t kHookOpen = 1;
    static constexpr int32_t kHookClose = 2;
    static constexpr int32_t kHookDragFromLexicon = 3;
    static constexpr int32_t kHookIsDraggingAllowed = 4;
    static constexpr int32_t kHookIsLandingAllowed = 5;
    static constexpr int32_t kHookDragCompleted = 6;
    static constexpr int32_t kHookMagnifyingGlass = 7;
    static constexpr int32_t kHookScissors = 8;
    static constexpr int32_t kHookMagnifyingGlassDown = 9;
    static constexpr int32_t kHookScissorsDown = 10;
    static constexpr int32_t kHookCount = 10;
    // The hook's name and argument count; "" and 0 outside 1..10.
    static const char* hookName(int32_t hook);
    static int32_t hookArgumentCount(int32_t hook);
    // The number of the hook with this exact name, 0 when none.
    static int32_t hookNumber(const std::string& name);

    // The status "exit" returns to leave the current function.
    static constexpr RErr kStatusExit = -1000;
    // The status that unwinds a whole top-level call once one of its budgets is spent.
    static constexpr RErr kStatusStopped = -1001;
    // Evaluation steps one top-level call may take before it is stopped: some seconds.
    static constexpr int64_t kDefaultStepBudget = 50000000;
    // Wall-clock time one top-level call may take; read only every kStepsBetweenChecks steps
    // and after native functions, so that it costs the interpreter nothing it would notice.
    static constexpr int64_t kDefaultTimeLimitMilliseconds = 5000;
    static constexpr int64_t kStepsBetweenChecks = 2048;
    // What one top-level call may add to the document and its open undo step. Each cap keeps
    // a runaway script well under a gigabyte while leaving room for any real grammar.
    struct RGrowthLimits {
        int64_t records = 500000;
        int64_t stringBytes = 64 * 1024 * 1024;
        int64_t undoTasks = 2000000;
    };
    // Why the last top-level call was stopped.
    enum class RStopReason { kNone, kTooLong, kTooMuchMemory, kStringTooLong };
    static constexpr const char* kTooLongMessage =
        "The script was stopped because it ran too long.";
    static constexpr const char* kTooMuchMemoryMessage =
        "The script was stopped because it used too much memory.";
    // Statements and expressions nested deeper than this inside one another (across user
    // function calls) abandon the function instead of exhausting the machine stack.
    static constexpr int32_t kMostNesting = 3000;
    // A user function call nested deeper than this is refused.
    static constexpr int32_t kMostCallDepth = 99;
    static constexpr int32_t kMostWhilePasses = 1000;

    // Run once after every successful compile: registers each hook whose function has the
    // right number of parameters, and alerts about the others.
    RErr registerInternalMessages();
    bool isHookRegistered(int32_t hook) const;
    // Runs a registered hook with node arguments. exists tells whether it ran; answer is
    // whether its result was not 0.
    RErr callInternalMessage(int32_t hook, int32_t first, int32_t second, bool& exists,
                             bool& answer);
    // Runs the function an author menu item names, inside the undo step the caller opened.
    RErr executeAuthorDefinedMenuCommand(const CRString& functionName);
    void setStepBudget(int64_t budget);
    int64_t getStepBudget() const { return stepBudget; }
    void setTimeLimit(int64_t milliseconds) { timeLimitMilliseconds = milliseconds; }
    void setGrowthLimits(const RGrowthLimits& limits) { growthLimits = limits; }
    // True when the last top-level call was stopped by one of its budgets.
    bool lastCallWasStopped() const { return stopped; }
    RStopReason lastStopReason() const { return stopReason; }
    // Stops the current call as a spent budget does: every level unwinds, and the end of the
    // outermost call says why.
    void stopCall(RStopReason reason);

    RErr executeAnyFunction(CSymbol& function, CStackFrame& frame);
    RErr executeUserFunction(CSymbol& function, CStackFrame& frame);
    RErr executeStatementList(const CScriptNode* cell, CStackFrame& frame);
    RErr executeStatement(const CScriptNode& statement, CStackFrame& frame);
    RErr executeAssignmentStatement(const CScriptNode& statement, CStackFrame& frame);
    // value receives a new value that belongs to the caller.
    RErr evaluateExpression(const CScriptNode& expression, CStackFrame& frame, CRString& value);
    RErr evaluateArithmeticOperatorExpression(const CScriptNode& expression, CStackFrame& frame,
                                              CRString& value);
    RErr loadNextArgument(const CScriptNode* cell, CStackFrame& callerFrame, CStackFrame& newFrame,
                          int32_t index, int32_t count);
    static int32_t trueValue(const CRString& value);
    // The result of a binary operator on two values (no "&").
    static RErr applyOperator(int32_t op, const CRString& left, const CRString& right,
                              int32_t& result);

    // The user function and native function being executed, for run-time error messages;
    // empty when none.
    std::string executingUserFunction() const;
    const std::string& executingNativeFunction() const { return executingNativeName; }
    void setExecutingNativeFunction(const std::string& name) { executingNativeName = name; }
    // Reports a run-time error naming the current user and native function.
    void reportRunTimeError(int32_t code);
    int32_t callDepth() const { return depth; }

private:
    RErr installNativeFunctions();
    RErr installFeatures();
    void runParser();

    RObjectCounter<kKindCScript> counter;
    std::unique_ptr<CSymbolTable> theSymbolTable;
    std::unique_ptr<CMiddleInterface> theMiddleInterface;
    CTree& theTree;
    CUndoStructure& theUndoStructure;
    bool parsed = false;
    bool studentModeArg = false;
    int32_t menuCount = 0;
    bool menuAccepted = false;
    std::unique_ptr<CRString> candidate;
    std::string scriptText;
    std::size_t inputCursor = 0;
    int32_t lineCounter = 0;
    CSymbol* scope = nullptr;
    int32_t argumentCounter = 0;
    int32_t errorCode = 0;
    int32_t errorLine = 0;
    int32_t lastErrorCode = 0;
    int32_t lastErrorLine = 0;
    std::unique_ptr<CScriptScanner> scanner;
    std::unique_ptr<CScriptNodePool> nodePool;
    std::ostream* traceOutput;
    std::array<CSymbol*, kHookCount> hooks{};
    const CSymbol* executingUser = nullptr;
    std::string executingNativeName;
    int32_t depth = 0;
    int32_t nesting = 0;
    // Callee frames, one per level of calls in progress: made once and used again, so that a
    // call does not build its frame anew. Emptied when the outermost call ends.
    std::vector<std::unique_ptr<CStackFrame>> framePool;
    int32_t framesInUse = 0;
    // Steps the current top-level call may take before the next check of its budgets, and
    // the rest of its step budget beyond them.
    int64_t stepsLeft = kDefaultStepBudget;
    int64_t stepsInReserve = 0;
    int64_t stepBudget = kDefaultStepBudget;
    int64_t timeLimitMilliseconds = kDefaultTimeLimitMilliseconds;
    RGrowthLimits growthLimits;
    // Where the current top-level call started: the clock and the growth counters.
    std::chrono::steady_clock::time_point callStarted;
    int64_t recordsAtStart = 0;
    int64_t stringBytesAtStart = 0;
    uint64_t undoTasksAtStart = 0;
    // The growth signal at the last growth check.
    uint64_t growthChecked = 0;
    // Top-level calls in progress: a hook a command's native sets off runs within the
    // command's budgets.
    int32_t topLevelCalls = 0;
    bool stopped = false;
    RStopReason stopReason = RStopReason::kNone;
    bool nestingReported = false;
    // The task that holds each global variable's change in the current call, with the open
    // list it was added to; a later assignment amends it instead of adding another.
    std::unordered_map<const CSymbol*, CVariableTask*> variableTasks;
    uint64_t variableTasksList = 0;

    // Starts the budgets of a top-level call, and ends it with the one message a stop gives.
    void beginTopLevelCall();
    void endTopLevelCall();
    // Counts one step; false once a budget is spent (and from then on).
    bool takeStep() {
        if (__builtin_expect(stepsLeft > 0, 1)) {
            --stepsLeft;
            return true;
        }
        return checkBudgets();
    }
    // Every kStepsBetweenChecks steps: the time and growth budgets, and the step reserve.
    [[gnu::cold, gnu::noinline]] bool checkBudgets();
    // Stops the call when it has added more than its growth budget allows.
    void checkGrowth();
    // After a native: the growth budget, and the length of the text it gave back.
    void checkAfterNative(const CStackFrame& frame);
    // A number that changes whenever the document or its undo step may have grown: the sum of
    // the records taken, the undo tasks added and the string bytes written, all counts that
    // only grow. A native that leaves it as it was and gives back no text (most of them, every
    // relation) needs no check.
    inline uint64_t growthSignal() const;
    inline bool needsCheckAfterNative(const CStackFrame& frame) const;
    // Runs a top-level call with the budgets, turning an exhausted allocator into a stop.
    RErr runTopLevel(CSymbol& function, CStackFrame& frame);

    // The functions a script's own recursion passes through are folded into their callers
    // (declared inline; used in the interpreter's file only).
    inline RErr runFunction(CSymbol& function, CStackFrame& frame);
    inline RErr runUserFunction(CSymbol& function, CStackFrame& frame);
    inline RErr runStatementList(const CScriptNode* cell, CStackFrame& frame);
    inline RErr runStatement(const CScriptNode& statement, CStackFrame& frame);
    // "return" of a value that is not a plain number.
    RErr executeReturnOfValue(const CScriptNode& expression, CStackFrame& frame);

    // As evaluateExpression when only the value's number is wanted: the same steps and effects,
    // without making a string where a plain number serves. number ends as the number of the
    // value evaluateExpression would leave, given a value holding number beforehand.
    RErr evaluateNumber(const CScriptNode& expression, CStackFrame& frame, int32_t& number);
    // The two overloads the constructs that serve both kinds of result choose from.
    inline RErr evaluateInto(const CScriptNode& expression, CStackFrame& frame, CRString& value);
    inline RErr evaluateInto(const CScriptNode& expression, CStackFrame& frame, int32_t& number);
    // evaluateExpression once the node's step is counted.
    RErr evaluateCounted(const CScriptNode& expression, CStackFrame& frame, CRString& value);
    RErr refuseDeepNesting();
    // A join whose text would be longer than a document can store.
    RErr refuseLongText();
    // evaluateNumber, once the node's step is counted, through a value made for the purpose.
    RErr evaluateNumberThroughValue(const CScriptNode& expression, CStackFrame& frame,
                                    int32_t& number);
    // The number of a literal, or of a variable or parameter read, once its step is counted;
    // false, with nothing done, when the node is not one of them or cannot be read as it is.
    inline bool readLeafNumber(const CScriptNode& expression, const CStackFrame& frame,
                               int32_t& number);
    // A whole evaluateNumber, steps included, of a literal, a variable or parameter read, or a
    // number operator on two of them, where nothing can go wrong with it; false, with nothing
    // done, otherwise.
    inline bool takeSimpleNumber(const CScriptNode& expression, const CStackFrame& frame,
                                 int32_t& number);
    // evaluateNumber, without a call of its own for a simple expression.
    inline RErr evaluateNumberInPlace(const CScriptNode& expression, CStackFrame& frame,
                                      int32_t& number);
    // A chain of binary operators, into value, or into number when value is nullptr: one
    // operator on numbers, or any chain.
    inline RErr evaluateOneOperator(const CScriptNode& expression, CStackFrame& frame,
                                    CRString* value, int32_t& number);
    RErr evaluateLongChain(const CScriptNode& expression, CStackFrame& frame, CRString* value,
                           int32_t& number);
    template <typename Result>
    RErr executeIf(const CScriptNode& expression, CStackFrame& frame, Result& result);
    template <typename Result>
    RErr executeWhile(const CScriptNode& expression, CStackFrame& frame, Result& result);
    RErr executeForEveryNode(const CScriptNode& expression, CStackFrame& frame);
    RErr executeSearchUpward(const CScriptNode& expression, CStackFrame& frame, CRString& value);
    // A call, its result into value, or into number when value is nullptr.
    inline RErr evaluateCall(const CScriptNode& expression, CStackFrame& frame, CRString* value,
                             int32_t& number);
    RErr readFeature(const CScriptNode& expression, CStackFrame& frame, CRString& value);
    RErr setVariable(CSymbol& variable, CStackFrame& frame, const CRString& value, bool undoable);
};
