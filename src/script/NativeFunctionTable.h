#pragma once

#include "base/ErrorCodes.h"

#include <cstdint>

class CNativeCall;

// What a native leaves in its result slot. An action's result is set to 1 before it runs
// (0 when it fails); every other native leaves the slot empty until it has a value.
enum class RNativeResult { None, Action, Truth, Number, Node, Text, Value };

// The vocabulary of native functions a script can call. An entry's number is its position,
// counted from 1; compiles install them in this order, so a feature or a script function
// of the same name can never hide one. The call runs the entry's function.
struct RNativeFunction {
    const char* name;
    int32_t argumentCount;
    RNativeResult result;
    RErr (*run)(CNativeCall& call);
};

constexpr int32_t kNativeFunctionCount = 104;

// The entry with the number 1 to kNativeFunctionCount, or nullptr for any other number.
const RNativeFunction* nativeFunction(int32_t number);
