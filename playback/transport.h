#pragma once

#include <string>

#include "platform/engine/filter_graph.h"
#include "playback/player_port.h"

namespace quova {

// Fast-scan step of a file in seconds per timer tick: positive forward,
// negative backward, 0 no scan.
inline int FastSeekStep = 0;
// SeekTo is running; a nested call does nothing.
inline bool SeekBusy = false;

// The graph state asked with a time-out; Stopped when there is no graph.
engine::GraphState GraphStateOf(int timeoutMs = 100);

// The position of the open medium in seconds (0 when it cannot be read).
double CurrentPosition();
// `seconds` held to 0 .. the medium's duration (to the latest position the
// engine counts when the duration is unknown); infinities land at the ends.
double ClampToMedium(double seconds);
// Absolute seek, limited to the medium; NaN does nothing. Lands exactly:
// bookmarks, Go To, jumps and the desktop bus name a frame.
void SeekTo(double seconds);
// As SeekTo, but lands on the keyframe at or before `seconds`, which spares
// decoding the frames from there to the target: for the seek bar's drag,
// where the picture should follow the thumb more than it should be exact.
void SeekToKeyFrame(double seconds);
void JumpBy(double seconds);
// The chapter commands: the disc's next or previous chapter, or in a file
// with a chapter list the chapter's start.
void StepChapter(int direction);

// Commands of the popup menu, the control bar, the keys and the desktop bus.
void Play1Click();
void Stop1Click();
void Quick1Click();
void Slow1Click();
void FFWD1Click();
void FBWD1Click();
void Step1Click();
void JumpBWD1Click();
void JumpFWD1Click();
void JumpBWD2Click();
void JumpFWD2Click();
void Start1Click();
void End1Click();
// Sets a file's rate as Quicker and Slower do (mute rule and OSD text
// included); rates outside 0.25 .. 2.0 are refused. Returns whether it was set.
bool SetPlayRate(double rate);
double PlayRate();

// "Step" of the Playback submenu is offered only where a frame can be stepped.
bool StepAvailable();

// The Play / Pause glyph of the control bar: ";" while running, "4" otherwise.
const char* PlayPauseGlyph(engine::GraphState state);

// The polling timer's transport duties, each a step of the 475 ms tick, in
// the order the tick runs them.
struct TransportTick {
    double position = 0;
    engine::GraphState state = engine::GraphState::Stopped;
};
// Step 1: where the medium is and what the graph does (and its length, where
// that is an estimate that improves as the file plays).
TransportTick PollTransport();
// Step 2: the full-screen pointer nudge early in a video.
void PointerNudgeDuty(const TransportTick& tick);
// Step 5: the end of a file. Returns true when it handled one (the graph is
// stopped, "Stop" shown, the play list asked to continue).
bool EndOfMediumDuty(const TransportTick& tick);
// While a network medium's buffer fills, the OSD tells how full it is; the
// text goes once the medium plays on.
void BufferingDuty();
// Step 6: one jump of the fast scan, with 400 ms of play after it. The jump
// lands on a keyframe: ahead of its target when it scans forward (a short
// step would otherwise fall back on the keyframe just left), behind it when
// it scans backward; exactly on the target where no keyframe lies that way.
void FastScanDuty(const TransportTick& tick);
// Step 7: a DVD that ended leaves the topmost state.
void DvdCompleteDuty();

// The shortest decimal form of a rate ("1.25", "2").
std::string RateText(double rate);

}  // namespace quova
