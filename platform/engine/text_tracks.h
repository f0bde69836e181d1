#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quova::engine {

// What a subtitle stream inside a container carries.
enum class TextTrackKind {
    PlainText,  // UTF-8 or Pango markup lines (SubRip and the like)
    Styled,     // SSA/ASS events with their styles
    Picture,    // VobSub or PGS bitmaps
};

// A file a container carries for its styled streams (a Matroska attachment
// that is a font), as GStreamer gives it: its caps and description
// (GstTagAttachmentInfo, with the file name) in GStreamer's text form.
struct FontAttachment {
    std::string caps;
    std::string info;
    std::string bytes;
};

// One subtitle stream of a Matroska, MP4 or Ogg file.
struct TextTrackInfo {
    // The stream's place among the file's subtitle streams, in the order the
    // demuxer announces them (0 is the first).
    int number = 0;
    TextTrackKind kind = TextTrackKind::PlainText;
    // ISO 639-1 where the tag has one, else the tag as written; "" untagged.
    std::string language;
    std::string title;
    // The container asks for the stream to be selected (Matroska's default flag).
    bool isDefault = false;
    // The container asks for the stream to be shown even to those who chose
    // no subtitles of their own (Matroska's forced flag).
    bool isForced = false;
    std::string caps;
    // For a styled stream, the fonts its file carries; null when none.
    std::shared_ptr<const std::vector<FontAttachment>> fonts;
};

// The subtitle streams of `file`. Empty when the file is no Matroska, MP4 or
// Ogg file, cannot be read, or carries none. Runs a private pipeline that
// reads no further than the first data of each subtitle stream, at most
// `timeoutMs`.
std::vector<TextTrackInfo> ListTextTracks(const std::filesystem::path& file, int timeoutMs = 3000);

// The private data a stream's caps (TextTrackInfo::caps) carry as
// "codec_data": a VobSub stream's index text, an SSA stream's script header;
// "" when they carry none.
std::string TrackCodecData(const std::string& caps);

// One subtitle of a stream, times in seconds of the medium.
struct TextCue {
    double start = 0;
    double end = -1;  // < 0: the stream gave no duration
    // As the stream carries it: markup, an SSA event line, or a picture
    // stream's unit bytes (NULs and all).
    std::string text;
};

// Reads the cues of one subtitle stream in the background: the container is
// demultiplexed without a clock and only that stream's pad is taken, so no
// picture or sound is decoded. Reading starts at `fromSeconds` (the cue due
// now comes first) and, once the end is reached, goes over the part before.
// `cuesReady` runs on the reader's thread whenever cues wait to be taken and
// when reading ends.
class TextTrackReader {
  public:
    TextTrackReader(const std::filesystem::path& file, int number, double fromSeconds,
                    std::function<void()> cuesReady);
    // Stops reading at once; never waits for the file or the reader's thread,
    // which ends by itself.
    ~TextTrackReader();
    TextTrackReader(const TextTrackReader&) = delete;
    TextTrackReader& operator=(const TextTrackReader&) = delete;

    // The cues read since the last call, in the order they were read.
    std::vector<TextCue> TakeCues();
    // Reading has ended, by the end of the file or by an error.
    bool Finished() const;
    // Cues wait to be taken.
    bool CuesWaiting() const;
    // Why the stream could not be read to its end; "" when it could.
    std::string Error() const;

    struct State;

  private:
    std::shared_ptr<State> state_;
};

}  // namespace quova::engine
