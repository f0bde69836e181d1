#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "playback/bookmark_format.h"
#include "playback/session_place.h"

namespace quova {

// What the bookmark commands need of the player's other parts. The main
// window fills them; an empty one does nothing (or reports failure).
struct BookmarkHooks {
    std::function<double()> CurrentPosition;
    std::function<void(double seconds)> SeekTo;
    // The current volume, zoom, aspect, window flags and crops.
    std::function<BookmarkSettings()> Settings;
    // Takes the restored values over into the player's variables.
    std::function<void(const BookmarkSettings&)> StoreSettings;
    std::function<void()> ApplyVolume;
    // Applies the crop and lays the picture out anew.
    std::function<void()> ApplyCropAndLayout;
    std::function<void()> ApplyFullScreen;
    std::function<void(const std::string& fileName)> OpenMedia;
    // Opens the DVD in the default drive.
    std::function<void()> OpenDefaultDvd;

    // The DVD navigator: present with a picture (a frame rate) to save.
    std::function<bool()> DvdCanSave;
    std::function<bool()> DvdReady;  // control and information faces present
    // Its state: a 16-byte class identifier, then the navigator's own data.
    std::function<std::int32_t(std::string& state)> GetDvdState;
    // The disc a saved state belongs to; a failure code when the state is unreadable.
    std::function<std::int32_t(const std::string& state, std::uint64_t& discId)> StateDiscId;
    std::function<std::uint64_t()> CurrentDiscId;
    std::function<std::int32_t(const std::string& state)> SetDvdState;

    // The save and open dialogs: the chosen name, "" when cancelled.
    std::function<std::string(const std::string& title, const std::string& proposed)> AskSaveName;
    std::function<std::string(const std::string& title, const std::string& start)> AskOpenName;
    // Where the session bookmark lives.
    std::function<std::string()> SessionPath;
};

BookmarkHooks& Bookmarks();

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

// The position of what is open, in seconds, read from and set on the graph
// directly, without the transport's bookkeeping (for callers outside the
// window, such as tools and tests).
double BookmarkPosition();
void BookmarkSeekTo(double seconds);

}  // namespace quova
