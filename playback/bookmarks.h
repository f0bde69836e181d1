#pragma once

#include <string>

#include "playback/bookmark_format.h"
#include "playback/session_place.h"

namespace quova {

struct PlayerSession;

// Message boxes name what failed; every one has the stop icon.
void WriteMovieBookmark(PlayerSession& session, const std::string& name);
void ReadMovieBookmark(PlayerSession& session, const std::string& name);
void WriteDvdBookmark(PlayerSession& session, const std::string& name);
void ReadDvdBookmark(PlayerSession& session, const std::string& name);

void Save1Click(PlayerSession& session);
void Restore1Click(PlayerSession& session);
void RestoreSessionBookmark1Click(PlayerSession& session);

// The session bookmark of what is open, written without any message box:
// the callers (stop, clearing the graph, program end) must not be held up.
void SaveSessionBookmark(PlayerSession& session);

// The text a movie bookmark of the open file holds now.
std::string CurrentMovieBookmarkText(PlayerSession& session);

}  // namespace quova
