#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quova {

// Names in the order people number them: runs of digits by their value
// ("ep2" before "ep10", "ep02" beside "ep2"), other characters without regard
// to ASCII case; names equal so are ordered by their bytes.
bool NaturalLess(std::string_view a, std::string_view b);

// Whether a file is a medium to play: by its extension where it names a
// medium or something else (a subtitle, a picture, a list), and by its first
// bytes (`head`) otherwise. A file with a medium's extension that holds text,
// or nothing, is none.
bool LooksLikeMedia(const std::filesystem::path& name, std::string_view head);

// A folder opened as a medium: its media files in natural order, then those
// of each folder in it (one level down, the folders in natural order too).
// Links are followed, but never deeper than that one level, so a link back
// up cannot loop; what cannot be read is left out.
std::vector<std::string> FolderPlayList(const std::filesystem::path& folder);

// The media files beside `file` in its folder (not below it), in natural
// order, as absolute names, and where `file` is among them: -1 when it is
// not (a name no medium's, or gone).
struct MediaBesideFile {
    std::vector<std::string> names;
    int index = -1;
};
MediaBesideFile MediaBeside(const std::filesystem::path& file);

// Names given together (a drop): each folder among them stands for its media
// files, in its place; the other names stay as they are.
std::vector<std::string> WithFoldersListed(const std::vector<std::string>& names);

}  // namespace quova
