#pragma once

#include "base/ErrorCodes.h"
#include "script/CSymbol.h"
#include "storage/CRMemory.h"

#include <array>
#include <cstdint>
#include <memory>

class CRString;

// Every name one compile meets, hashed into chains. The hash is taken modulo 211, so the
// last of the 212 bucket heads stays empty. Symbols are appended at the end of their chain,
// so of two symbols with the same name and scope a lookup finds the older.
class CSymbolTable {
public:
    static constexpr int32_t kBucketCount = 212;
    static constexpr uint32_t kHashModulus = 211;

    CSymbolTable();
    ~CSymbolTable();
    CSymbolTable(const CSymbolTable&) = delete;
    CSymbolTable& operator=(const CSymbolTable&) = delete;

    // The ELF hash of the text's UTF-8 bytes, modulo 211.
    static int32_t hashFunction(const CRString& text);

    // The first symbol of the text's bucket whose name equals the text ignoring case and
    // diacritics and whose scope is exactly `scope`; nullptr when none. Always returns 0.
    RErr findASymbol(const CRString& text, const CSymbol* scope, CSymbol*& symbol) const;
    // A new global symbol of the given kind, whatever symbols of that name exist already.
    RErr addASymbol(const CRString& text, int32_t type, CSymbol*& symbol);

    // The head of a bucket's chain, or nullptr (for inspection).
    CSymbol* bucketHead(int32_t bucket) const;

private:
    RObjectCounter<kKindCSymbolTable> counter;
    RCountedBuffer<kTagSymbolBuckets> bucketsCounted;
    std::array<std::unique_ptr<CSymbol>, kBucketCount> buckets;
};
