#pragma once

#include <string>

namespace quova {

struct MediumSession;

// Opens a DVD-Video volume and starts it: `folder` holds VIDEO_TS (or is it,
// or is an image); "" is the first optical drive. Every failure is reported
// and leaves the player idle but usable, its caption "Quova".
void OpenDvd(MediumSession& session, const std::string& folder);

}  // namespace quova
