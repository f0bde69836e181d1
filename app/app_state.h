#pragma once

namespace quova {

// The desktop session (or a termination signal) is ending the program: the
// window closes without asking. The process's, as the signal that tells it
// is; a start sets it back.
inline bool SessionEnding = false;

}  // namespace quova
