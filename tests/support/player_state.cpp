#include "tests/support/player_state.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include "graph/extraction.h"
#include "graph/graph_state.h"
#include "graph/open_counter.h"
#include "playback/audio_output.h"
#include "playback/dvd_navigation.h"
#include "playback/media_events.h"
#include "playback/seek_bar.h"
#include "playback/transport.h"
#include "text/osd.h"
#include "text/subtitle_display.h"
#include "text/subtitle_timetable.h"
#include "text/subtitle_tracks.h"

namespace quova::testing {

void ResetPlayerState(Startup startup) {
    OpenCounter = startup == Startup::Done ? 0 : -1;
    GraphFlags() = GraphOptions{};
    Extraction() = ExtractionState{};
    FastSeekStep = 0;
    SeekBarPosition = 0;
    SeekBarBusy = false;
    DvdState() = DvdPlayState{};
    AudioOutput() = AudioOutputState{};
    engine::SetPreferredAudioDevice("");
    OsdMessage.clear();
    OsdLastMessage.clear();
    OsdMessageAge = 0;
    CurrentSubtitleText.clear();
    SubtitleBoxOffsetY = 0;
    Subtitles() = SubtitleTimetable{};
    ForgetSubtitleTracks();
}

bool PumpPlayer(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QCoreApplication::processEvents();
        if (Graph().GraphBuilder) Graph().GraphBuilder->DrainBus();
        HandleMediaEvents();
        QThread::msleep(5);
    }
    return true;
}

}  // namespace quova::testing
