#include "tests/support/player_state.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include "graph/extraction.h"
#include "graph/graph_state.h"
#include "graph/medium_session.h"
#include "playback/audio_output.h"
#include "playback/dvd_navigation.h"
#include "playback/media_events.h"
#include "playback/player_session.h"
#include "playback/seek_bar.h"
#include "playback/transport.h"
#include "text/osd.h"
#include "text/subtitle_display.h"
#include "text/subtitle_timetable.h"
#include "text/subtitle_tracks.h"

namespace quova::testing {

void ResetPlayerState(PlayerSession& session, Startup startup) {
    session.openCounter = startup == Startup::Done ? 0 : -1;
    session.flags = GraphOptions{};
    session.extraction = ExtractionState{};
    session.fastSeekStep = 0;
    session.dvd = DvdPlayState{};
    session.outputs = AudioOutputState{};
    engine::SetPreferredAudioDevice("");
    session.osdMessage.clear();
    session.osdLastMessage.clear();
    session.osdMessageAge = 0;
    session.currentSubtitleText.clear();
    session.subtitleBoxOffsetY = 0;
    session.subtitles = SubtitleTimetable{};
    ForgetSubtitleTracks(session);
}

bool PumpPlayer(PlayerSession& session, const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QCoreApplication::processEvents();
        if (session.graph.GraphBuilder) session.graph.GraphBuilder->DrainBus();
        HandleMediaEvents(session);
        QThread::msleep(5);
    }
    return true;
}

}  // namespace quova::testing
