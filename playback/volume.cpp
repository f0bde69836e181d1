#include "playback/volume.h"

#include <algorithm>
#include <cmath>

#include "graph/graph_state.h"
#include "lexicon/lexicon.h"
#include "playback/player_session.h"
#include "text/text_session.h"

namespace quova {

namespace {

constexpr int kSilence = -10000;

// The graph of an open medium, or null.
engine::FilterGraph* OpenGraph(PlayerSession& session) {
    GraphSession& g = session.graph;
    if (!g.GraphBuilder || g.MediaKind == MediaKindNone) return nullptr;
    return g.GraphBuilder.get();
}

}  // namespace

int VolumeLevel(int percent) {
    if (percent <= 0) return kSilence;
    const double level = std::log10(std::abs(percent) / 100.0) * 2000.0;
    // nearbyint rounds halves to the even neighbour in the default mode.
    return static_cast<int>(std::nearbyint(level));
}

void ApplyVolume(PlayerSession& session, int percent) {
    GraphSession& g = session.graph;
    if (!g.GraphBuilder || !g.BasicAudio) return;
    g.GraphBuilder->SetVolume(std::min(0, std::max(VolumeLevel(percent), kSilence)));
}

void SetMute(PlayerSession& session, bool mute, int volume) {
    ApplyVolume(session, mute ? 0 : volume);
}

bool ChangeVolume(PlayerSession& session, int delta, int& volume) {
    try {
        engine::FilterGraph* graph = OpenGraph(session);
        if (!graph) return false;
        // Volume steps would fight the mute of fast and slow play.
        if (graph->Rate() != 1.0 || !session.graph.BasicAudio) return false;
        // The setting is the one truth: the graph's level reads back
        // truncated, so steps taken from it would drift down (45 % up and
        // down again would end at 43 %).
        volume = std::min(std::max(0, volume + delta), 100);
        ApplyVolume(session, volume);
        session.osdMessage = FormatLexNumber(380, volume);
        return true;
    } catch (...) {
        // A volume step is never worth an error box.
        return false;
    }
}

int WheelVolumeSteps(int delta, bool modifierHeld) {
    return modifierHeld ? 0 : delta / 60;
}

int VolumeBarPosition(int volume) {
    return 100 - volume;
}

void TrackBar3Change(PlayerSession& session, int position, int& volume) {
    volume = 100 - position;
    ApplyVolume(session, volume);
    session.osdMessage = FormatLexNumber(380, volume);
}

bool VolumeUp1Click(PlayerSession& session, int& volume) {
    return ChangeVolume(session, 5, volume);
}

bool VolumeDown1Click(PlayerSession& session, int& volume) {
    return ChangeVolume(session, -5, volume);
}

void MuteonFastSlowPlayback1Click(bool& speedMute) {
    speedMute = !speedMute;
}

}  // namespace quova
