#pragma once

#include "base/ErrorCodes.h"

#include <cstdint>

class CRString;

// What a script asks of the windows, passed on unchanged by the middle interface. The
// application implements it and routes each request to the window in front; tests and
// ramex-cli use RecordingUserInterface.
class RUserInterfaceRequests {
public:
    virtual ~RUserInterfaceRequests() = default;

    virtual RErr doUserInterfaceUndoTask(int32_t taskCode, int32_t value) = 0;
    // text is nullptr when the field goes back to having no text.
    virtual RErr notifyUserInterfaceOfTypingTask(int32_t record, int32_t attribute,
                                                 const CRString* text, int32_t selectionStart,
                                                 int32_t selectionEnd) = 0;
    virtual RErr reportParseError(int32_t code, int32_t line) = 0;
    // The main window's status bar.
    virtual RErr message(const CRString& text) = 0;
    // The pop-up box at a node of the canvas.
    virtual RErr popUp(int32_t node, const CRString& text) = 0;
    // The one-line question; a cancelled question leaves the answer empty.
    virtual RErr ask(const CRString& prompt, CRString& answer) = 0;
};
