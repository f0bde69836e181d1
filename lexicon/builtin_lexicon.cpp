#include <vector>

#include "lexicon/builtin_texts.h"
#include "lexicon/lexicon.h"

namespace quova {

namespace {

const std::string& Unknown() {
    static const std::string unknown = "?";
    return unknown;
}

// Callers hold on to the returned references, so the texts live in strings
// made once and never touched again.
const std::vector<std::string>& BuiltInSlots() {
    static const std::vector<std::string> slots = [] {
        std::vector<std::string> built(LexSlotCount);
        for (const LexEntry& entry : kBuiltInTexts) built[entry.index] = entry.text;
        return built;
    }();
    return slots;
}

}  // namespace

static_assert(kBuiltInTexts[std::size(kBuiltInTexts) - 1].index < LexSlotCount);

const std::string& BuiltInLex(int index) {
    if (index < 0 || index >= LexSlotCount) return Unknown();
    const std::string& text = BuiltInSlots()[index];
    return text.empty() ? Unknown() : text;
}

}  // namespace quova
