#pragma once

#include <sys/types.h>

namespace quova {

// Whether a process with this id exists, whoever owns it. Only "no such
// process" means gone: one we may not signal (another user's, or ours after a
// change of user) is alive all the same.
bool ProcessAlive(pid_t pid);

}  // namespace quova
