#include "tests/support/memory_use.h"

#include <sys/resource.h>

#include <fstream>
#include <string>

namespace quova::testing {

std::size_t PeakResidentBytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmHWM:")) return std::stoull(line.substr(6)) * 1024;
    return 0;
}

void ResetPeakMemory() {
    // "5" resets the peak resident size to the present one.
    std::ofstream("/proc/self/clear_refs") << "5";
}

bool LimitAddressSpace(std::size_t bytes) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    (void)bytes;
    return false;
#else
    const rlimit limit{bytes, bytes};
    return setrlimit(RLIMIT_AS, &limit) == 0;
#endif
}

}  // namespace quova::testing
