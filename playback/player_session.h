#pragma once

#include <string>

#include "graph/medium_session.h"
#include "playback/audio_output.h"
#include "playback/dvd_bookmark_state.h"
#include "playback/dvd_navigation.h"

namespace quova {

// The player's one session: the medium, its graph and what playback keeps
// about them. The program creates it once and hands it to every command;
// nothing reaches it any other way. Parts keep references into it, so it
// stays where it was made.
struct PlayerSession : MediumSession {
    PlayerSession() = default;
    PlayerSession(const PlayerSession&) = delete;
    PlayerSession& operator=(const PlayerSession&) = delete;

    // Where DVD bookmarks take the navigator's state from: the open disc's
    // navigator, unless a test without a drive stood another in.
    NavigatorStateStore navigatorStates{graph};
    DvdStateStore* dvdStates = nullptr;

    // What the open disc's navigator last told.
    DvdPlayState dvd;
    // The devices followed and the renderers' choices.
    AudioOutputState outputs;

    // Fast-scan step of a file in seconds per timer tick: positive forward,
    // negative backward, 0 no scan.
    int fastSeekStep = 0;
    // A seek is running; a nested one does nothing.
    bool seekBusy = false;
    // The name the last movie bookmark was saved under, offered again.
    std::string lastBookmarkName;
};

}  // namespace quova
