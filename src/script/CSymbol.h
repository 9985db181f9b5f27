#pragma once

#include "storage/CRMemory.h"
#include "undo/RUndoClients.h"

#include <cstdint>
#include <memory>

class CRString;
class CScriptNode;

// What a name in a script stands for.
enum RSymbolType : int32_t {
    kSymbolUnident = 1, // met in the text, not (yet) defined
    kSymbolFncForw = 2, // declared "forward", not yet defined
    kSymbolUserFnc = 3,
    kSymbolNatvFnc = 4,
    kSymbolVariabl = 5, // global (no scope) or local to its scope's function
    kSymbolLoclArg = 6, // a parameter of its scope's function
    kSymbolAttribu = 7, // an author-defined node feature of the grammar
};

// One name in one scope. Symbols of a hash bucket form a chain that each symbol owns from
// itself onwards. A global variable keeps its value here, which undo changes through
// RVariable.
class CSymbol : public RVariable {
public:
    // The name is stored as a lower-case copy; the given text is not changed.
    explicit CSymbol(const CRString& name, int32_t type);
    ~CSymbol() override;
    CSymbol(const CSymbol&) = delete;
    CSymbol& operator=(const CSymbol&) = delete;

    const CRString& getSymbolString() const { return *theString; }

    // Values outside 0..10 are reported and stored anyway.
    void setSymbolType(int32_t type);
    int32_t getSymbolType() const { return symbolType; }
    // Values outside 0..100 are reported and stored anyway.
    void setSymbolHowManyParams(int32_t count);
    int32_t getSymbolHowManyParams() const { return howManyParams; }
    // A function's parameters plus its local variables.
    void setSymbolTotalStackFrameSize(int32_t size) { totalStackFrameSize = size; }
    int32_t getSymbolTotalStackFrameSize() const { return totalStackFrameSize; }
    // A parameter's or local variable's slot in its function's frame, from 1.
    void setSymbolStackFramePosition(int32_t position) { stackFramePosition = position; }
    int32_t getSymbolStackFramePosition() const { return stackFramePosition; }
    // A native function's number, or a feature's record.
    void setSymbolValue(int32_t value) { theValue = value; }
    int32_t getSymbolValue() const { return theValue; }
    // A user function's statement list, or nullptr for an empty body. The nodes belong to
    // the compiled script, which outlives its symbols' use of them.
    void setSymbolBody(const CScriptNode* body) { theBody = body; }
    const CScriptNode* getSymbolBody() const { return theBody; }
    // A global variable's value; an empty one is created the first time it is read.
    void setSymbolStringValue(const CRString& value);
    CRString& getSymbolStringValue() const;
    // The function a parameter or local variable belongs to; nullptr for everything global.
    void setSymbolScope(CSymbol* scope) { theScope = scope; }
    CSymbol* getSymbolScope() const { return theScope; }

    void setNext(std::unique_ptr<CSymbol> next) { nextSymbol = std::move(next); }
    CSymbol* getNext() const { return nextSymbol.get(); }

    // Same name ignoring case and diacritics, and exactly the same scope.
    bool matchesSymbol(const CRString& text, const CSymbol* scope) const;

    const CRString& variableValue() const override { return getSymbolStringValue(); }
    void setVariableValue(const CRString& value) override { setSymbolStringValue(value); }

private:
    RObjectCounter<kKindCSymbol> counter;
    std::unique_ptr<CSymbol> nextSymbol;
    std::unique_ptr<CRString> theString;
    int32_t symbolType = 0;
    int32_t howManyParams = 0;
    int32_t totalStackFrameSize = 0;
    int32_t stackFramePosition = 0;
    int32_t theValue = 0;
    const CScriptNode* theBody = nullptr;
    mutable std::unique_ptr<CRString> stringValue;
    CSymbol* theScope = nullptr;
};
