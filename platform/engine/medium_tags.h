#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quova::engine {

// What a medium's tags say it is; empty where they say nothing.
struct MediumTags {
    std::string title;
    std::vector<std::string> artists;
    std::string album;
    bool operator==(const MediumTags&) const = default;
};

// The tags a playing medium's elements have told, by scope. Most containers
// (Matroska, AVI, MP4) keep the file's tags apart from their tracks', and a
// track's title there is its name ("English", "Audio"), no title of the
// medium. An Ogg file's Vorbis comments and an MP3's ID3 tag come only as the
// stream's: in such files what the stream tells stands for the medium.
class MediumTagBook {
  public:
    // A list as told, for the whole file or for one stream, with the
    // container the demuxer names in it ("Matroska", "Ogg", "" when none).
    // What it holds replaces what an earlier list of the same scope said;
    // what it leaves out stays.
    void Take(bool wholeFile, std::string_view container, const MediumTags& told);
    // The file's own tags, each filled in from the stream's where the file
    // keeps none apart.
    MediumTags Medium() const;

  private:
    bool fileTagsApart_ = false;
    MediumTags file_;
    MediumTags stream_;
};

}  // namespace quova::engine
