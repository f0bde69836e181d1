#pragma once

#include <string>

namespace quova {

// The ID3 version 1 genre list with the Winamp extensions.
constexpr int kId3GenreCount = 148;

// The genre's name for 0..147; an empty text for any other number.
const std::string& Id3GenreName(int genre);

}  // namespace quova
