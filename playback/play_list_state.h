#pragma once

#include <string>
#include <vector>

namespace quova {

// The ordered list of file names the next medium is taken from, and how often
// each entry was started since the list was set.
struct PlayListState {
    std::vector<std::string> PlayList;
    std::vector<int> PlayCounts;
    int PlayListIndex = -1;
    int PlayListCount() const { return static_cast<int>(PlayList.size()); }
};

}  // namespace quova
