#pragma once

#include <string>
#include <vector>

namespace quova {

struct InfoPage {
    std::string caption;
    std::string text;
};

// What the "AVI Info" command shows, in order: the AVI listing captioned
// "AVI Info" when there is one, then the Ogg listing captioned "OGG Info"
// when there is one. Each page goes to the text dialog in turn.
std::vector<InfoPage> InfoPagesToShow(const std::string& aviText, const std::string& oggText);

}  // namespace quova
