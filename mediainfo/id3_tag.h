#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include "mediainfo/byte_reader.h"

namespace quova {

// The last 128 bytes of a file when they hold an ID3 version 1 tag ("TAG"
// first), else all zero.
using Id3Buffer = std::array<uint8_t, 128>;

// Fills `buffer`; true when the file ends in a tag. A missing or short file,
// or one without a tag, leaves the buffer zero and gives false.
bool ReadId3Tag(const std::filesystem::path& file, Id3Buffer& buffer);
bool ReadId3Tag(ByteSource& source, Id3Buffer& buffer);

bool HoldsId3Tag(const Id3Buffer& buffer);

// Whether the open pipeline looks for a tag in this file: the extension's
// second and third characters are "mp" (".mp3", ".mp2", ".mpg", ...).
bool MayCarryId3Tag(const std::filesystem::path& file);

enum class Id3FieldId { Header = 0, Title, Artist, Album, Year, Comment, Track, Genre };

// Field 0..7 of the tag as text: the text fields end at their first zero byte
// and lose blanks at both ends (bytes that are not UTF-8 are read as
// Windows-1252); the track is a decimal number, "" in a version 1.0 tag,
// whose comment takes its byte; the genre is its name from the list, or the
// number for one beyond it. Any other field number gives "".
std::string Id3Field(const Id3Buffer& buffer, int field);
inline std::string Id3Field(const Id3Buffer& buffer, Id3FieldId field) {
    return Id3Field(buffer, static_cast<int>(field));
}

// The seven lines the ID3 display draws, top to bottom: "title: ...",
// "artist: ", "album: ", "year: ", "comment: ", "track: ", "genre: ".
std::array<std::string, 7> Id3DisplayLines(const Id3Buffer& buffer);

// Where display line 0..6 starts, for an OSD line height `lineHeight`: the
// line height doubles as the left margin, and the lines begin two rows down.
struct Id3LineOrigin {
    int x;
    int y;
};
Id3LineOrigin Id3DisplayLineOrigin(int line, int lineHeight);

}  // namespace quova
