#pragma once

#include <cstdint>

// The vocabulary of native functions a script can call. An entry's number is its position,
// counted from 1; compiles install them in this order, so a feature or a script function
// of the same name can never hide one.
struct RNativeFunction {
    const char* name;
    int32_t argumentCount;
};

constexpr int32_t kNativeFunctionCount = 104;

// The entry with the number 1 to kNativeFunctionCount, or nullptr for any other number.
const RNativeFunction* nativeFunction(int32_t number);
