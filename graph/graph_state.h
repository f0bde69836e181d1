#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "mediainfo/stream_figures.h"
#include "platform/engine/dvd_graph_builder.h"
#include "platform/engine/filter_graph.h"
#include "platform/engine/graph_registration.h"
#include "platform/engine/guid.h"
#include "platform/engine/video_renderer.h"

namespace quova {

// What is open: nothing, a file, or a DVD volume.
enum MediaKinds : int { MediaKindNone = 0, MediaKindFile = 1, MediaKindDvd = 2 };

enum StreamKind : int { StreamKindNone = 0, StreamKindVideo = 1, StreamKindAudio = 2 };

// One row of the stream table. `index` counts among the streams of its kind,
// or is -1 for a stream the media detector counted.
struct StreamRow {
    int kind = StreamKindNone;
    std::string kindName;
    double frameRate = 0;
    int index = 0;
};

// The graph and what the player knows of the open medium. The player
// session owns it; the open pipeline writes it.
//
// The graph manager's control, event, seeking, position and frame-step faces
// all belong to `GraphBuilder` and live as long as it does; the video window,
// basic video and basic audio are taken anew at every open.
struct GraphSession {
    std::unique_ptr<engine::FilterGraph> GraphBuilder;
    std::shared_ptr<engine::VideoRendererFilter> VideoWindow;  // also the basic video
    bool BasicAudio = false;                                   // the graph has an audio renderer

    int MediaKind = MediaKindNone;
    // Raised each time a medium is left: work queued for one medium finds
    // it changed and drops itself.
    std::uint64_t mediumGeneration = 0;
    std::string CurrentMediaName;
    double Duration = 0;
    // Duration is the engine's guess from size and bit rate, followed as it
    // improves; the medium's end is then only where its data ends.
    bool DurationIsEstimate = false;
    double FrameRate = 0;
    int VideoWidth = 0;
    int VideoHeight = 0;
    int SourceWidth = 0;
    int SourceHeight = 0;
    // The picture size the file's AVI or Ogg header states (0 when none does).
    engine::Guid SeekingTimeFormat = engine::TIME_FORMAT_MEDIA_TIME;
    bool SeekingTimeFormatIsMediaTime = true;
    std::array<std::uint8_t, 128> Id3TagBuffer{};
    bool ExtractionReady = true;

    // The stream table: video rows first when the file's headers were read,
    // the file's own order when the media detector counted.
    std::vector<StreamRow> Streams;
    int VideoStreamCount = 0;
    int AudioStreamCount = 0;
    int StreamCount() const { return static_cast<int>(Streams.size()); }

    // The headers' information texts; the AVI one selects the several-audio path.
    std::string AviInfoText;
    std::string OggInfoText;
    // The per-stream figures the headers gave (empty for other files).
    StreamFigures Figures;

    // Set by the completion event, cleared by every open.
    bool MediaComplete = false;
    // The result code of the error that ended the medium; S_OK while it runs
    // and when it ran to its end.
    engine::HResult MediaError = 0;

    // The DVD graph builder lives from the first DVD open until the graph is
    // released; the navigator's control and information faces go at every open.
    std::unique_ptr<engine::DvdGraphBuilder> DvdGraphBuilder;
    std::shared_ptr<engine::DvdNavigatorFilter> DvdControl;
    std::shared_ptr<engine::DvdNavigatorFilter> DvdInfo;
    engine::DVD_VideoAttributes DvdVideoAttributes;

    // The graph published for outside inspection while "Register Graph" is on.
    engine::GraphRegistration RotRegistration;
};

// Options that start off at every program start and change only through
// their menu commands.
struct GraphOptions {
    bool CustomRender = false;
    bool BypassVideo = false;
    bool BypassAudio = false;
    // Any extraction mode is on; the transcode mode keeps the video.
    bool ExtractionMode = false;
    bool TranscodeWithVideo = false;
};

}  // namespace quova
