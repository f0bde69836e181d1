#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/engine/pin.h"
#include "platform/engine/result.h"

namespace quova {

// What the several-audio path keeps between an open and the next: the
// splitter's connected audio outputs and, one entry per stream, the pin the
// stream leaves by, the pin it was first connected to, and whether it is
// connected now. Streams heard together meet in one mixer before the one
// audio renderer, so each stream also remembers the link by which its branch
// enters the mixer.
struct MultipleAudioState {
    bool splitterFound = false;
    std::vector<engine::PinPtr> AudioSplitterPins;
    std::vector<engine::PinPtr> AudioOutPins;
    std::vector<engine::PinPtr> AudioPeerPins;
    std::vector<std::uint8_t> AudioConnected;
    // The pin of each stream's branch that feeds the mixer (null when the
    // stream enters the mixer straight from the splitter).
    std::vector<engine::PinPtr> MixerFeeds;
};

MultipleAudioState& MultipleAudio();
// Forgets the splitter and the streams (every open).
void ReleaseMultipleAudio();

// The question asked for the k-th audio stream of `count`.
std::string StreamQuestion(int k, int count);

// Builds the graph of an AVI with several audio streams by hand, asking
// stream by stream which to hear; every stream heard goes into one mixer.
engine::HResult OpenMultipleAudio(const engine::PinPtr& sourcePin);

// Connects or disconnects audio stream `index` (0 to 3) while the medium
// keeps its place and state; the outcome goes to the OSD.
void SwitchAudioStream(int index);

// Sets the check mark of menu item `index`; other indexes do nothing.
void SetAudioStreamCheck(int index, bool checked);

}  // namespace quova
