#pragma once

#include <string>

#include "platform/engine/filter_graph.h"
#include "playback/player_port.h"

namespace quova {

struct PlayerSession;

// The graph state asked with a time-out; Stopped when there is no graph.
engine::GraphState GraphStateOf(PlayerSession& session, int timeoutMs = 100);

// The position of the open medium in seconds (0 when it cannot be read);
// while a seek settles, where it is going.
double CurrentPosition(PlayerSession& session);
// A seek on the playing medium is settling; seeks asked for now merge.
bool SeekSettling(const PlayerSession& session);
// `seconds` held to 0 .. the medium's duration (to the latest position the
// engine counts when the duration is unknown); infinities land at the ends.
double ClampToMedium(PlayerSession& session, double seconds);
// Absolute seek, limited to the medium; NaN does nothing. Lands exactly:
// bookmarks, Go To, jumps and the desktop bus name a frame.
void SeekTo(PlayerSession& session, double seconds);
// As SeekTo, but lands on the keyframe at or before `seconds`, which spares
// decoding the frames from there to the target: for the seek bar's drag,
// where the picture should follow the thumb more than it should be exact.
void SeekToKeyFrame(PlayerSession& session, double seconds);
void JumpBy(PlayerSession& session, double seconds);
// The chapter commands: the disc's next or previous chapter, or in a file
// with a chapter list the chapter's start.
void StepChapter(PlayerSession& session, int direction);

// Commands of the popup menu, the control bar, the keys and the desktop bus.
void Play1Click(PlayerSession& session);
void Stop1Click(PlayerSession& session);
// Runs the open file from its beginning at normal speed: a desktop's Play
// after Stop (MPRIS), where the menu's Play goes on from where Stop left it.
void PlayFromStart(PlayerSession& session);
void Quick1Click(PlayerSession& session);
void Slow1Click(PlayerSession& session);
void FFWD1Click(PlayerSession& session);
void FBWD1Click(PlayerSession& session);
void Step1Click(PlayerSession& session);
void JumpBWD1Click(PlayerSession& session);
void JumpFWD1Click(PlayerSession& session);
void JumpBWD2Click(PlayerSession& session);
void JumpFWD2Click(PlayerSession& session);
void Start1Click(PlayerSession& session);
void End1Click(PlayerSession& session);
// Sets a file's rate as Quicker and Slower do (mute rule and OSD text
// included); rates outside 0.25 .. 2.0 are refused. Returns whether it was set.
bool SetPlayRate(PlayerSession& session, double rate);
double PlayRate(PlayerSession& session);

// "Step" of the Playback submenu is offered only where a frame can be stepped.
bool StepAvailable(PlayerSession& session);

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
TransportTick PollTransport(PlayerSession& session);
// Step 2: the full-screen pointer nudge early in a video.
void PointerNudgeDuty(PlayerSession& session, const TransportTick& tick);
// Step 5: the end of a file. Returns true when it handled one (the graph is
// stopped, "Stop" shown, the play list asked to continue).
bool EndOfMediumDuty(PlayerSession& session, const TransportTick& tick);
// While a network medium's buffer fills, the OSD tells how full it is; the
// text goes once the medium plays on.
void BufferingDuty(PlayerSession& session);
// Step 6: one jump of the fast scan, with 400 ms of play after it. The jump
// lands on a keyframe: ahead of its target when it scans forward (a short
// step would otherwise fall back on the keyframe just left), behind it when
// it scans backward; exactly on the target where no keyframe lies that way.
void FastScanDuty(PlayerSession& session, const TransportTick& tick);
// Step 7: a DVD that ended leaves the topmost state.
void DvdCompleteDuty(PlayerSession& session);

// The shortest decimal form of a rate ("1.25", "2").
std::string RateText(double rate);

}  // namespace quova
