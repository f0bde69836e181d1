#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "graph/medium_session.h"
#include "playback/audio_output.h"
#include "playback/dvd_bookmark_state.h"
#include "playback/dvd_navigation.h"
#include "playback/play_list_state.h"
#include "playback/player_port.h"
#include "playback/resume_points.h"
#include "playback/screenshots.h"
#include "playback/session_medium_view.h"
#include "playback/session_playback.h"

namespace quova {

class SessionSaver;

// The player's one session: the medium, its graph and what playback keeps
// about them. The program creates it once and hands it to every command;
// nothing reaches it any other way. Parts keep references into it, so it
// stays where it was made.
struct PlayerSession : MediumSession {
    PlayerSession() {
        medium.Connect(&mediumView);
        playback.Connect(&playbackSide);
    }
    PlayerSession(const PlayerSession&) = delete;
    PlayerSession& operator=(const PlayerSession&) = delete;

    // The window's side transport, bookmarks and the DVD commands call up to.
    PortSlot<PlayerPort> playbackPort{"playback"};

    // The open medium as the OSD and the subtitles read it.
    SessionMediumView mediumView{*this};
    // What an open or a leave asks of playback.
    SessionPlayback playbackSide{*this};
    // The start of a medium is being sought: not a seek the desktop bus hears of.
    bool openingSeek = false;
    // The window's writer of the session bookmark while it is there; a write
    // made now must not be overtaken by one it still holds.
    SessionSaver* sessionSaver = nullptr;

    // What the next medium is taken from.
    PlayListState playList;

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
    // A seek on a running graph is settling, for the medium of this
    // generation; the last seek asked for meanwhile runs when it is done.
    std::optional<std::uint64_t> settlingSeek;
    double seekTarget = 0;
    // Where a seek landed is being told: a seek asked for from there is not
    // begun.
    bool seekTelling = false;
    struct PendingSeek {
        double seconds = 0;
        bool keyFrame = false;
    };
    std::optional<PendingSeek> pendingSeek;
    // The medium (by its generation) that reached its end and is being
    // stopped: the ticks until then do not end it again.
    std::optional<std::uint64_t> endingMedium;
    // The buffering text the OSD shows for a network medium, "" when none.
    std::string bufferingShown;
    // Where the open medium stopped last time, and where it is now kept.
    ResumeMemo resume;
    // The name the last movie bookmark was saved under, offered again.
    std::string lastBookmarkName;
    // Writes screenshots off the UI thread once the first is taken. Last, so
    // that it goes first: it finishes and joins while `context`, which its
    // results are posted to, is still there.
    std::unique_ptr<ScreenshotWriter> screenshots;
};

}  // namespace quova
