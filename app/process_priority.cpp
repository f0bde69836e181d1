#include "app/process_priority.h"

#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace quova {

namespace {

int CurrentNice() {
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, 0);
    return errno == 0 ? nice : 0;
}

}  // namespace

ProcessPriority::ProcessPriority() : startNice_(CurrentNice()) {}

bool ProcessPriority::Set(bool high, std::string* error) {
    const int target = high ? std::max(-20, startNice_ - kHighPriorityRaise) : startNice_;
    if (setpriority(PRIO_PROCESS, 0, target) != 0) {
        if (error) *error = std::strerror(errno);
        return false;
    }
    // Linux keeps a nice value per thread: the playing threads that already
    // exist follow the calling one (threads started later inherit it).
    std::error_code ec;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", ec)) {
        const std::string name = task.path().filename().string();
        char* end = nullptr;
        const long tid = std::strtol(name.c_str(), &end, 10);
        if (end && *end == '\0' && tid > 0)
            setpriority(PRIO_PROCESS, static_cast<id_t>(tid), target);
    }
    return true;
}

std::string HighPriority1Click(bool& highPriority, ProcessPriority& priority) {
    const bool wanted = !highPriority;
    std::string error;
    if (!priority.Set(wanted, &error))
        return wanted ? "high priority: not allowed" : "normal priority: not allowed";
    highPriority = wanted;
    return {};
}

}  // namespace quova
