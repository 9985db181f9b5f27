#pragma once

#include "base/Platform.h"

#include <cstdint>

// The questions the File commands of both sides ask, with their exact texts.

// "Are you sure you want to abandon changes ...": true when the person pressed OK.
bool confirmRevert();
// "Save document before closing?" with the given buttons; returns the button pressed.
int32_t askSaveBeforeClosing(MessageButtons buttons);
// "There is already a file by this name.  Replace it?": true when the person pressed Yes.
bool confirmReplaceExistingFile();
