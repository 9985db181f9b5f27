#include "script/CSymbolTable.h"

#include "base/ErrorReporter.h"
#include "storage/CRString.h"

#include <new>

namespace {

constexpr int32_t kLookupCreatorTag = 122;

// The bucket of a name already in lower case.
int32_t bucketOf(const char* lowered) {
    uint32_t h = 0;
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(lowered); *c; ++c) {
        h = (h << 4) + *c;
        const uint32_t g = h & 0xF0000000u;
        if (g != 0)
            h = h ^ (g >> 24) ^ g;
    }
    return static_cast<int32_t>(h % CSymbolTable::kHashModulus);
}

} // namespace

CSymbolTable::CSymbolTable() = default;

CSymbolTable::~CSymbolTable() = default;

int32_t CSymbolTable::hashFunction(const CRString& text) {
    return bucketOf(text.getStringValue());
}

RErr CSymbolTable::findASymbol(const CRString& text, const CSymbol* scope, CSymbol*& symbol) const {
    CRString lowered(text.getStringValue(), kLookupCreatorTag);
    lowered.toLower();
    symbol = buckets[static_cast<std::size_t>(bucketOf(lowered.getStringValue()))].get();
    while (symbol && !symbol->matchesSymbol(lowered, scope))
        symbol = symbol->getNext();
    return kNoErr;
}

RErr CSymbolTable::addASymbol(const CRString& text, int32_t type, CSymbol*& symbol) {
    symbol = nullptr;
    std::unique_ptr<CSymbol> created;
    try {
        created = std::make_unique<CSymbol>(text, type);
    } catch (const std::bad_alloc&) {
        bug("CSymbolTable::addASymbol", kErrMallocFailed);
        return kErrMallocFailed;
    }
    symbol = created.get();
    std::unique_ptr<CSymbol>* link =
        &buckets[static_cast<std::size_t>(bucketOf(created->getSymbolString().getStringValue()))];
    CSymbol* last = link->get();
    if (!last) {
        *link = std::move(created);
        return kNoErr;
    }
    while (last->getNext())
        last = last->getNext();
    last->setNext(std::move(created));
    return kNoErr;
}

CSymbol* CSymbolTable::bucketHead(int32_t bucket) const {
    if (bucket < 0 || bucket >= kBucketCount)
        return nullptr;
    return buckets[static_cast<std::size_t>(bucket)].get();
}
