#pragma once

#include <string>
#include <utility>
#include <vector>

#include "text/subtitle_timetable.h"

namespace quova::testing {

using Entries = std::vector<std::pair<int, std::string>>;

// The slots that hold an entry, in time order, with the entry's text.
inline Entries SlotsOf(const SubtitleTimetable& table) {
    Entries out;
    for (size_t s = 0; s < table.SubtitleSlots.size(); ++s)
        if (table.SubtitleSlots[s] >= 0)
            out.emplace_back(static_cast<int>(s), table.SubtitleTexts[table.SubtitleSlots[s]]);
    return out;
}

}  // namespace quova::testing
