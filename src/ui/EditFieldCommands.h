#pragma once

#include <cstdint>

// What the Edit menu's Cut, Copy, Paste and Clear can do with the focus where it is now.
struct REditFieldState {
    bool focusInEditField = false;
    bool selectionNotEmpty = false;
    bool clipboardHasText = false;
};

// The focus is in a one-line or multi-line edit field; its selection; text on the clipboard.
REditFieldState couldCutCopyClearPaste();

// Cut (23), Copy (24), Paste (25) or Clear (26) on the focused edit field. When the command
// cannot work there its name is reported (code 0); a field gets the request all the same, as
// the field itself then does nothing. False when the focus is in no edit field.
bool sendEditFieldCommand(int32_t commandId);

class QWidget;
// The platform's own cut, copy, paste or clear request to a one-line or multi-line field.
void sendPlatformEditRequest(QWidget* field, int32_t commandId);
