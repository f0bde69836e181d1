#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "mediainfo/byte_reader.h"
#include "mediainfo/stream_figures.h"

namespace quova {

// One logical stream of an Ogg file, learnt from its page headers and its
// identification and comment headers (Vorbis, or the OGM stream header).
struct OggStream {
    uint32_t serial = 0;
    std::string type;  // "vorbis", "video", "audio", "text", ... ; empty when unknown
    uint8_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t bitRate = 0;  // kbit/s, OGM audio only
    std::string subtype;   // OGM video only, four characters
    int bitsPerSample = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    int64_t granule = 0;     // highest granule position seen
    uint64_t dataBytes = 0;  // page bodies from page sequence number 2 on
    std::string comments;    // one comment per line (CR LF between), each after a blank
    double duration = 0;     // seconds, when the sample rate is known
};

// At most this many streams are told apart; more end the walk with an error.
constexpr int kMaxOggStreams = 32;

struct OggInfo {
    // Streams in the order in which they begin; a stream's slot is its index
    // here. Serial numbers are random 32-bit values and only identify pages.
    std::vector<OggStream> streams;
    double duration = 0;  // the longest stream's, seconds
    std::string text;     // the listing, lines ending in CR LF
    StreamFigures figures;
    // Why the walk stopped early; empty when it ran to the end. What was read
    // before stays in streams, figures and text.
    std::string error;

    bool Failed() const { return !error.empty(); }
    // The warning to show the user when Failed(): the error's own text, a line
    // break and "error getting OGG information".
    std::string ErrorMessage() const;
};

// Walks the pages, builds the listing and fills the figures. A file that
// cannot be opened gives "streams: 0" and no error.
OggInfo ReadOggInfo(const std::filesystem::path& file);
OggInfo ReadOggInfo(ByteSource& source);

// The page walk alone: streams, durations and error of `info`.
void ParseOggPages(ByteSource& source, OggInfo& info);
std::string BuildOggInfoText(const OggInfo& info);

}  // namespace quova
