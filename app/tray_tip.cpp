#include "app/tray_tip.h"

namespace quova {

std::string TrayTip(const std::string& caption) {
    constexpr int kMaxCharacters = 62;
    int characters = 0;
    for (size_t i = 0; i < caption.size(); ++i) {
        // A byte that does not continue a sequence starts a character.
        if ((static_cast<unsigned char>(caption[i]) & 0xC0) != 0x80 &&
            ++characters > kMaxCharacters)
            return caption.substr(0, i);
    }
    return caption;
}

}  // namespace quova
