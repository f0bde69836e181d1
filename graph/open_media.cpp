#include "graph/open_media.h"

#include <sys/stat.h>

#include <QEvent>
#include <algorithm>
#include <cctype>
#include <exception>

#include "graph/custom_build.h"
#include "graph/dvd_graph.h"
#include "graph/extraction.h"
#include "graph/graph_state.h"
#include "graph/medium_session.h"
#include "graph/message_box.h"
#include "graph/multiple_audio.h"
#include "graph/rot_registration.h"
#include "lexicon/lexicon.h"
#include "mediainfo/id3_tag.h"
#include "mediainfo/media_headers.h"
#include "platform/engine/media_detector.h"
#include "platform/files/media_name.h"
#include "text/subtitle_commands.h"
#include "text/subtitle_tracks.h"
#include "text/text_session.h"

namespace quova {

using namespace engine;

namespace {

// Messages that an exception inside a step carries.
std::string WhatOf(const std::exception& e) {
    return e.what();
}

// The streams as the file's own headers tell them (AVI and Ogg files, by
// index, which the several-audio path relies on); false for other files.
bool ReadHeaderStreams(MediumSession& session, const std::string& fileName,
                       const std::string& ext) {
    GraphSession& g = session.graph;
    OpenMediaPort& port = session.mediaPort.Get();
    MediaHeaders headers;
    if (ext == ".avi" || ext.rfind(".og", 0) == 0) headers = ReadMediaHeaders(fileName);
    if (headers.aviRead) g.AviInfoText = headers.avi.text;
    if (headers.oggRead) g.OggInfoText = headers.ogg.text;
    const StreamFigures& figures = headers.Figures();
    g.Figures = figures;
    if (!figures.HasStreams()) return false;
    g.FrameRate = figures.frameRate;
    for (int i = 0; i < figures.videoStreamCount; ++i)
        g.Streams.push_back({StreamKindVideo, "Video",
                             i < kStreamFigureSlots ? figures.videoFrameRates[i] : 0.0, i});
    for (int j = 0; j < figures.audioStreamCount; ++j)
        g.Streams.push_back({StreamKindAudio, "Audio", 0.0, j});
    g.VideoStreamCount = figures.videoStreamCount;
    g.AudioStreamCount = figures.audioStreamCount;
    for (int n = 1; n <= 4; ++n)
        port.ShowAudioStreamItem(n, n <= g.AudioStreamCount, n <= g.AudioStreamCount);
    return true;
}

// Other files: the media detector counts the streams in the file's own order.
std::vector<StreamRow> DetectStreams(const std::string& fileName) {
    std::vector<StreamRow> rows;
    try {
        MediaDetector detector;
        if (Failed(detector.SetFileName(fileName))) return rows;
        rows.assign(detector.OutputStreams(), StreamRow{});
        for (int i = 0; i < detector.OutputStreams(); ++i) {
            detector.SetCurrentStream(i);
            const Outcome<Guid> type = detector.StreamType();
            if (!type.ok()) continue;
            if (type.value == MEDIATYPE_Video)
                rows[i] = {StreamKindVideo, "Video", detector.FrameRate().value, -1};
            else if (type.value == MEDIATYPE_Audio)
                rows[i] = {StreamKindAudio, "Audio", 0.0, -1};
        }
    } catch (...) {
        // Counting is a courtesy: the render decides what plays.
    }
    return rows;
}

void ApplyDetectedStreams(MediumSession& session, std::vector<StreamRow> rows) {
    GraphSession& g = session.graph;
    g.Streams = std::move(rows);
    for (const StreamRow& row : g.Streams) {
        if (row.kind == StreamKindVideo) {
            if (g.VideoStreamCount == 0) g.FrameRate = row.frameRate;
            ++g.VideoStreamCount;
        } else if (row.kind == StreamKindAudio) {
            ++g.AudioStreamCount;
            if (g.AudioStreamCount <= 4)
                session.mediaPort.Get().CheckAudioStreamItem(g.AudioStreamCount);
        }
    }
}

HResult Render(MediumSession& session, const std::string& fileName) {
    GraphSession& g = session.graph;
    const GraphOptions& flags = session.flags;
    const bool viaSource = flags.CustomRender || (!g.AviInfoText.empty() && g.AudioStreamCount > 1);
    if (!viaSource) return g.GraphBuilder->RenderFile(fileName);

    Outcome<FilterPtr> source = g.GraphBuilder->AddSourceFilter(fileName, fileName);
    HResult hr = source.hr;
    if (hr != S_OK) return hr;
    const PinPtr pin = source.value->FindPin("Output");
    if (!pin) return VFW_E_NOT_FOUND;
    if (flags.CustomRender) return CustomBuild(session, fileName, pin);
    return OpenMultipleAudio(session, pin);
}

void AcquireVideoWindow(MediumSession& session) {
    GraphSession& g = session.graph;
    OpenMediaPort& port = session.mediaPort.Get();
    g.VideoWindow.reset();
    try {
        g.VideoWindow = g.GraphBuilder->VideoRenderer();
        if (!g.VideoWindow) return;
        g.VideoWindow->SetAutoShow(false);
        g.VideoWindow->SetOwner(port.Window());
        g.VideoWindow->SetVisible(false);
        g.VideoWindow->SetMessageDrain(port.Window());
    } catch (...) {
        g.VideoWindow.reset();
    }
}

void FinishOpen(MediumSession& session, const std::string& fileName, const std::string& ext,
                HResult hr, const OpenMediaSettings& settings, bool network) {
    GraphSession& g = session.graph;
    OpenMediaPort& port = session.mediaPort.Get();
    const GraphOptions& flags = session.flags;
    FilterGraph& graph = *g.GraphBuilder;

    if (settings.RegisterOnRot) NoteGraphChange(g.RotRegistration);
    if (hr > 0) session.osdMessage = ResultText(hr);
    graph.Stop();
    graph.Events().SetNotifyWindow(port.Window(), static_cast<QEvent::Type>(kMediaEventType));

    // An extraction writes beside the file it reads: an address has no such place.
    if (flags.ExtractionMode && !network) {
        try {
            g.ExtractionReady = BuildExtractionGraph(session, fileName);
        } catch (...) {
            g.ExtractionReady = true;
        }
    }
    // With both bypasses on only the video goes; the transcode keeps it.
    if (flags.BypassVideo) {
        if (!flags.TranscodeWithVideo) BypassMediaType(session, MEDIATYPE_Video);
    } else if (flags.BypassAudio) {
        BypassMediaType(session, MEDIATYPE_Audio);
    }

    AcquireVideoWindow(session);

    g.SeekingTimeFormat = graph.TimeFormat();
    g.SeekingTimeFormatIsMediaTime = g.SeekingTimeFormat == TIME_FORMAT_MEDIA_TIME;
    graph.SetPositions(0, AM_SEEKING_AbsolutePositioning, 0, AM_SEEKING_NoPositioning);
    const Outcome<double> duration = graph.Duration();
    g.Duration = duration.ok() ? duration.value : 0;
    g.DurationIsEstimate = graph.DurationIsEstimate();

    g.BasicAudio = graph.HasAudio();
    if (g.BasicAudio) port.ApplyVolume();

    g.VideoWidth = g.VideoHeight = 0;
    if (g.VideoWindow) {
        const Outcome<QSize> size = g.VideoWindow->NativeSize();
        if (size.ok()) {
            g.VideoWidth = size.value.width();
            g.VideoHeight = size.value.height();
        }
    }
    g.SourceWidth = g.VideoWidth;
    g.SourceHeight = g.VideoHeight;
    port.RecordFrameSize();

    g.CurrentMediaName = fileName;
    port.ShowCaption("Quova - " + NameWithoutFolder(fileName));

    // The file's own subtitle streams are offered whether subtitles are on or not.
    ListSubtitleTracksForMovie(session);
    // Subtitles, settings and chapters kept beside the file: an address has
    // nothing beside it on this machine, and its name must not be taken for a
    // folder here.
    if (settings.SubtitlesOn && !network) LoadSubtitlesForMovie(session);
    session.playback.Get().EndScan();
    if (!network) port.ReadConfigs();
    port.FitWindow();
    if (!network) ReadChaptersForMovie(session);

    if (session.osdMessage.empty()) session.osdMessage = fileName;
    port.Repaint();
    if (settings.OsdOn) port.PaintOsd();
    port.PrepareSeekBar();
    port.AddRecentFile(fileName);

    if (!network && MayCarryId3Tag(fileName)) {
        Id3Buffer tag{};
        ReadId3Tag(fileName, tag);
        g.Id3TagBuffer = tag;
        if (HoldsId3Tag(tag) && settings.Id3On) port.ShowId3Tag();
    } else {
        g.Id3TagBuffer.fill(0);
    }
    (void)ext;

    if (!flags.ExtractionMode || g.ExtractionReady) {
        graph.GetState(1000);
        // Playback starts a little in, or where the medium stopped last time,
        // reached in this first preroll; an extraction takes the medium
        // whole, or its file would lack the first tenth of a second.
        constexpr double kLittleIn = 0.1;
        const double start =
            flags.ExtractionMode ? 0.0 : session.playback.Get().StartingPoint(kLittleIn);
        // An address starts where the server's data starts, unless it is
        // resumed: a broadcast has no place to seek to, and a seek costs
        // another request.
        if (!network || start != kLittleIn) session.playback.Get().StartAt(start);
        graph.Run();
        if (settings.FullScreenMode || settings.AlwaysOnTop) port.RaiseWindow();
        graph.GetState(1000);
    }
    if (g.Duration > 0 || (flags.ExtractionMode && g.ExtractionReady)) port.SetTimer1(true);
    if (!flags.ExtractionMode) session.playback.Get().Started();
}

}  // namespace

std::string LowerExtension(const std::string& fileName) {
    const std::string name = NameWithoutFolder(fileName);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return "";
    std::string ext = name.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

std::string NameWithoutFolder(const std::string& fileName) {
    const size_t slash = fileName.rfind('/');
    return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

std::string FolderOf(const std::string& fileName) {
    const size_t slash = fileName.rfind('/');
    return slash == std::string::npos ? "" : fileName.substr(0, slash + 1);
}

void OpenMedia(MediumSession& session, const std::string& givenName) {
    if (session.openCounter < 0) return;
    const MediaName named = ClassifyMediaName(givenName);
    const std::string& fileName = named.name;
    const bool network = named.kind == MediaNameKind::Network;
    GraphSession& g = session.graph;
    OpenMediaPort& port = session.mediaPort.Get();
    const OpenMediaSettings settings = port.Settings();

    session.osdMessage.clear();
    if (settings.OsdOn) port.PaintOsd();
    // Short "~" names do not exist here: nothing to expand.
    if (named.kind == MediaNameKind::Refused) {
        ShowMessage(FormatLex(2750, givenName), MbIconExclamation);
        return;
    }

    const std::string ext = LowerExtension(fileName);
    if (!network && (ext == ".bup" || ext == ".ifo")) {
        OpenDvd(session, FolderOf(fileName));
        return;
    }
    // Lists of other players open the same way as the program's own, and a
    // folder is a list of the media in it.
    std::error_code folderError;
    if (!network && (ext == ".mpl" || ext == ".m3u" || ext == ".m3u8" ||
                     std::filesystem::is_directory(fileName, folderError))) {
        port.LoadPlayList(fileName);
        return;
    }

    g.MediaComplete = false;
    g.MediaError = 0;
    g.Streams.clear();
    g.VideoStreamCount = g.AudioStreamCount = 0;
    g.AviInfoText.clear();
    g.Figures = StreamFigures{};
    g.OggInfoText.clear();
    g.ExtractionReady = !session.flags.ExtractionMode;
    g.VideoWidth = g.VideoHeight = g.SourceWidth = g.SourceHeight = 0;

    // Nothing is under way on the medium open now when this runs: commands
    // run one after another, and the work they left on timers finds the
    // medium changed and drops itself.
    port.SetTimer1(false);

    try {
        const int previousKind = g.MediaKind;
        StopAndClearGraph(session);
        ReleaseRenderInterfaces(session);
        // A DVD's graph manager is not reused for a file.
        if (previousKind == MediaKindDvd) ReleaseGraph(session);
    } catch (const std::exception& e) {
        ShowMessage(WhatOf(e) + "\n" + Lex(540), MbIconStop);
    }

    g.MediaKind = MediaKindFile;
    port.ShowCaption("Quova");

    try {
        struct stat info {};
        if (!network && ::stat(fileName.c_str(), &info) != 0) {
            ShowMessage(Lex(870), MbIconExclamation);
            return;
        }
        // The detector looks after the graph's build: the splitter's reading
        // of the file answers it, so the file is probed once. An address is
        // read once only, by the graph: its headers are not read here.
        const bool detect = !network && !ReadHeaderStreams(session, fileName, ext);
        ReleaseMultipleAudio(session);

        if (!g.GraphBuilder) {
            try {
                g.GraphBuilder = std::make_unique<FilterGraph>();
            } catch (const std::exception& e) {
                ShowMessage(WhatOf(e) + "\n" + Lex(550), MbIconStop);
            }
        }
        // The option changed since the last open takes effect now.
        if (g.GraphBuilder && settings.RegisterOnRot)
            AddGraphToRot(g.GraphBuilder.get(), g.MediaKind, g.RotRegistration);
        else
            RemoveGraphFromRot(g.RotRegistration);
        if (!g.GraphBuilder) {
            ShowMessage(Lex(550), MbIconExclamation);
            return;
        }

        const bool logging = settings.RenderLog && !settings.RenderLogFile.empty() &&
                             Succeeded(g.GraphBuilder->SetLogFile(settings.RenderLogFile));
        HResult hr = E_FAIL;
        try {
            hr = Render(session, fileName);
        } catch (const std::exception& e) {
            ShowMessage(WhatOf(e) + "\n" + FormatLex(880, fileName), MbIconStop);
        }
        if (logging) g.GraphBuilder->SetLogFile("");

        // Nothing plays after a failed build: no stream needs counting, and a
        // damaged file is not read a second time.
        if (detect && Succeeded(hr)) ApplyDetectedStreams(session, DetectStreams(fileName));
        if (Failed(hr)) {
            // A server's fault is told with the address it came from.
            ShowMessage((network ? FormatLex(2760, fileName) + "\n" : std::string()) + Lex(580) +
                            ResultText(hr),
                        MbIconExclamation);
            if (network) port.NetworkMediumFailed(fileName);
            return;
        }
        FinishOpen(session, fileName, ext, hr, settings, network);
    } catch (const std::exception& e) {
        port.SetTimer1(false);
        ReleaseRenderInterfaces(session);
        ShowMessage(WhatOf(e), MbIconStop);
    }
}

void StopAndClearGraph(MediumSession& session) {
    GraphSession& g = session.graph;
    if (g.GraphBuilder) {
        FilterGraph& graph = *g.GraphBuilder;
        const Outcome<engine::GraphState> state = graph.GetState(1000);
        if (state.value == engine::GraphState::Paused ||
            state.value == engine::GraphState::Running) {
            try {
                session.playback.Get().KeepPlace();
                session.playback.Get().SaveSessionBookmark();
                graph.Stop();
                graph.GetState(1000);
            } catch (...) {
                // Leaving the old medium must not fail the new open.
            }
        }
        graph.SetPositions(0, AM_SEEKING_AbsolutePositioning, 0, AM_SEEKING_NoPositioning);
        if (g.VideoWindow) {
            g.VideoWindow->SetVisible(false);
            g.VideoWindow->SetOwner(nullptr);
        }
    }
    g.MediaKind = MediaKindNone;
    ++g.mediumGeneration;
    if (g.GraphBuilder) {
        // Collected first: removing changes the graph's list.
        for (const FilterPtr& filter : g.GraphBuilder->Filters())
            g.GraphBuilder->RemoveFilter(filter);
        // An extraction ran unsynchronised; the next medium plays in time.
        g.GraphBuilder->SetClockSync(true);
    }
}

void ReleaseRenderInterfaces(MediumSession& session) {
    GraphSession& g = session.graph;
    g.VideoWindow.reset();
    g.BasicAudio = false;
    g.DvdControl.reset();
    g.DvdInfo.reset();
}

void ReleaseGraph(MediumSession& session) {
    GraphSession& g = session.graph;
    ReleaseRenderInterfaces(session);
    if (g.GraphBuilder) g.GraphBuilder->Events().SetNotifyWindow(nullptr, QEvent::None);
    RemoveGraphFromRot(g.RotRegistration);
    g.GraphBuilder.reset();
    g.DvdGraphBuilder.reset();
}

}  // namespace quova
