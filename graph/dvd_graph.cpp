#include "graph/dvd_graph.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <exception>

#include "graph/graph_state.h"
#include "graph/medium_session.h"
#include "graph/message_box.h"
#include "graph/multiple_audio.h"
#include "graph/open_media.h"
#include "graph/rot_registration.h"
#include "lexicon/lexicon.h"
#include "text/text_session.h"

namespace quova {

using namespace engine;

namespace {

// The picture's size, once the decoder has told it.
void TakeVideoSize(MediumSession& session) {
    GraphSession& g = session.graph;
    g.VideoWidth = g.VideoHeight = 0;
    if (g.VideoWindow) {
        const Outcome<QSize> size = g.VideoWindow->NativeSize();
        if (size.ok() && size.value.width() > 0) {
            g.VideoWidth = size.value.width();
            g.VideoHeight = size.value.height();
        }
    }
    if (g.VideoWidth == 0 && g.DvdVideoAttributes.ulSourceResolutionX > 0) {
        g.VideoWidth = static_cast<int>(g.DvdVideoAttributes.ulSourceResolutionX);
        g.VideoHeight = static_cast<int>(g.DvdVideoAttributes.ulSourceResolutionY);
    }
    g.SourceWidth = g.VideoWidth;
    g.SourceHeight = g.VideoHeight;
}

void Finish(MediumSession& session, const OpenMediaSettings& settings) {
    GraphSession& g = session.graph;
    OpenMediaPort& port = session.mediaPort.Get();
    FilterGraph& graph = *g.GraphBuilder;

    g.DvdControl = g.DvdGraphBuilder->GetDvdInterface();
    g.DvdInfo = g.DvdGraphBuilder->GetDvdInterface();
    if (g.DvdInfo) {
        const Outcome<DVD_VideoAttributes> attributes = g.DvdInfo->GetCurrentVideoAttributes();
        if (attributes.ok()) g.DvdVideoAttributes = attributes.value;
    }
    if (g.DvdControl) {
        g.DvdControl->SetOption(DVD_HMSF_TimeCodeEvents, true);
        g.DvdControl->SetOption(DVD_NotifyParentalLevelChange, true);
        g.DvdControl->SelectParentalLevel(settings.DvdParentalLevel);
        g.DvdControl->PlayForwards(1.0);
    }

    g.SeekingTimeFormat = graph.TimeFormat();
    g.SeekingTimeFormatIsMediaTime = g.SeekingTimeFormat == TIME_FORMAT_MEDIA_TIME;
    graph.SetPositions(0, AM_SEEKING_AbsolutePositioning, 0, AM_SEEKING_NoPositioning);
    graph.Events().SetNotifyWindow(port.Window(), static_cast<QEvent::Type>(kMediaEventType));

    g.VideoWindow = graph.VideoRenderer();
    if (g.VideoWindow) {
        g.VideoWindow->SetAutoShow(false);
        g.VideoWindow->SetOwner(port.Window());
        g.VideoWindow->SetVisible(false);
        // Clicks on the picture reach the window, which steers the disc's menus.
        g.VideoWindow->SetMessageDrain(port.Window());
    }
    g.BasicAudio = graph.HasAudio();
    if (g.BasicAudio) port.ApplyVolume();
    TakeVideoSize(session);
    port.RecordFrameSize();

    g.Duration = 0;
    g.CurrentMediaName = "DVD";
    port.ShowCaption("Quova - DVD");

    session.playback.Get().EndScan();
    port.FitWindow();
    if (settings.OsdOn) port.PaintOsd();
    port.PrepareSeekBar();

    graph.Run();
    port.FitWindow();
    if (settings.FullScreenMode || settings.AlwaysOnTop) port.RaiseWindow();
    graph.GetState(1000);

    // The picture's size settles only once the navigator runs: fit again then.
    // Tied to the session, so that it never runs once the session is gone;
    // a window closed meanwhile is not laid out.
    QTimer::singleShot(
        333, &session.context,
        [&session, window = QPointer<QWidget>(port.Window()), had = port.Window() != nullptr] {
            if (session.graph.MediaKind != MediaKindDvd || (had && !window)) return;
            TakeVideoSize(session);
            session.mediaPort.Get().RecordFrameSize();
            session.mediaPort.Get().FitWindow();
        });
}

}  // namespace

void OpenDvd(MediumSession& session, const std::string& folder) {
    if (session.openCounter < 0) return;
    GraphSession& g = session.graph;
    OpenMediaPort& port = session.mediaPort.Get();
    const OpenMediaSettings settings = port.Settings();

    session.osdMessage.clear();
    if (settings.OsdOn) port.PaintOsd();
    g.MediaComplete = false;
    g.MediaError = 0;
    g.Streams.clear();
    g.VideoStreamCount = g.AudioStreamCount = 0;
    g.VideoWidth = g.VideoHeight = g.SourceWidth = g.SourceHeight = 0;
    port.SetTimer1(false);

    try {
        const int previousKind = g.MediaKind;
        StopAndClearGraph(session);
        ReleaseRenderInterfaces(session);
        // A file's graph manager is not reused for a disc.
        if (previousKind == MediaKindFile) ReleaseGraph(session);
    } catch (const std::exception& e) {
        ShowMessage(std::string(e.what()) + "\n" + Lex(540), MbIconStop);
    }

    g.MediaKind = MediaKindDvd;
    g.DvdVideoAttributes = DVD_VideoAttributes{};
    port.ShowCaption("Quova");

    try {
        ReleaseMultipleAudio(session);
        HResult result = E_FAIL;
        if (!g.DvdGraphBuilder) {
            try {
                g.DvdGraphBuilder = std::make_unique<DvdGraphBuilder>();
            } catch (const std::exception& e) {
                ShowMessage(std::string(e.what()) + "\n" + Lex(550), MbIconStop);
            }
        }
        if (!g.DvdGraphBuilder) {
            ShowMessage(Lex(590) + "\n" + ResultText(result), MbIconExclamation);
            return;
        }
        AM_DVD_RENDERSTATUS status;
        try {
            if (g.GraphBuilder) g.DvdGraphBuilder->SetFiltergraph(g.GraphBuilder.get());
            result = g.DvdGraphBuilder->RenderDvdVideoVolume(folder, AM_DVD_HWDEC_PREFER, status);
            if (status.hrVPEStatus == S_OK && Succeeded(result)) {
                if (std::unique_ptr<FilterGraph> made = g.DvdGraphBuilder->TakeFiltergraph())
                    g.GraphBuilder = std::move(made);
            }
            if (result == S_FALSE && status.hrVPEStatus != S_OK) result = status.hrVPEStatus;
        } catch (const std::exception& e) {
            ShowMessage(std::string(e.what()) + "\n" + Lex(560), MbIconStop);
        }
        if (Failed(result) || !g.GraphBuilder) {
            ShowMessage(Lex(580) + ResultText(result), MbIconExclamation);
            return;
        }
        if (settings.RegisterOnRot)
            AddGraphToRot(g.GraphBuilder.get(), g.MediaKind, g.RotRegistration);
        if (result > 0) session.osdMessage = ResultText(result);
        Finish(session, settings);
    } catch (const std::exception& e) {
        port.SetTimer1(false);
        ReleaseRenderInterfaces(session);
        ShowMessage(e.what(), MbIconStop);
    }
}

}  // namespace quova
