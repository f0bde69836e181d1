#include "mediainfo/media_properties.h"

#include <cmath>
#include <cstdio>

namespace quova {

std::string GeneralNumber4(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.4G", value);
    return buffer;
}

std::string MediaPropertiesText(const PropertiesInputs& in) {
    std::string text;
    if (in.MediaKind == 1 && !in.Rows.empty()) {
        text = std::to_string(in.Rows.size()) + " streams: " + std::to_string(in.VideoStreamCount) +
               " x video, " + std::to_string(in.AudioStreamCount) + " x audio";
        const StreamFigures& f = in.Figures;
        for (const PropertiesInputs::Row& row : in.Rows) {
            if (row.kind == 1) {
                const double frames = in.FrameRate * in.Duration;
                const long long count =
                    f.totalFrames > 0
                        ? f.totalFrames
                        : (std::isfinite(frames) ? static_cast<long long>(frames) : 0);
                text += "\nvideo size: " + std::to_string(in.VideoWidth) + "x" +
                        std::to_string(in.VideoHeight) +
                        "; frame rate: " + GeneralNumber4(in.FrameRate) + " frames/sec" +
                        "; frames: " + std::to_string(count);
                if (row.index >= 0 && row.index < static_cast<int>(f.video.size())) {
                    const VideoStreamFigures& v = f.video[row.index];
                    text += "; compression: " + v.compression +
                            "; color depth: " + std::to_string(v.bitCount);
                }
                text += "; time: " + in.DurationText;
            } else if (row.kind == 2 && row.index >= 0 &&
                       row.index < static_cast<int>(f.audio.size())) {
                const AudioStreamFigures& a = f.audio[row.index];
                text += "\naudio channels: " + std::to_string(a.channels) +
                        "; samples per sec: " + std::to_string(a.samplesPerSecond);
            }
        }
    } else if (in.MediaKind == 2 && in.DvdInfo) {
        text = std::to_string(in.DvdEnabledAudioCount + 1) + " streams: 1 x video, " +
               std::to_string(in.DvdAudioCount) + " x audio";
        text += "\nvideo size: " + std::to_string(in.DvdWidth) + "x" +
                std::to_string(in.DvdHeight) + "; time: " + in.DurationText;
    }
    text += "\n" + std::to_string(in.FilterCount) + " filters\n" + in.FilterList;
    return text;
}

}  // namespace quova
