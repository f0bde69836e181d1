#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quova {

// Per-stream values are kept for the first eight streams of each kind; the
// counts go on counting beyond them.
constexpr int kStreamFigureSlots = 8;

struct VideoStreamFigures {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    std::string compression;  // four-character code (Ogg: the video subtype)
};

struct AudioStreamFigures {
    int channels = 0;
    uint32_t samplesPerSecond = 0;
};

// What the open pipeline learns from a file's headers, whichever reader filled
// it: the figures of the AVI main header, or their Ogg equivalents.
struct StreamFigures {
    double frameRate = 0;  // frames per second of the file (0 when unknown)
    int64_t totalFrames = 0;
    int width = 0;  // picture size stated in the header
    int height = 0;
    int videoStreamCount = 0;
    int audioStreamCount = 0;
    std::array<double, kStreamFigureSlots> videoFrameRates{};
    std::vector<VideoStreamFigures> video;  // at most kStreamFigureSlots
    std::vector<AudioStreamFigures> audio;  // at most kStreamFigureSlots

    bool HasStreams() const { return videoStreamCount + audioStreamCount > 0; }
};

}  // namespace quova
