#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "playback/resume_store.h"

namespace quova {

struct PlayerSession;
struct TransportTick;

// What the session keeps about resuming the open medium where it stopped
// when it last played.
struct ResumeMemo {
    // Where the places are kept; without one nothing is (a test, or a run
    // whose state folder cannot be made).
    std::unique_ptr<ResumeStore> store;
    // The open medium as the store knows it: its full path and size, or its
    // address and -1; an empty name for one whose place is not kept (a disc,
    // an extraction).
    std::string name;
    std::int64_t size = -1;
    // The medium (its generation) the name is of.
    std::uint64_t medium = 0;
    // The place found when it opened, while the offer to resume is up.
    std::optional<ResumePoint> offered;
    // The medium started at the place found: what the offer does unless the
    // user says otherwise.
    bool resumed = false;
    // When the place was kept last, and whether the medium played at the
    // last tick.
    std::chrono::steady_clock::time_point keptAt{};
    bool wasRunning = false;
    // The medium was played to its end and its place forgotten.
    bool forgotten = false;
};

// How long the offer to resume stays over the picture.
inline constexpr int kResumeOfferMs = 8000;
// How often the place of a playing medium is kept: a crash loses no more.
inline constexpr int kResumeKeepMs = 5000;

// A time as a clock shows it, hours first: "1:23:45", "0:00:12"; parts of a
// second are dropped.
std::string ClockText(double seconds);

// The user's store of resume points ($XDG_STATE_HOME/quova, else
// ~/.local/state/quova).
std::filesystem::path UserResumeFile();
// Opens the store in `file` for the session. What to tell the user when it
// was damaged and set aside, or cannot be used; "" when it works.
std::string OpenResumeStore(PlayerSession& session, const std::filesystem::path& file);

// The open asks where the medium just built starts: `from`, or the place it
// stopped at when that is worth resuming and the user resumes by default.
double ResumeStartingPoint(PlayerSession& session, double from);
// The medium plays: a resumed one gets its streams, speed and picture back,
// and the offer goes up over the picture (only the OSD's word when the user
// always resumes).
void OfferResumeAfterOpen(PlayerSession& session);
// The user's answer to the offer: resume at the place, or start over. The
// answer is the default from now on.
void ResumeChosen(PlayerSession& session, bool resume);
// Keeps where the open medium is and how it is watched, when that is worth
// resuming; a medium played to its end is forgotten.
void KeepResumePoint(PlayerSession& session);
// The polling tick's duty: the place is kept every kResumeKeepMs while the
// medium plays, and once when it stops playing (a pause, a stop, its end).
void ResumeDuty(PlayerSession& session, const TransportTick& tick);

}  // namespace quova
