#pragma once

namespace quova {

// Below 0 while the program is starting: opening a file or a DVD does
// nothing then. Start-up raises it to 0 around each command-line open; each
// close of the About box adds 1, so closing the splash makes the program ready.
inline int OpenCounter = -1;

}  // namespace quova
