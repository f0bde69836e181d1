#pragma once

#include "app/menu_state.h"

namespace quova {

class TQuovaForm;

// What the popup menu's state is computed from, as the window, the settings,
// the graph and the disc stand now: the inputs of ComputeMenuState.
MenuInputs MenuInputsNow(const TQuovaForm& form);

}  // namespace quova
