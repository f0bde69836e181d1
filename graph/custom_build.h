#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/engine/filter.h"
#include "platform/engine/guid.h"
#include "platform/engine/media_type.h"
#include "platform/engine/pin.h"
#include "platform/engine/result.h"

namespace quova {

struct MediumSession;

// Which pins CountPins and GetPin look at.
enum PinSelector : int { PinsInput = 1, PinsOutput = 2, PinsAll = 3 };

// A pin's media types as the chooser shows them: at most this many.
inline constexpr int kMaxPinTypes = 16;

// The first kMaxPinTypes types a pin offers, and the text that describes the
// path so far with one "[major/subtype] " line per type appended.
struct PinTypes {
    std::vector<engine::MediaType> types;
    std::string text;
};
PinTypes DescribePinTypes(const std::string& pathText, const engine::Pin& pin);

// Builds the graph downstream of an output pin with the user's choices, pin
// by pin: "&Add" inserts the chosen filter, "A&uto" lets the graph manager
// finish the pin, "&Skip" leaves it unconnected. `text` describes the path so
// far (the file name on the first call).
engine::HResult CustomBuild(MediumSession& session, const std::string& text,
                            const engine::PinPtr& pin);

// Appends to the chooser's list the friendly names of the filters with at
// least `merit` that take one of `inputTypes` and give one of `outputTypes`
// (an empty list asks nothing).
void FillFilterList(bool exactMatch, std::uint32_t merit,
                    const std::vector<engine::MediaType>& inputTypes,
                    const std::vector<engine::MediaType>& outputTypes);

// A new filter of that friendly name (case-sensitive); null when none has it.
engine::FilterPtr CreateFilterByName(const std::string& friendlyName);

// The names of the graph's filters with a pin of `direction` that carries
// (or, unconnected, accepts) the type; GUID_NULL matches anything. A filter
// is named once per match; at most maxIndex + 1 names are stored.
int FindFilterNamesByPinType(MediumSession& session, const engine::Guid& majorType,
                             const engine::Guid& subType, engine::PinDirection direction,
                             int maxIndex, std::vector<std::string>& names);

// Removes every filter that consumes the major type: its stream is neither
// decoded nor rendered, and the splitter's pin stays free.
void BypassMediaType(MediumSession& session, const engine::Guid& majorType);

int CountPins(const engine::FilterPtr& filter, int which);
// The index-th such pin, counting from 1; null when there are fewer.
engine::PinPtr GetPin(const engine::FilterPtr& filter, int which, int index);
// Removes the filter and everything downstream of it, far end first.
void RemoveDownstream(MediumSession& session, const engine::FilterPtr& filter);

}  // namespace quova
