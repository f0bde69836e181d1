#pragma once

#include <functional>

namespace quova {
struct PlayerSession;
}

namespace quova::testing {

// Whether the program has finished starting: before, opening a file or a disc
// does nothing.
enum class Startup { InProgress, Done };

// Puts the process-wide state of the player's parts below the window (graph,
// playback, text) back as a new program has it, so that no test sees what an
// earlier one left: the open counter, the graph and extraction options, the
// fast scan, the seek bar, the disc's status, the OSD message and the
// subtitles. With `Startup::Done` opens go through at once, as after the
// splash has closed. The graph itself is left to its owner.
void ResetPlayerState(PlayerSession& session, Startup startup = Startup::InProgress);

// Handles Qt's events and the open graph's, as the window does, until `done`
// holds; false when `ms` pass first.
bool PumpPlayer(PlayerSession& session, const std::function<bool()>& done, int ms = 15000);

}  // namespace quova::testing
