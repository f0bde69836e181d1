#pragma once

#include <string>
#include <vector>

#include "mediainfo/stream_figures.h"

namespace quova {

// What the "Media Properties" text is made of, read from the open medium.
struct PropertiesInputs {
    int MediaKind = 0;  // 1 file, 2 DVD
    struct Row {
        int kind = 0;    // 1 video, 2 audio
        int index = -1;  // within its kind in the header figures, -1 when unknown
    };
    std::vector<Row> Rows;
    int VideoStreamCount = 0;
    int AudioStreamCount = 0;
    int VideoWidth = 0;
    int VideoHeight = 0;
    double FrameRate = 0;
    double Duration = 0;
    std::string DurationText;  // the length as a clock time
    StreamFigures Figures;
    // The DVD.
    bool DvdInfo = false;
    int DvdAudioCount = 0;
    int DvdEnabledAudioCount = 0;
    int DvdWidth = 0;
    int DvdHeight = 0;
    // The graph's filters: their count and listing.
    int FilterCount = 0;
    std::string FilterList;
};

// Lines separated by line feeds: the streams, the length, then the filters.
std::string MediaPropertiesText(const PropertiesInputs& in);

// A number in the general format with four significant digits ("25", "29.97").
std::string GeneralNumber4(double value);

}  // namespace quova
