#include "mediainfo/id3_tag.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "mediainfo/id3_genres.h"
#include "platform/encoding/text_encoding.h"

namespace quova {

namespace {

constexpr size_t kTagSize = 128;

struct TextField {
    size_t offset;
    size_t width;
};
// Header, title, artist, album, year, comment. Version 1.1 takes the last two
// of the comment's 30 bytes for a zero and the track number.
constexpr TextField kTextFields[] = {{0, 3}, {3, 30}, {33, 30}, {63, 30}, {93, 4}, {97, 30}};

// Version 1.1 marks its track with a zero before it; a version 1.0 comment
// runs to byte 126, and a zero there is only padding.
bool HoldsTrack(const Id3Buffer& buffer) {
    return buffer[125] == 0 && buffer[126] != 0;
}

}  // namespace

bool HoldsId3Tag(const Id3Buffer& buffer) {
    return buffer[0] == 'T' && buffer[1] == 'A' && buffer[2] == 'G';
}

bool ReadId3Tag(ByteSource& source, Id3Buffer& buffer) {
    buffer.fill(0);
    if (source.Size() < kTagSize) return false;
    char bytes[kTagSize];
    if (source.ReadAt(source.Size() - kTagSize, bytes, kTagSize) != kTagSize) return false;
    std::copy(bytes, bytes + kTagSize, buffer.begin());
    if (HoldsId3Tag(buffer)) return true;
    buffer.fill(0);
    return false;
}

bool ReadId3Tag(const std::filesystem::path& file, Id3Buffer& buffer) {
    FileSource source(file);
    if (!source.IsOpen()) {
        buffer.fill(0);
        return false;
    }
    return ReadId3Tag(source, buffer);
}

bool MayCarryId3Tag(const std::filesystem::path& file) {
    std::string ext = file.extension().string();
    if (ext.size() < 3) return false;
    return std::tolower(static_cast<unsigned char>(ext[1])) == 'm' &&
           std::tolower(static_cast<unsigned char>(ext[2])) == 'p';
}

std::string Id3Field(const Id3Buffer& buffer, int field) {
    if (field >= 0 && field <= 5) {
        const TextField f = kTextFields[field];
        const size_t width = field == 5 && HoldsTrack(buffer) ? f.width - 2 : f.width;
        std::string_view bytes(reinterpret_cast<const char*>(buffer.data()) + f.offset, width);
        return DecodeText(StripPadding(bytes.substr(0, bytes.find('\0'))));
    }
    if (field == 6) return HoldsTrack(buffer) ? std::to_string(buffer[126]) : std::string();
    if (field == 7) {
        const int genre = buffer[127];
        return genre < kId3GenreCount ? Id3GenreName(genre) : std::to_string(genre);
    }
    return "";
}

std::array<std::string, 7> Id3DisplayLines(const Id3Buffer& buffer) {
    return {"title: " + Id3Field(buffer, 1),   "artist: " + Id3Field(buffer, 2),
            "album: " + Id3Field(buffer, 3),   "year: " + Id3Field(buffer, 4),
            "comment: " + Id3Field(buffer, 5), "track: " + Id3Field(buffer, 6),
            "genre: " + Id3Field(buffer, 7)};
}

Id3LineOrigin Id3DisplayLineOrigin(int line, int lineHeight) {
    return {lineHeight, (line + 2) * (lineHeight + 1)};
}

}  // namespace quova
