#include "tests/support/child_process.h"

#include <sys/prctl.h>
#include <unistd.h>

#include <QProcess>
#include <csignal>

namespace quova::testing {

void EndWithThisProgram(QProcess& process) {
    const pid_t parent = ::getpid();
    process.setChildProcessModifier([parent] {
        // Runs in the child between fork and exec; only async-signal-safe
        // calls. The death signal survives exec. A parent that died before
        // the signal was armed is seen by the changed parent id.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(127);
    });
}

}  // namespace quova::testing
