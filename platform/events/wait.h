#pragma once

namespace quova {

// Everything runs on the one user-interface thread, so whatever must wait
// keeps the window answering by handling pending events while it waits.

// Sleeps ms div 8 steps of 8 ms, handling pending events after each step.
void Wait(int ms);
// Handles the events pending now, once.
void ProcessEvents();

}  // namespace quova
