#include "playback/volume.h"

#include <algorithm>
#include <cmath>

#include "graph/graph_state.h"
#include "lexicon/lexicon.h"
#include "text/osd_message.h"

namespace quova {

namespace {

constexpr int kSilence = -10000;

// The graph of an open medium, or null.
engine::FilterGraph* OpenGraph() {
    GraphSession& g = Graph();
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

void ApplyVolume(int percent) {
    GraphSession& g = Graph();
    if (!g.GraphBuilder || !g.BasicAudio) return;
    g.GraphBuilder->SetVolume(std::min(0, std::max(VolumeLevel(percent), kSilence)));
}

void SetMute(bool mute, int volume) {
    ApplyVolume(mute ? 0 : volume);
}

bool ChangeVolume(int delta, int& volume) {
    try {
        engine::FilterGraph* graph = OpenGraph();
        if (!graph) return false;
        // Volume steps would fight the mute of fast and slow play.
        if (graph->Rate() != 1.0 || !Graph().BasicAudio) return false;
        // The setting is the one truth: the graph's level reads back
        // truncated, so steps taken from it would drift down (45 % up and
        // down again would end at 43 %).
        volume = std::min(std::max(0, volume + delta), 100);
        ApplyVolume(volume);
        OsdMessage = FormatLexNumber(380, volume);
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

void TrackBar3Change(int position, int& volume) {
    volume = 100 - position;
    ApplyVolume(volume);
    OsdMessage = FormatLexNumber(380, volume);
}

bool VolumeUp1Click(int& volume) {
    return ChangeVolume(5, volume);
}

bool VolumeDown1Click(int& volume) {
    return ChangeVolume(-5, volume);
}

void MuteonFastSlowPlayback1Click(bool& speedMute) {
    speedMute = !speedMute;
}

}  // namespace quova
