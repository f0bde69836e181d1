#include "platform/paths/state_folder.h"

namespace quova {

std::filesystem::path UserStateFolder(const std::string& xdgStateHome, const std::string& home) {
    if (xdgStateHome.starts_with('/')) return std::filesystem::path(xdgStateHome) / "quova";
    if (home.starts_with('/')) return std::filesystem::path(home) / ".local/state/quova";
    return {};
}

}  // namespace quova
