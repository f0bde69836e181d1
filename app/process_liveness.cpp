#include "app/process_liveness.h"

#include <signal.h>

#include <cerrno>

namespace quova {

bool ProcessAlive(pid_t pid) {
    if (pid <= 0) return false;
    return kill(pid, 0) == 0 || errno != ESRCH;
}

}  // namespace quova
