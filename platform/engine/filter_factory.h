#pragma once

#include <memory>
#include <vector>

#include "platform/engine/filter_mapper.h"

namespace quova::engine {

// The named filters as the mapper lists them (pins' types are taken from the
// factory underneath).
std::vector<FilterInfo> NamedFilterInfos();

// A new filter of the kind `info` describes, pins made; nullptr when its
// element is not installed.
std::shared_ptr<Filter> CreateFilter(const FilterInfo& info);

}  // namespace quova::engine
