#include "playback/session_playback.h"

#include "playback/bookmarks.h"
#include "playback/player_session.h"
#include "playback/resume_points.h"
#include "playback/session_saver.h"
#include "playback/transport.h"

namespace quova {

void SessionPlayback::StartAt(double seconds) {
    // The start of a medium is no seek of the user's: the desktop bus does
    // not hear of it.
    session_.openingSeek = true;
    SeekTo(session_, seconds);
    session_.openingSeek = false;
}

void SessionPlayback::EndScan() {
    session_.fastSeekStep = 0;
}

void SessionPlayback::SaveSessionBookmark() {
    // A background write still pending must not land after this one.
    if (session_.sessionSaver) session_.sessionSaver->Flush();
    quova::SaveSessionBookmark(session_);
}

double SessionPlayback::StartingPoint(double from) {
    return ResumeStartingPoint(session_, from);
}

void SessionPlayback::Started() {
    OfferResumeAfterOpen(session_);
}

void SessionPlayback::KeepPlace() {
    KeepResumePoint(session_);
}

}  // namespace quova
