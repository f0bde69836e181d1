#include "platform/paths/user_home.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace quova {

std::filesystem::path UserHomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home == '/') return home;
    const passwd* user = getpwuid(getuid());
    if (!user || !user->pw_dir || user->pw_dir[0] != '/') return {};
    std::error_code ec;
    if (!std::filesystem::is_directory(user->pw_dir, ec)) return {};
    return user->pw_dir;
}

}  // namespace quova
