#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quova::testing {

// Whole, good media of the kinds a player meets most: AVI, Ogg Theora+Vorbis,
// Matroska H.264+MP3, MPEG program stream, MP3, WAV and ASF (WMV+WMA). Each
// lasts `seconds`; kinds the installed encoders cannot make are left out.
std::vector<std::filesystem::path> MakeSourceMedia(const std::filesystem::path& dir,
                                                   double seconds = 2.0);

// Damaged copies of each source: cut short at ten points (5 %, 15 %, ... 95 %
// of the file) and `flipped` copies with bytes overwritten at random places
// (a fixed seed per copy, so a run is repeatable). Returns the copies' names.
std::vector<std::filesystem::path> MakeDamagedCorpus(
    const std::vector<std::filesystem::path>& sources, const std::filesystem::path& dir,
    int flipped = 24);

}  // namespace quova::testing
