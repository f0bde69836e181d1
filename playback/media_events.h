#pragma once

namespace quova {

// Takes every queued graph event and acts on it: the end of the stream marks
// the medium complete for the polling tick.
void HandleMediaEvents();

}  // namespace quova
