#pragma once

#include <cstdint>

// What the program is doing: which window is in front and where requests go.
enum RMode : int32_t {
    kModeClosingDocument = 1, // the main window's next paint finishes the change to 2
    kModeNoDocument = 2,
    kModeOpeningDocument = 3, // the main window's next paint finishes the change to 4
    kModeDocument = 4,
    kModeSwitchingToAuthor = 5,
    kModeAuthor = 6,
    kModeQuitting = 7,
};
