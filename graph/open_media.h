#pragma once

#include <string>

#include "graph/open_media_port.h"

namespace quova {

struct MediumSession;

// The event type the graph announces its events with (the media event message).
inline constexpr int kMediaEventType = 1000 + 102;

// Opens a file medium and starts it: the one way every command opens a file.
// Does nothing while the program is starting. Every failure is reported and
// leaves the player idle but usable.
void OpenMedia(MediumSession& session, const std::string& fileName);

// Stops what plays (saving the session bookmark) and removes every filter.
void StopAndClearGraph(MediumSession& session);
void ReleaseRenderInterfaces(MediumSession& session);
// Lets the graph manager go with everything it holds.
void ReleaseGraph(MediumSession& session);

// The lower-case extension with its dot ("" when there is none).
std::string LowerExtension(const std::string& fileName);
// The name without its folder.
std::string NameWithoutFolder(const std::string& fileName);
// The folder of a name, up to and including its last "/".
std::string FolderOf(const std::string& fileName);

}  // namespace quova
