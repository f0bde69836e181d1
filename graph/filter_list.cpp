#include "graph/filter_list.h"

#include "graph/media_type_names.h"

namespace quova {

using namespace engine;

bool HasPropertyPages(const Filter& filter) {
    for (const FilterProperty& p : filter.Properties())
        if (p.writable) return true;
    return false;
}

FilterListing ListGraphFilters(const FilterGraph* graph, const std::string& mode) {
    FilterListing out;
    if (!graph) return out;
    const bool pinsMode = mode == "pins";
    for (const FilterPtr& filter : graph->Filters()) {
        out.text += " " + filter->Name();
        if (!pinsMode && HasPropertyPages(*filter)) {
            if (mode.empty() || mode == "menu") {
                if (!filter->Name().empty()) out.withPages.push_back(filter->Name());
            } else if (mode == filter->Name()) {
                out.pagesToOpen.push_back(filter);
            }
        }
        if (mode.empty() || pinsMode) {
            const std::vector<PinPtr> pins = filter->Pins();
            out.text += " (" + std::to_string(pins.size()) + " Pins)";
            if (pinsMode) {
                std::vector<PinPtr> audio;
                for (const PinPtr& pin : pins) {
                    if (pin->Direction() != PinDirection::Output) continue;
                    const Outcome<MediaType> type = pin->ConnectionMediaType();
                    if (!type.ok() || type.value.majorType != MEDIATYPE_Audio) continue;
                    out.text += "\n  " + pin->Name() + " " + pin->Id() + " " +
                                std::to_string(static_cast<int>(pin->Direction())) + " [" +
                                MediaTypeName(type.value.majorType) + "/" +
                                MediaTypeName(type.value.subType) + "]";
                    audio.push_back(pin);
                }
                if (audio.size() > 1) out.audioSplitterPins = std::move(audio);
            }
        }
        out.text += "\n";
    }
    return out;
}

}  // namespace quova
