#pragma once

#include <cstdint>

// The compile error codes a script can get; the script window shows their texts.
enum RCompileError : int32_t {
    kCompileOk = 0,
    kCompileSyntaxError = 1,
    kCompileAlreadyForward = 2,
    kCompileParameterCountMismatch = 3,
    kCompileFunctionIsVariable = 4,
    kCompileNameIsFeature = 5,
    kCompileBadParameterList = 6,
    kCompileParameterIsFeature = 7,
    kCompileParameterIsFunction = 8,
    kCompileLocalTwice = 9,
    kCompileLocalIsParameter = 10,
    kCompileLocalIsFunction = 11,
    kCompileLoopVariable = 12,
    kCompileMissingComma = 13,
    kCompileGlobalTwice = 14,
    kCompileArgumentTwice = 15,
    kCompileTooManyMenus = 16,
    kCompileTooFewArguments = 17,
    kCompileTooManyArguments = 18,
    kCompileUndefinedSymbol = 19,
    kCompileIllegalFunctionID = 20,
    kCompileLocalArgumentInGlobalScope = 21,
};

constexpr int32_t kHighestCompileError = 21;

// The text of codes 1 to 21 ("\n" marks a line break); "" for any other code.
const char* compileErrorText(int32_t code);
