#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/engine/audio_renderer.h"
#include "platform/engine/pin.h"
#include "platform/engine/result.h"

namespace quova {

struct MediumSession;

// What the several-audio path keeps between an open and the next: the
// splitter's connected audio outputs and, one entry per stream, the pin the
// stream leaves by, the pin it was first connected to, and whether it is
// connected now. Each stream heard has an audio renderer of its own, so that
// each can go to a device of its own; the volume applies to every renderer.
struct MultipleAudioState {
    bool splitterFound = false;
    std::vector<engine::PinPtr> AudioSplitterPins;
    std::vector<engine::PinPtr> AudioOutPins;
    std::vector<engine::PinPtr> AudioPeerPins;
    std::vector<std::uint8_t> AudioConnected;
    // A stream switch is under way; the switches asked for meanwhile, in turn.
    bool switching = false;
    std::deque<int> pendingSwitches;
};

// Forgets the splitter and the streams (every open).
void ReleaseMultipleAudio(MediumSession& session);

// The question asked for the k-th audio stream of `count`.
std::string StreamQuestion(int k, int count);

// Builds the graph of an AVI with several audio streams by hand, asking
// stream by stream which to hear; every stream heard gets its own renderer.
engine::HResult OpenMultipleAudio(MediumSession& session, const engine::PinPtr& sourcePin);

// Connects or disconnects audio stream `index` (0 to 3) while the medium
// keeps its place and state; the outcome goes to the OSD.
void SwitchAudioStream(MediumSession& session, int index);

// The renderer stream `index` (0 to 3, as the Stream items count) is heard
// through, or null when the medium has no several streams or that one is not
// connected.
std::shared_ptr<engine::AudioRendererFilter> StreamRenderer(MediumSession& session, int index);

// The streams heard now, bit k for stream k of the first four; -1 where the
// medium has fewer than two streams to choose from.
int HeardAudioStreams(MediumSession& session);
// Switches the streams whose state differs from `heard` (as
// HeardAudioStreams gives it), one after another; -1 changes nothing.
void HearAudioStreams(MediumSession& session, int heard);

// Sets the check mark of menu item `index`; other indexes do nothing.
void SetAudioStreamCheck(MediumSession& session, int index, bool checked);

}  // namespace quova
