#include "platform/engine/medium_tags.h"

namespace quova::engine {

void MediumTagBook::Take(bool wholeFile, std::string_view container, const MediumTags& told) {
    MediumTags& kept = wholeFile ? file_ : stream_;
    // Ogg's demuxer names its container for the file but has no tags of the
    // file's own to tell.
    if (wholeFile && !container.empty() && container != "Ogg") fileTagsApart_ = true;
    if (!told.title.empty()) kept.title = told.title;
    if (!told.artists.empty()) kept.artists = told.artists;
    if (!told.album.empty()) kept.album = told.album;
}

MediumTags MediumTagBook::Medium() const {
    MediumTags medium = file_;
    if (fileTagsApart_) return medium;
    if (medium.title.empty()) medium.title = stream_.title;
    if (medium.artists.empty()) medium.artists = stream_.artists;
    if (medium.album.empty()) medium.album = stream_.album;
    return medium;
}

}  // namespace quova::engine
