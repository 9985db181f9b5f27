#pragma once

#include <cstdint>

// Every operation returns one of these (0 = success); results travel through out-parameters.
using RErr = int32_t;

constexpr RErr kNoErr = 0;
constexpr RErr kErrUserCancelled = -1; // never reported

constexpr RErr kErrGeneral = 1000;
constexpr RErr kErrMallocFailed = 1001;
constexpr RErr kErrNotInitialized = 1002;
constexpr RErr kErrReinitialized = 1003;
constexpr RErr kErrInvalidParameter = 1004;
constexpr RErr kErrUnbalancedUndo = 1005;
constexpr RErr kErrCantUndoRedo = 1006;
constexpr RErr kErrFileSystem = 1007;
constexpr RErr kErrInvalidFormat = 1008;
constexpr RErr kErrOlderVersion = 1009;
constexpr RErr kErrNewerVersion = 1010;
constexpr RErr kErrScriptCompile = 1011;

// The forked file container's own codes.
constexpr RErr kErrNoSuchFork = -102;
constexpr RErr kErrForkExists = -103;
constexpr RErr kErrOutsideFork = -104;
constexpr RErr kErrBadContainerVersion = -105;
