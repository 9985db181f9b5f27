#pragma once

#include "base/ErrorCodes.h"

#include <string>

// The whole-file calls whose rules differ between Linux and Windows. Paths are UTF-8.

// Puts `source` in the place of `target` in one step: a reader sees either the old file or
// the new one, never a mixture, and the step is on the disk when the call returns. Returns
// 1007 without a report (the caller reports under its own name); the target is then as it was.
// A read-only target is never replaced, on either system.
RErr replaceFileAtomically(const std::string& source, const std::string& target);

// False for a name Windows cannot hold as an ordinary file: one with a character it forbids
// (< > : " / \ | ? * or a control character), one ending in a dot or a space, or a device
// name such as CON or LPT1, with or without an extension. Only the last component is given.
bool isAllowedWindowsFileName(const std::string& name);

#ifdef _WIN32
// The UTF-16 form the Windows calls take, with the \\?\ prefix when the path is longer than
// the traditional limit; empty when the path is not valid UTF-8 or its file name is not
// allowed, so that every call made with it fails.
std::wstring windowsPath(const std::string& path);
#endif
