#pragma once

#include <string>

namespace quova {

struct PlayerSession;

// The volume setting is a percentage; the graph counts in hundredths of a
// decibel from -10000 (silence) to 0 (full), on a logarithmic scale.

// The level sent for `percent`: 20 dB per decade, rounded half to even;
// 0 % and below are silence. Not clamped to the graph's range.
int VolumeLevel(int percent);

// Sends `percent` to the graph's audio renderers, when the graph has one.
void ApplyVolume(PlayerSession& session, int percent);
// Silence while muted; unmuting sends `volume` (the setting) again without
// touching it.
void SetMute(PlayerSession& session, bool mute, int volume);

// One volume step of the menu, the keys or the wheel, from `volume` (the
// setting). Only with a medium open, an audio renderer and the normal
// rate; returns whether `volume` (the setting) changed (then the OSD says so).
bool ChangeVolume(PlayerSession& session, int delta, int& volume);
// The wheel's steps for `delta` (one notch of 120 is 2), none with a
// modifier key or mouse button held.
int WheelVolumeSteps(int delta, bool modifierHeld);

// The volume bar shows 100 - volume so that its top is loud.
int VolumeBarPosition(int volume);
// The volume bar was moved to `position`: `volume` (the setting) follows and
// the graph takes it at any rate, which also ends a mute.
void TrackBar3Change(PlayerSession& session, int position, int& volume);

// Menu commands.
bool VolumeUp1Click(PlayerSession& session, int& volume);
bool VolumeDown1Click(PlayerSession& session, int& volume);
void MuteonFastSlowPlayback1Click(bool& speedMute);

}  // namespace quova
