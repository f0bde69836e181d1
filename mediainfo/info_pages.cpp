#include "mediainfo/info_pages.h"

namespace quova {

std::vector<InfoPage> InfoPagesToShow(const std::string& aviText, const std::string& oggText) {
    std::vector<InfoPage> pages;
    if (!aviText.empty()) pages.push_back({"AVI Info", aviText});
    if (!oggText.empty()) pages.push_back({"OGG Info", oggText});
    return pages;
}

}  // namespace quova
