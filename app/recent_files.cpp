#include "app/recent_files.h"

#include "text/string_utils.h"

namespace quova {

int AddRecentFile(std::array<std::string, 5>& recent, const std::string& name) {
    const std::string caption = ReplaceAll(name, "&", "&&");
    int pos = 4;
    if (caption.empty()) return pos;
    for (int i = 0; i < 5; ++i)
        if (recent[i] == caption) pos = i;  // the last match wins
    for (int i = pos; i > 0; --i) recent[i] = recent[i - 1];
    recent[0] = caption;
    return pos;
}

std::string RecentCaptionToName(const std::string& caption) {
    std::string text = ReplaceAll(caption, "&", "&&");
    text = ReplaceAll(text, "&&&&", "&");
    return ReplaceAll(text, "&&", "");
}

}  // namespace quova
