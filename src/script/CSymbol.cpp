#include "script/CSymbol.h"

#include "base/ErrorReporter.h"
#include "storage/CRString.h"

namespace {

constexpr int32_t kSymbolNameCreatorTag = 120;
constexpr int32_t kSymbolValueCreatorTag = 121;
constexpr int32_t kHighestSymbolType = 10;
constexpr int32_t kMostParameters = 100;

} // namespace

CSymbol::CSymbol(const CRString& name, int32_t type)
    : theString(std::make_unique<CRString>(name.getStringValue(), kSymbolNameCreatorTag)) {
    theString->toLower();
    setSymbolType(type);
}

CSymbol::~CSymbol() {
    // Unlink the rest of the chain one symbol at a time, so a long chain cannot exhaust the
    // stack through nested destructors.
    std::unique_ptr<CSymbol> rest = std::move(nextSymbol);
    while (rest)
        rest = std::move(rest->nextSymbol);
}

void CSymbol::setSymbolType(int32_t type) {
    if (type < 0 || type > kHighestSymbolType)
        bug("CSymbol::setSymbolType", kErrInvalidParameter);
    symbolType = type;
}

void CSymbol::setSymbolHowManyParams(int32_t count) {
    if (count < 0 || count > kMostParameters)
        bug("CSymbol::setSymbolHowManyParams", kErrInvalidParameter);
    howManyParams = count;
}

void CSymbol::setSymbolStringValue(const CRString& value) {
    stringValue = CRString::cloneCRString(value, kSymbolValueCreatorTag);
}

CRString& CSymbol::getSymbolStringValue() const {
    if (!stringValue)
        stringValue = std::make_unique<CRString>(kSymbolValueCreatorTag);
    return *stringValue;
}

bool CSymbol::matchesSymbol(const CRString& text, const CSymbol* scope) const {
    return theScope == scope && CRString::equalString(*theString, text, true, true);
}
