#pragma once

#include <functional>

namespace quova {

// What the window does for the events: the widget side of them.
struct MediaEventHooks {
    std::function<void(bool topmost)> SetTopmost;
    std::function<void(bool enabled)> EnableRootButton;
};
MediaEventHooks& EventHooks();

// Takes every queued graph event and acts on it: the end of the stream marks
// the medium complete for the polling tick; the navigator's events keep the
// disc's state and tell the user.
void HandleMediaEvents();

}  // namespace quova
