#pragma once

#include "app/MenuState.h"

#include <cstdint>
#include <functional>

class QAction;

// Shows a menu state on a window's actions. Items the window has no action for are skipped;
// the state's notes and error are reported under `name`, as is a mode without these menus.
void applyMenuState(const RMenuState& state, const std::function<QAction*(int32_t)>& actionOf,
                    const char* name);
