#pragma once

#include <string>
#include <vector>

#include "platform/engine/filter.h"
#include "platform/engine/filter_graph.h"

namespace quova {

// What a listing of the graph's filters found. The caller shows it: the
// Filters submenu, the properties dialog's filter buttons, a property page.
struct FilterListing {
    // " name" per filter, with its pin count in the plain and pin modes and
    // its audio output pins in the pin mode, one filter a line.
    std::string text;
    // The names of the filters that have settings to edit, in graph order.
    std::vector<std::string> withPages;
    // The filters whose settings page is to be opened (the name mode).
    std::vector<engine::FilterPtr> pagesToOpen;
    // The pin mode: the connected audio outputs of the filter that has more
    // than one of them.
    std::vector<engine::PinPtr> audioSplitterPins;
};

// `mode` is "menu", "pins", "" or a filter's name.
FilterListing ListGraphFilters(const engine::FilterGraph* graph, const std::string& mode);

// A filter has a settings page when it has a setting that can be changed.
bool HasPropertyPages(const engine::Filter& filter);

// Every Filters item shows at most this many filters in the properties dialog.
inline constexpr int kFilterButtons = 10;

}  // namespace quova
