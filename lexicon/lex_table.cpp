#include "lexicon/lex_table.h"

#include <utility>

namespace quova {

const std::string& LexTable::Get(int index) const {
    static const std::string empty;
    if (index < 0 || index >= LexSlotCount) return empty;
    return slots_[index];
}

void LexTable::Store(int index, std::string text) {
    if (index < 0 || index >= LexSlotCount) return;
    slots_[index] = std::move(text);
}

void LexTable::Clear() {
    for (std::string& slot : slots_) slot.clear();
}

}  // namespace quova
