#include "playback/resume_points.h"

#include <QTimer>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <system_error>

#include "graph/graph_state.h"
#include "graph/multiple_audio.h"
#include "lexicon/lexicon.h"
#include "platform/files/media_name.h"
#include "platform/paths/user_home.h"
#include "playback/player_port.h"
#include "playback/player_session.h"
#include "playback/transport.h"
#include "text/subtitle_tracks.h"

namespace quova {

namespace fs = std::filesystem;

namespace {

// Values a damaged or hostile store could hold are not applied: the picture
// and the sound stay as the open made them.
bool SensibleZoom(double zoom) {
    return std::isfinite(zoom) && zoom >= 0.05 && zoom <= 20;
}
bool SensibleAspect(double aspect) {
    return std::isfinite(aspect) && aspect >= 0.1 && aspect <= 10;
}
bool SensibleSpeed(double speed) {
    return std::isfinite(speed) && speed >= 0.25 && speed <= 2.0;
}

void CloseOffer(PlayerSession& session) {
    if (!session.resume.offered) return;
    session.resume.offered.reset();
    session.playbackPort.Get().CloseResumeOffer();
}

void SayResumed(PlayerSession& session, double position) {
    session.osdMessage = FormatLex(2930, ClockText(position));
    if (session.playbackPort.Get().TransportOptions().OsdOn) session.playbackPort.Get().PaintOsd();
}

// The streams, speed and picture the medium was watched with.
void ApplyHowItWasWatched(PlayerSession& session, const ResumePoint& point) {
    HearAudioStreams(session, point.audioStreams);
    const int source = point.subtitleSource;
    const int tracks = static_cast<int>(SubtitleTracks(session).size());
    if (source != ChosenSubtitleSource(session) &&
        ((source >= 0 && source < tracks) || source == kSubtitleFileSource))
        SubtitleSourceClick(session, source);
    if (SensibleSpeed(point.speed) && point.speed != PlayRate(session))
        SetPlayRate(session, point.speed);
    PlayerPort& ui = session.playbackPort.Get();
    BookmarkSettings settings = ui.BookmarkOptions();
    if (SensibleZoom(point.zoom)) settings.ZoomFactor = point.zoom;
    if (SensibleAspect(point.aspect)) settings.AspectFactor = point.aspect;
    const BookmarkSettings before = ui.BookmarkOptions();
    if (settings.ZoomFactor != before.ZoomFactor || settings.AspectFactor != before.AspectFactor) {
        ui.StoreBookmarkOptions(settings);
        ui.ApplyCropAndLayout();
    }
}

// The medium's key in the store: a file by its full path and size, so that
// a file replaced under the same name starts afresh.
void NameOpenMedium(PlayerSession& session) {
    ResumeMemo& m = session.resume;
    const std::string& name = session.graph.CurrentMediaName;
    m.name.clear();
    m.size = -1;
    m.medium = session.graph.mediumGeneration;
    if (session.graph.MediaKind != MediaKindFile || name.empty()) return;
    if (IsNetworkAddress(name)) {
        m.name = name;
        return;
    }
    std::error_code error;
    fs::path path = fs::weakly_canonical(fs::absolute(name, error), error);
    if (error) return;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error) return;
    m.name = path.string();
    m.size = static_cast<std::int64_t>(size);
}

}  // namespace

std::string ClockText(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0) seconds = 0;
    const auto whole = static_cast<long long>(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                  whole % 60);
    return text;
}

fs::path UserResumeFile() {
    const char* state = std::getenv("XDG_STATE_HOME");
    return ResumeStore::DefaultFile(state ? state : "", UserHomeFolder().string());
}

std::string OpenResumeStore(PlayerSession& session, const fs::path& file) {
    if (file.empty()) return "";
    session.resume.store = std::make_unique<ResumeStore>(file);
    const ResumeStore& store = *session.resume.store;
    if (!store.setAside().empty()) return FormatLex(2940, store.setAside().string());
    if (!store.error().empty()) return FormatLex(2950, store.error());
    return "";
}

