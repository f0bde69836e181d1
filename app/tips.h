#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quova {

// The 32-bit hash naming a tip's value under the Tips key: the text prefixed
// with its decimal length, padded with 255 bytes, folded as little-endian words
// taken at three byte offsets.
std::uint32_t TextHash(std::string_view text);

// The Tips value name of a tip text for a program version: 8 upper-case
// hexadecimal digits, so every tip shows again after the version changes.
std::string TipValueName(const std::string& programVersion, const std::string& text);

// Offers the tip with lexicon entry `lexiconIndex` once: nothing happens when
// the entry has no text or the user chose to skip it. Answering No writes the
// skip mark. Errors are shown in a box captioned "Quova:ShowTip". Returns
// whether the tip was shown.
bool ShowTip(int lexiconIndex);

// The start-up tip: one of entries 11 to 30 at random.
void ShowRandomTip();

}  // namespace quova
