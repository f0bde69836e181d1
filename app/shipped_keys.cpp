#include "app/shipped_keys.h"

namespace quova {

const std::vector<std::pair<std::string, std::string>>& ShippedShortcuts() {
    // Next and Previous keep their designed Ctrl+N and Ctrl+P beside the page
    // keys: the designed keys are never taken.
    static const std::vector<std::pair<std::string, std::string>> keys = {
        {"Play1", "Space"},
        {"Quick1", "]"},
        {"Slow1", "["},
        {"Step1", "."},
        {"Screenshot1", "S"},
        {"VideoScreenshot1", "Shift+S"},
        {"JumpBWD1", "Ctrl+Left"},
        {"JumpFWD1", "Ctrl+Right"},
        {"JumpBWD2", "Left"},
        {"JumpFWD2", "Right"},
        {"Start1", "Home"},
        {"End1", "End"},
        {"FullScreen1", "F"},
        {"VolumeUp1", "Up"},
        {"VolumeDown1", "Down"},
        {"Previous1", "PgUp"},
        {"Next2", "PgDown"},
    };
    return keys;
}

std::string ShippedShortcut(const std::string& itemName, const std::string& designed) {
    for (const auto& [name, key] : ShippedShortcuts())
        if (name == itemName) return designed.empty() ? key : designed + "; " + key;
    return designed;
}

}  // namespace quova
