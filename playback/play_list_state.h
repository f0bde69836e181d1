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
    // A play list file is being opened: one named among its entries is not
    // opened too, which could nest without end.
    bool loadingList = false;
    int PlayListCount() const { return static_cast<int>(PlayList.size()); }
};

}  // namespace quova
