#include "playback/transport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include <QTimer>

#include "graph/graph_state.h"
#include "graph/message_box.h"
#include "graph/open_media.h"
#include "lexicon/lexicon.h"
#include "platform/engine/dvd_navigator.h"
#include "platform/files/media_name.h"
#include "playback/dvd_navigation.h"
#include "playback/player_session.h"
#include "playback/resume_points.h"
#include "playback/volume.h"
#include "text/chapters.h"
#include "text/osd.h"
#include "text/subtitle_commands.h"

namespace quova {

using engine::FilterGraph;
using engine::GraphState;
using engine::kUnitsPerSecond;

namespace {

// How close to its length a file counts as ended.
constexpr double kEndMargin = 0.01;
// The longest the engine waits for the pipeline; a seek waits no longer.
constexpr int kSettleMs = 900;
constexpr int kSettlePollMs = 10;

TransportSettings Options(PlayerSession& session) {
    return session.playbackPort.Get().TransportOptions();
}

// The open file's graph (the control, seeking, position and frame-step faces
// all belong to it), or null when no file is open.
FilterGraph* FileGraph(PlayerSession& session) {
    GraphSession& g = session.graph;
    return g.MediaKind == MediaKindFile ? g.GraphBuilder.get() : nullptr;
}

// The DVD navigator's control face.
bool DvdControlAvailable(PlayerSession& session) {
    return session.graph.DvdControl != nullptr;
}

void PaintOsdIfOn(PlayerSession& session, const TransportSettings& options) {
    if (options.OsdOn) session.playbackPort.Get().PaintOsd();
}

void Topmost(PlayerSession& session, const TransportSettings& options, bool on) {
    if (options.FullScreenMode || options.AlwaysOnTop) session.playbackPort.Get().SetTopmost(on);
}

void ClearSubtitleLine(PlayerSession& session) {
    ShowSubtitle(session, "");
}

void EnableTimer1(PlayerSession& session) {
    if (session.graph.Duration > 0) session.mediaPort.Get().SetTimer1(true);
}

void NudgeIfRunningVideo(PlayerSession& session) {
    if (session.graph.VideoStreamCount > 0 && GraphStateOf(session, 1000) == GraphState::Running)
        session.playbackPort.Get().KeepDisplayOn();
}

// Takes a new file rate: mutes when asked to, reports it and applies it.
void TakeRate(PlayerSession& session, FilterGraph& graph, double rate, const char* word,
              const TransportSettings& options) {
    if (options.SpeedMute) SetMute(session, true, options.Volume);
    session.osdMessage = std::string(word) + RateText(rate) + "x";
    graph.SetRate(rate);
}

// --- DVD branches: rates and positions go through the navigator.

void SayDvdRate(PlayerSession& session, const char* word) {
    session.osdMessage = std::string(word) + RateText(session.dvd.DvdRate / 10000.0) + "x";
    PaintOsdIfOn(session, Options(session));
}

void DvdPlay1(PlayerSession& session) {
    GraphSession& g = session.graph;
    if (!g.GraphBuilder) return;
    const TransportSettings options = Options(session);
    const GraphState state = GraphStateOf(session, 100);
    if (state != GraphState::Running) {
        SetDvdRate(session, 1.0);
        session.osdMessage = Lex(720);
        g.GraphBuilder->Run();
        Topmost(session, options, true);
    } else if (session.dvd.DvdRate != 10000) {
        session.osdMessage = Lex(1300);
        SetDvdRate(session, 1.0);
    } else {
        session.osdMessage = "pause";
        g.GraphBuilder->Pause();
        Topmost(session, options, false);
    }
    PaintOsdIfOn(session, options);
    NudgeIfRunningVideo(session);
}

void DvdQuicker(PlayerSession& session) {
    const double r = session.dvd.DvdRate / 10000.0;
    SetDvdRate(session, std::min(8.0, std::max(1.0, r + 0.5)));
    SayDvdRate(session, "quick ");
}

void DvdSlower(PlayerSession& session) {
    const double r = session.dvd.DvdRate / 10000.0;
    SetDvdRate(session, std::min(1.0, std::max(0.25, r - 0.25)));
    SayDvdRate(session, "slow ");
}

void DvdFastForward(PlayerSession& session) {
    const double r = session.dvd.DvdRate / 10000.0;
    SetDvdRate(session, std::min(8.0, std::max(1.0, r + 2.0)));
    SayDvdRate(session, "forward: ");
}

void DvdFastBackward(PlayerSession& session) {
    const double r = session.dvd.DvdRate / 10000.0;
    SetDvdRate(session, std::min(-1.0, std::max(-8.0, r - 2.0)));
    SayDvdRate(session, "back: ");
}

void DvdSeekTo(PlayerSession& session, double seconds) {
    const auto& control = session.graph.DvdControl;
    if (!control || !std::isfinite(seconds) || seconds < 0) return;
    // Every part of the time code is a byte.
    const double whole = std::min(std::trunc(seconds), 255.0 * 3600 + 59 * 60 + 59);
    const engine::DVD_HMSF_TIMECODE code =
        engine::TimecodeFromTicks(static_cast<std::int64_t>(whole) * 90000, 25);
    control->PlayAtTime(code, engine::DVD_CMD_FLAG_Block);
}

double DvdCurrentPosition(PlayerSession& session) {
    GraphSession& g = session.graph;
    DvdPlayState& s = session.dvd;
    s.DvdPosition = 0;
    if (!g.DvdInfo) return 0;
    const engine::Outcome<engine::DVD_PLAYBACK_LOCATION2> at = g.DvdInfo->GetCurrentLocation();
    if (at.ok()) {
        const engine::DVD_HMSF_TIMECODE& t = at.value.TimeCode;
        s.DvdPosition = t.bHours * 3600.0 + t.bMinutes * 60.0 + t.bSeconds;
        s.DvdTitle = at.value.TitleNum;
        s.DvdChapter = at.value.ChapterNum;
    }
    if (s.DvdPosition > s.DvdTitleLength) DvdStatusRefresh(session);
    return s.DvdPosition;
}

}  // namespace

std::string RateText(double rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", rate);
    return text;
}

double ClampToMedium(PlayerSession& session, double seconds) {
    const double duration = session.graph.Duration;
    const double latest =
        duration > 0 && std::isfinite(duration) && !session.graph.DurationIsEstimate
            ? duration
            : static_cast<double>(engine::kLatestReferenceTime) /
                  static_cast<double>(kUnitsPerSecond);
    if (std::isnan(seconds)) return 0;
    return std::clamp(seconds, 0.0, latest);
}

GraphState GraphStateOf(PlayerSession& session, int timeoutMs) {
    FilterGraph* graph = session.graph.GraphBuilder.get();
    if (!graph) return GraphState::Stopped;
    return graph->GetState(timeoutMs).value;
}

bool SeekSettling(const PlayerSession& session) {
    return session.settlingSeek == session.graph.mediumGeneration;
}

double CurrentPosition(PlayerSession& session) {
    GraphSession& g = session.graph;
    if (g.MediaKind == MediaKindDvd) return DvdCurrentPosition(session);
    // While a seek settles the medium is, to whoever asks, where it is going
    // (the engine still tells the place it left): a jump pressed meanwhile
    // goes on from there, and the seek bar does not spring back.
    if (SeekSettling(session))
        return session.pendingSeek ? session.pendingSeek->seconds : session.seekTarget;
    FilterGraph* graph = FileGraph(session);
    if (!graph) return 0;
    try {
        auto position = graph->GetCurrentPosition();
        if (position.ok() && !g.SeekingTimeFormatIsMediaTime)
            position = graph->ConvertTimeFormat(position.value, engine::TIME_FORMAT_MEDIA_TIME,
                                                g.SeekingTimeFormat);
        if (position.ok()) return static_cast<double>(position.value) / kUnitsPerSecond;
        const auto seconds = graph->CurrentPosition();
        if (seconds.ok()) return seconds.value;
    } catch (...) {
        // A position that cannot be read is the start.
    }
    return 0;
}

namespace {

void Seek(PlayerSession& session, double seconds, bool keyFrame);

// Tells where a seek landed. A listener that seeks again from there starts
// nothing: it would be told again, without end.
void TellSeeked(PlayerSession& session) {
    session.seekTelling = true;
    session.playbackPort.Get().Seeked(CurrentPosition(session));
    session.seekTelling = false;
}

// Where a seek on a running graph landed is known once the new place has
// reached the renderers: looked at every 10 ms, for kSettleMs at most. The
// seek asked for meanwhile, the last of them, runs then.
void SettleSeek(PlayerSession& session, std::uint64_t medium, int waitedMs) {
    FilterGraph* graph = FileGraph(session);
    if (!graph || session.graph.mediumGeneration != medium) {
        // The medium it was for is gone, and the seeks asked of it.
        if (session.settlingSeek == medium) {
            session.settlingSeek.reset();
            session.pendingSeek.reset();
        }
        return;
    }
    if (graph->GetState(0).hr == engine::VFW_S_STATE_INTERMEDIATE && waitedMs < kSettleMs) {
        QTimer::singleShot(kSettlePollMs, &session.context, [&session, medium, waitedMs] {
            SettleSeek(session, medium, waitedMs + kSettlePollMs);
        });
        return;
    }
    session.settlingSeek.reset();
    if (session.pendingSeek) {
        const PlayerSession::PendingSeek next = *session.pendingSeek;
        session.pendingSeek.reset();
        Seek(session, next.seconds, next.keyFrame);
        return;
    }
    TellSeeked(session);
}

void Seek(PlayerSession& session, double seconds, bool keyFrame) {
    GraphSession& g = session.graph;
    // A position from outside (MPRIS, a bookmark, the go-to dialog) may be
    // any double: NaN names no place and leaves the position alone; the rest
    // is held to the medium before it becomes an integer.
    if (std::isnan(seconds) || session.seekTelling) return;
    seconds = ClampToMedium(session, seconds);
    // Seeks that come while one settles merge into one: the last target is
    // taken when the running seek is done.
    if (SeekSettling(session)) {
        session.pendingSeek = PlayerSession::PendingSeek{seconds, keyFrame};
        return;
    }
    if (FilterGraph* graph = FileGraph(session)) {
        try {
            // The graph seeks in the state it is in and stays there: paused or
            // stopped, SetPositions returns with the new picture; running, it
            // plays on from the new place. Stopping it first and restoring the
            // state after cost a state change each way and a second wait.
            const engine::Outcome<GraphState> before = graph->GetState(100);
            const GraphState state = before.value;
            std::int64_t target = engine::ToReferenceTime(seconds);
            // An estimated length is no place to stop, nor a limit to seeks:
            // the file may go on past it.
            std::int64_t end = g.DurationIsEstimate ? 0 : engine::ToReferenceTime(g.Duration);
            // A target past the end lands at the end.
            if (end > 0) target = std::min(target, end);
            bool converted = true;
            if (!g.SeekingTimeFormatIsMediaTime) {
                const auto t = graph->ConvertTimeFormat(target, g.SeekingTimeFormat,
                                                        engine::TIME_FORMAT_MEDIA_TIME);
                const auto e = graph->ConvertTimeFormat(end, g.SeekingTimeFormat,
                                                        engine::TIME_FORMAT_MEDIA_TIME);
                converted = t.ok() && e.ok();
                target = t.value;
                end = e.value;
            }
            engine::HResult hr = engine::E_FAIL;
            const std::uint32_t how =
                engine::AM_SEEKING_AbsolutePositioning |
                (keyFrame ? engine::AM_SEEKING_SeekToKeyFrame : engine::AM_SEEKING_NoPositioning);
            if (converted)
                hr = graph->SetPositions(target, how, end,
                                         end > 0 ? engine::AM_SEEKING_AbsolutePositioning
                                                 : engine::AM_SEEKING_NoPositioning);
            if (hr != engine::S_OK) {
                // Beyond the end, or a format the seeking face refused: place
                // the position within the medium instead.
                hr = graph->SetCurrentPosition(std::min(std::max(seconds, 0.0), g.Duration));
                if (engine::Failed(hr) && !Options(session).ExtractionMode)
                    ShowMessage(Lex(260) + ResultText(hr), MbIconExclamation);
            }
            // A running graph returns from the seek at once; where it landed
            // (a keyframe seek knows only then) is told once it has settled.
            // A graph that had not settled before the seek is not waited for.
            if (state == GraphState::Running && before.hr == engine::S_OK) {
                session.settlingSeek = g.mediumGeneration;
                session.seekTarget = seconds;
                // Looked at first a poll later, never within the call: just
                // after a flushing seek the graph can still report the state
                // it had before it, and the old place with it.
                const std::uint64_t medium = g.mediumGeneration;
                QTimer::singleShot(kSettlePollMs, &session.context,
                                   [&session, medium] { SettleSeek(session, medium, 0); });
                return;
            }
            TellSeeked(session);
        } catch (...) {
            // The position stays where the graph left it.
        }
    } else if (g.MediaKind == MediaKindDvd && DvdControlAvailable(session)) {
        try {
            DvdSeekTo(session, seconds);
        } catch (...) {
        }
    }
}

}  // namespace

void SeekTo(PlayerSession& session, double seconds) {
    Seek(session, seconds, false);
}

void SeekToKeyFrame(PlayerSession& session, double seconds) {
    Seek(session, seconds, true);
}

void JumpBy(PlayerSession& session, double seconds) {
    SeekTo(session, CurrentPosition(session) + seconds);
}

void StepChapter(PlayerSession& session, int direction) {
    if (session.graph.MediaKind == MediaKindDvd) {
        StepDvdChapter(session, direction);
        return;
    }
    ChapterTable& chapters = session.chapters;
    if (!FileGraph(session) || chapters.ChapterCount < 1) return;
    const int i = ChapterStepTarget(chapters, CurrentPosition(session), direction);
    if (i == 0) return;
    chapters.CurrentChapter = i;
    ClearSubtitleLine(session);
    SeekTo(session, chapters.ChapterTimes[static_cast<std::size_t>(i)]);
    session.osdMessage = chapters.ChapterNames[static_cast<std::size_t>(i)];
    PaintOsdIfOn(session, Options(session));
    ShowSubtitleDueNow(session);
}

void Play1Click(PlayerSession& session) {
    GraphSession& g = session.graph;
    const TransportSettings options = Options(session);
    FilterGraph* graph = FileGraph(session);
    if (!graph) {
        if (g.MediaKind == MediaKindDvd && DvdControlAvailable(session)) DvdPlay1(session);
        return;
    }
    double position = 0;
    double rate = 1.0;
    try {
        position = CurrentPosition(session);
    } catch (...) {
    }
    rate = graph->Rate();
    session.fastSeekStep = 0;
    // At the end: start again from the beginning. The last picture's time can
    // fall short of the container's length by a few milliseconds; the same
    // margin as the timer's end-of-medium test counts as the end.
    if (g.Duration != 0 && position >= g.Duration - kEndMargin &&
        (!g.DurationIsEstimate || GraphStateOf(session, 100) != GraphState::Running)) {
        try {
            graph->SetCurrentPosition(0);
        } catch (...) {
        }
        graph->Run();
        EnableTimer1(session);
        Topmost(session, options, true);
    } else if (rate != 1.0) {
        graph->SetRate(1.0);
        SetMute(session, false, options.Volume);
        session.osdMessage = "normal play 1x speed";
        graph->Run();
    } else if (GraphStateOf(session, 100) != GraphState::Running) {
        graph->Run();
        session.osdMessage = Lex(720);
        EnableTimer1(session);
        Topmost(session, options, true);
    } else {
        graph->Pause();
        session.osdMessage = "pause";
        Topmost(session, options, false);
    }
    PaintOsdIfOn(session, options);
    NudgeIfRunningVideo(session);
}

void Stop1Click(PlayerSession& session) {
    FilterGraph* graph = session.graph.GraphBuilder.get();
    if (!graph || session.graph.MediaKind == MediaKindNone) return;
    const TransportSettings options = Options(session);
    session.osdMessage = "stop";
    ClearSubtitleLine(session);
    // Kept while the position still says where the medium stopped.
    KeepResumePoint(session);
    graph->Stop();
    // The movie or DVD variant of the session bookmark, by what is open.
    session.playback.Get().SaveSessionBookmark();
    PaintOsdIfOn(session, options);
    Topmost(session, options, false);
}

void PlayFromStart(PlayerSession& session) {
    FilterGraph* graph = FileGraph(session);
    if (!graph) return;
    const TransportSettings options = Options(session);
    session.fastSeekStep = 0;
    if (graph->Rate() != 1.0) {
        graph->SetRate(1.0);
        SetMute(session, false, options.Volume);
    }
    graph->SetCurrentPosition(0);
    graph->Run();
    session.osdMessage = Lex(720);
    EnableTimer1(session);
    Topmost(session, options, true);
    PaintOsdIfOn(session, options);
    NudgeIfRunningVideo(session);
}

void Quick1Click(PlayerSession& session) {
    const TransportSettings options = Options(session);
    if (FilterGraph* graph = FileGraph(session)) {
        double rate = graph->Rate();
        if (rate < 2.0) {
            if (rate < 1.0) rate = 1.0;
            TakeRate(session, *graph, rate + 0.25, "quick ", options);
        }
        PaintOsdIfOn(session, options);
    } else if (session.graph.MediaKind == MediaKindDvd && DvdControlAvailable(session)) {
        DvdQuicker(session);
    }
}

void Slow1Click(PlayerSession& session) {
    const TransportSettings options = Options(session);
    if (FilterGraph* graph = FileGraph(session)) {
        double rate = graph->Rate();
        if (rate > 0.25) {
            if (rate > 1.0) rate = 1.0;
            TakeRate(session, *graph, rate - 0.25, "slow ", options);
        }
        PaintOsdIfOn(session, options);
    } else if (session.graph.MediaKind == MediaKindDvd && DvdControlAvailable(session)) {
        DvdSlower(session);
    }
}

double PlayRate(PlayerSession& session) {
    FilterGraph* graph = FileGraph(session);
    return graph ? graph->Rate() : 1.0;
}

bool SetPlayRate(PlayerSession& session, double rate) {
    FilterGraph* graph = FileGraph(session);
    if (!graph || !std::isfinite(rate) || rate < 0.25 || rate > 2.0) return false;
    const TransportSettings options = Options(session);
    if (rate == 1.0) {
        graph->SetRate(1.0);
        SetMute(session, false, options.Volume);
        session.osdMessage = "normal play 1x speed";
    } else {
        TakeRate(session, *graph, rate, rate > 1.0 ? "quick " : "slow ", options);
    }
    PaintOsdIfOn(session, options);
    return true;
}

namespace {

void FastScan(PlayerSession& session, int direction) {
    const TransportSettings options = Options(session);
    if (FilterGraph* graph = FileGraph(session)) {
        if (GraphStateOf(session, 100) == GraphState::Running) graph->Pause();
        // The opposite direction starts the count again.
        if (session.fastSeekStep * direction < 0) session.fastSeekStep = 0;
        session.fastSeekStep += direction;
        session.osdMessage = std::string(direction > 0 ? "forward: " : "back: ") +
                             std::to_string(session.fastSeekStep) + "x";
        PaintOsdIfOn(session, options);
        if (options.SubtitlesOn) ClearSubtitleLine(session);
    } else if (session.graph.MediaKind == MediaKindDvd && DvdControlAvailable(session)) {
        if (direction > 0)
            DvdFastForward(session);
        else
            DvdFastBackward(session);
    }
}

}  // namespace

void FFWD1Click(PlayerSession& session) {
    FastScan(session, +1);
}

void FBWD1Click(PlayerSession& session) {
    FastScan(session, -1);
}

void Step1Click(PlayerSession& session) {
    FilterGraph* graph = session.graph.GraphBuilder.get();
    if (!graph || session.graph.MediaKind == MediaKindNone) return;
    if (GraphStateOf(session, 100) == GraphState::Stopped) graph->Pause();
    try {
        if (graph->CanStep(0) == engine::S_OK) {
            graph->Step(1);
            session.osdMessage = "step on";
        } else {
            session.osdMessage = "error: stepping media impossible";
        }
    } catch (...) {
        session.osdMessage = "error: exception found stepping media";
    }
}

bool StepAvailable(PlayerSession& session) {
    FilterGraph* graph = session.graph.GraphBuilder.get();
    if (!graph || session.graph.MediaKind == MediaKindNone) return false;
    try {
        return graph->CanStep(0) == engine::S_OK;
    } catch (...) {
        return false;
    }
}

void JumpBWD1Click(PlayerSession& session) {
    ClearSubtitleLine(session);
    JumpBy(session, -30);
}

void JumpFWD1Click(PlayerSession& session) {
    ClearSubtitleLine(session);
    JumpBy(session, 30);
}

void JumpBWD2Click(PlayerSession& session) {
    ClearSubtitleLine(session);
    JumpBy(session, -10);
}

void JumpFWD2Click(PlayerSession& session) {
    ClearSubtitleLine(session);
    JumpBy(session, 10);
}

void Start1Click(PlayerSession& session) {
    ClearSubtitleLine(session);
    SeekTo(session, 0);
}

void End1Click(PlayerSession& session) {
    SeekTo(session, session.graph.Duration);
}

const char* PlayPauseGlyph(GraphState state) {
    return state == GraphState::Running ? ";" : "4";
}

namespace {

// A length estimated from the bit rate of the frames parsed so far improves as
// more are parsed; the OSD, the seek bar and the desktop bus follow it. It is
// never shorter than what has played, and once the data has ended, where it
// ended is the length.
void FollowDuration(PlayerSession& session, double position) {
    GraphSession& g = session.graph;
    FilterGraph* graph = FileGraph(session);
    if (!graph || !g.DurationIsEstimate) return;
    if (g.MediaComplete) {
        if (position > 0) {
            g.Duration = position;
            g.DurationIsEstimate = false;
        }
        return;
    }
    const auto estimate = graph->Duration();
    const double length = std::max(estimate.ok() ? estimate.value : 0.0, position);
    if (length > 0 && std::abs(length - g.Duration) >= 0.001) g.Duration = length;
}

}  // namespace

TransportTick PollTransport(PlayerSession& session) {
    TransportTick tick;
    tick.position = CurrentPosition(session);
    FollowDuration(session, tick.position);
    tick.state = GraphStateOf(session, 100);
    return tick;
}

void PointerNudgeDuty(PlayerSession& session, const TransportTick& tick) {
    if (session.graph.VideoStreamCount > 0 && tick.state == GraphState::Running &&
        tick.position > 1.0 && tick.position < 6.0)
        session.playbackPort.Get().KeepDisplayOn();
}

namespace {

// The second half of a medium's end, from a timer: the stop, the message and,
// a moment later, the play list's next item. A medium left meanwhile has
// ended its own way, and nothing is done for it.
void StopAtEnd(PlayerSession& session, std::uint64_t medium) {
    FilterGraph* graph = FileGraph(session);
    if (!graph || session.graph.mediumGeneration != medium) {
        if (session.endingMedium == medium) session.endingMedium.reset();
        return;
    }
    const bool brokeOff = engine::Failed(session.graph.MediaError) &&
                          IsNetworkAddress(session.graph.CurrentMediaName);
    graph->Stop();
    session.osdMessage = Lex(1250);
    if (brokeOff) ShowMessage(FormatLex(2810, session.graph.CurrentMediaName), MbIconExclamation);
    Topmost(session, Options(session), false);
    session.graph.MediaComplete = false;
    session.graph.MediaError = 0;
    QTimer::singleShot(50, &session.context, [&session, medium] {
        if (session.graph.mediumGeneration != medium) return;
        session.endingMedium.reset();
        session.playbackPort.Get().ContinuePlayList();
    });
}

}  // namespace

bool EndOfMediumDuty(PlayerSession& session, const TransportTick& tick) {
    GraphSession& g = session.graph;
    // An end under way is not begun again at the following ticks.
    if (session.endingMedium == g.mediumGeneration) return true;
    FilterGraph* graph = FileGraph(session);
    if (!graph) return false;
    // An estimated length says nothing of where the data ends: only the
    // stream's own end counts then.
    const bool atLength =
        g.Duration > 0 && !g.DurationIsEstimate && g.Duration - kEndMargin <= tick.position;
    if (!(atLength || g.MediaComplete)) return false;
    // The last frames play out for half a second before the stop; a server
    // that stopped sending is a fault, not the medium's end: told at once.
    const bool brokeOff =
        g.MediaComplete && engine::Failed(g.MediaError) && IsNetworkAddress(g.CurrentMediaName);
    session.endingMedium = g.mediumGeneration;
    QTimer::singleShot(brokeOff ? 0 : 500, &session.context,
                       [&session, medium = g.mediumGeneration] { StopAtEnd(session, medium); });
    return true;
}

void BufferingDuty(PlayerSession& session) {
    std::string& shown = session.bufferingShown;
    FilterGraph* graph = FileGraph(session);
    const int percent = graph ? graph->BufferingPercent() : -1;
    if (percent >= 0) {
        shown = BufferingText(percent);
        session.osdMessage = shown;
    } else if (!shown.empty()) {
        if (session.osdMessage == shown) session.osdMessage.clear();
        shown.clear();
    }
}

void FastScanDuty(PlayerSession& session, const TransportTick& tick) {
    FilterGraph* graph = FileGraph(session);
    if (!graph || tick.state != GraphState::Paused || session.fastSeekStep == 0) return;
    const double target = tick.position + session.fastSeekStep;
    if (!(target > 0 && target < session.graph.Duration)) return;
    // A move relative to where the graph paused, so that the engine knows
    // which way the scan goes and takes the keyframe on that side.
    const auto step = graph->ConvertTimeFormat(session.fastSeekStep * kUnitsPerSecond,
                                               graph->TimeFormat(), engine::TIME_FORMAT_MEDIA_TIME);
    if (!step.ok()) return;
    graph->SetPositions(step.value,
                        engine::AM_SEEKING_RelativePositioning | engine::AM_SEEKING_SeekToKeyFrame,
                        0, engine::AM_SEEKING_NoPositioning);
    // With no keyframe ahead of the target a demuxer may fall back on one
    // behind the scan (Matroska takes its last): a jump that did not go the
    // scan's way goes to the target exactly.
    if ((CurrentPosition(session) - tick.position) * session.fastSeekStep <= 0)
        graph->SetCurrentPosition(target);
    graph->Run();
    // Each step plays for 400 ms, then the scan pauses for the next tick; a
    // medium left or a scan ended meanwhile (play pressed) is not paused.
    QTimer::singleShot(400, &session.context, [&session, medium = session.graph.mediumGeneration] {
        FilterGraph* still = FileGraph(session);
        if (still && session.graph.mediumGeneration == medium && session.fastSeekStep != 0)
            still->Pause();
    });
}

void DvdCompleteDuty(PlayerSession& session) {
    if (session.graph.MediaKind == MediaKindDvd && session.graph.MediaComplete)
        Topmost(session, Options(session), false);
}

}  // namespace quova
