#pragma once

#include <string>

#include "playback/bookmark_format.h"
#include "playback/session_place.h"

namespace quova {

// Message boxes name what failed; every one has the stop icon.
void WriteMovieBookmark(const std::string& name);
void ReadMovieBookmark(const std::string& name);
void WriteDvdBookmark(const std::string& name);
void ReadDvdBookmark(const std::string& name);

void Save1Click();
void Restore1Click();
void RestoreSessionBookmark1Click();

// The session bookmark of what is open, written without any message box:
// the callers (stop, clearing the graph, program end) must not be held up.
void SaveSessionBookmark();

// The text a movie bookmark of the open file holds now.
std::string CurrentMovieBookmarkText();

}  // namespace quova
