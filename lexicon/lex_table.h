#pragma once

#include <array>
#include <string>

#include "lexicon/lexicon.h"

namespace quova {

// The texts loaded from lexicon files, one slot per index. An empty slot means
// nothing was loaded for that index, so the built-in text shows instead.
class LexTable {
  public:
    // The loaded text, empty for an index without one or out of range.
    const std::string& Get(int index) const;

    // Replaces the slot's text; an index out of range is ignored.
    void Store(int index, std::string text);

    void Clear();

  private:
    std::array<std::string, LexSlotCount> slots_;
};

}  // namespace quova