double ResumeStartingPoint(PlayerSession& session, double from) {
    ResumeMemo& m = session.resume;
    CloseOffer(session);
    m.resumed = false;
    m.wasRunning = false;
    m.forgotten = false;
    m.keptAt = std::chrono::steady_clock::now();
    NameOpenMedium(session);
    if (!m.store || m.name.empty()) return from;
    const std::optional<ResumePoint> point = m.store->Find(m.name, m.size);
    if (!point || !WorthResuming(point->position, session.graph.Duration)) return from;
    m.offered = point;
    const TransportSettings options = session.playbackPort.Get().TransportOptions();
    m.resumed = options.AlwaysResume || options.ResumeByDefault;
    return m.resumed ? point->position : from;
}

void OfferResumeAfterOpen(PlayerSession& session) {
    ResumeMemo& m = session.resume;
    if (!m.offered) return;
    const ResumePoint point = *m.offered;
    if (m.resumed) {
        ApplyHowItWasWatched(session, point);
        SayResumed(session, point.position);
    }
    if (session.playbackPort.Get().TransportOptions().AlwaysResume) {
        m.offered.reset();
        return;
    }
    session.playbackPort.Get().OfferResume(ClockText(point.position), m.resumed);
    // Left alone, the offer goes and what plays goes on: the default stands.
    const std::uint64_t medium = session.graph.mediumGeneration;
    QTimer::singleShot(kResumeOfferMs, &session.context, [&session, medium] {
        if (session.graph.mediumGeneration == medium) CloseOffer(session);
    });
}

void ResumeChosen(PlayerSession& session, bool resume) {
    ResumeMemo& m = session.resume;
    if (!m.offered) return;
    const ResumePoint point = *m.offered;
    const bool wasResumed = m.resumed;
    CloseOffer(session);
    session.playbackPort.Get().RememberResumeChoice(resume);
    m.resumed = resume;
    if (resume == wasResumed) return;
    if (resume) {
        SeekTo(session, point.position);
        ApplyHowItWasWatched(session, point);
        SayResumed(session, point.position);
    } else {
        SeekTo(session, 0);
    }
}

void KeepResumePoint(PlayerSession& session) {
    ResumeMemo& m = session.resume;
    // A medium opened without being named here (an extraction) is not the
    // one named last.
    if (!m.store || m.name.empty() || session.graph.MediaKind != MediaKindFile ||
        m.medium != session.graph.mediumGeneration)
        return;
    // Started over but not yet answered: the place found is still the one
    // to come back to.
    if (m.offered && !m.resumed) return;
    m.keptAt = std::chrono::steady_clock::now();
    const double position = CurrentPosition(session);
    const double duration = session.graph.Duration;
    if (PlayedToTheEnd(position, duration)) {
        if (!m.forgotten) m.store->Forget(m.name, m.size);
        m.forgotten = true;
        return;
    }
    // A short look at a medium leaves its place as it was.
    if (!WorthResuming(position, duration)) return;
    ResumePoint point;
    point.name = m.name;
    point.size = m.size;
    point.position = position;
    point.audioStreams = HeardAudioStreams(session);
    point.subtitleSource = ChosenSubtitleSource(session);
    point.speed = PlayRate(session);
    const BookmarkSettings settings = session.playbackPort.Get().BookmarkOptions();
    point.zoom = settings.ZoomFactor;
    point.aspect = settings.AspectFactor;
    point.playedAt = static_cast<std::int64_t>(std::time(nullptr));
    if (m.store->Save(point)) m.forgotten = false;
}

void ResumeDuty(PlayerSession& session, const TransportTick& tick) {
    ResumeMemo& m = session.resume;
    const bool running = tick.state == engine::GraphState::Running;
    const bool due =
        std::chrono::steady_clock::now() - m.keptAt >= std::chrono::milliseconds(kResumeKeepMs);
    // The end is seen before the medium stops and rewinds.
    const bool ending = !m.forgotten && PlayedToTheEnd(tick.position, session.graph.Duration);
    if (running ? due || ending : m.wasRunning) KeepResumePoint(session);
    m.wasRunning = running;
}

}  // namespace quova
