#pragma once

namespace quova {

// The desktop session (or a termination signal) is ending the program: the
// window closes without asking.
inline bool SessionEnding = false;

}  // namespace quova
