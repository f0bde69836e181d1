#include "app/settings.h"

#include <unistd.h>

#include <climits>

#include "quova_version.h"

namespace quova {

Settings& AppSettings() {
    static Settings settings;
    return settings;
}

std::string BuildProgramVersion() {
    return QUOVA_VERSION_STRING;
}

std::string RunningExePath() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

}  // namespace quova
