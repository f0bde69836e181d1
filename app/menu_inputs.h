#pragma once

#include "app/menu_state.h"

namespace quova {

struct PlayerSession;

class TQuovaForm;

// What the popup menu's state is computed from, as the window, the settings,
// the graph and the disc stand now: the inputs of ComputeMenuState.
MenuInputs MenuInputsNow(PlayerSession& session, const TQuovaForm& form);

}  // namespace quova
