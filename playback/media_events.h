#pragma once

namespace quova {

struct PlayerSession;

// Takes every queued graph event and acts on it: the end of the stream marks
// the medium complete for the polling tick; the navigator's events keep the
// disc's state and tell the user.
void HandleMediaEvents(PlayerSession& session);

}  // namespace quova
