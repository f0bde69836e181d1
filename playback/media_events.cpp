#include "playback/media_events.h"

#include <cstdint>
#include <string>

#include "graph/graph_state.h"
#include "graph/message_box.h"
#include "graph/open_media.h"
#include "lexicon/lexicon.h"
#include "playback/dvd_navigation.h"
#include "playback/player_session.h"
#include "text/text_session.h"

namespace quova {

using namespace engine;

namespace {

std::string DvdErrorText(std::intptr_t code) {
    switch (code) {
        case DVD_ERROR_Unexpected:
            return Lex(930);
        case DVD_ERROR_InvalidDVD1_0Disc:
            return Lex(950);
        default:
            return "";
    }
}

std::string DvdWarningText(std::intptr_t code) {
    if (code >= DVD_WARNING_InvalidDVD1_0Disc && code <= DVD_WARNING_Read)
        return Lex(1010 + 10 * static_cast<int>(code - 1));
    return Lex(1070);
}

bool TopmostMode(PlayerSession& session) {
    const OpenMediaSettings s = session.mediaPort.Get().Settings();
    return s.FullScreenMode || s.AlwaysOnTop;
}

void TopmostOff(PlayerSession& session) {
    if (TopmostMode(session)) session.playbackPort.Get().SetTopmost(false);
}

void Handle(PlayerSession& session, const GraphEvent& e) {
    GraphSession& g = session.graph;
    DvdPlayState& s = session.dvd;
    switch (e.code) {
        case EC_COMPLETE:
            g.MediaComplete = true;
            break;
        case EC_USERABORT:
            // Ended, but cut short: an extraction keeps the old output.
            g.MediaComplete = true;
            g.MediaError = E_ABORT;
            break;
        case EC_ERRORABORT:
            g.MediaComplete = true;
            g.MediaError = static_cast<HResult>(e.param1);
            break;
        case EC_DECODER_REPLACED:
            ShowOsdText(session, Lex(2840));
            break;
        case EC_STREAMS_LEFT_OUT:
            ShowOsdText(session, FormatLex(2860, std::to_string(e.param1)));
            break;
        case EC_DVD_DOMAIN_CHANGE:
            s.DvdDomain = static_cast<int>(e.param1) - 1;
            DvdStatusRefresh(session);
            break;
        case EC_DVD_TITLE_CHANGE:
            s.DvdTitle = static_cast<std::uint32_t>(e.param1);
            DvdStatusRefresh(session);
            break;
        case EC_DVD_CHAPTER_START:
            s.DvdChapter = static_cast<std::uint32_t>(e.param1);
            ShowOsdText(session, DvdLocationText(session));
            break;
        case EC_DVD_AUDIO_STREAM_CHANGE:
            s.DvdCurrentAudio = static_cast<std::uint32_t>(e.param1);
            break;
        case EC_DVD_SUBPICTURE_STREAM_CHANGE:
            s.DvdCurrentSubpicture = static_cast<std::uint32_t>(e.param1);
            break;
        case EC_DVD_ANGLE_CHANGE:
            s.DvdAngleCount = static_cast<std::uint32_t>(e.param1);
            s.DvdCurrentAngle = static_cast<std::uint32_t>(e.param2);
            DvdStatusRefresh(session);
            ShowOsdText(session, "Angle " + std::to_string(s.DvdCurrentAngle));
            break;
        case EC_DVD_VALID_UOPS_CHANGE:
            s.DvdUops = static_cast<std::uint32_t>(e.param1);
            session.playbackPort.Get().EnableRootButton(RootButtonEnabled(s.DvdUops));
            break;
        case EC_DVD_STILL_ON: {
            const auto length = static_cast<std::int32_t>(static_cast<std::uint32_t>(e.param2));
            ShowOsdText(session, length >= 0 ? FormatLex(1090, std::to_string(length)) : Lex(1100));
            if (g.DvdControl && e.param1 == 1) g.DvdControl->StillOff();
            break;
        }
        case EC_DVD_STILL_OFF:
            ShowOsdText(session, Lex(1110));
            break;
        case EC_DVD_ERROR:
            ShowMessage(Lex(1000) + ": " + DvdErrorText(e.param1), MbIconStop);
            break;
        case EC_DVD_WARNING:
            ShowMessage(Lex(690) + DvdWarningText(e.param1), MbIconExclamation);
            break;
        case EC_DVD_NO_FP_PGC:
            if (g.DvdControl) g.DvdControl->PlayTitle(1);
            break;
        case EC_DVD_PLAYBACK_RATE_CHANGE:
            s.DvdRate = static_cast<int>(e.param1);
            break;
        case EC_DVD_PARENTAL_LEVEL_CHANGE:
            if (g.DvdControl) g.DvdControl->AcceptParentalLevelChange(true);
            s.DvdParentalLevel = static_cast<std::uint32_t>(e.param1);
            ShowOsdText(session, Lex(1080) + ": " + ParentalRatingText(session));
            break;
        case EC_DVD_PLAYBACK_STOPPED:
            ShowOsdText(session, Lex(1120));
            TopmostOff(session);
            break;
        case EC_DVD_DISC_EJECTED:
            ShowOsdText(session, Lex(1130));
            break;
        case EC_DVD_DISC_INSERTED:
            ShowOsdText(session, Lex(1140));
            break;
        case EC_DVD_CURRENT_HMSF_TIME:
            // The time code of the title as it plays (hours, minutes, seconds).
            s.DvdPosition = TimecodeSeconds(UnpackTimecode(static_cast<std::uint32_t>(e.param1)));
            break;
        default:
            break;
    }
}

}  // namespace

void HandleMediaEvents(PlayerSession& session) {
    GraphSession& g = session.graph;
    if (!g.GraphBuilder) return;
    for (;;) {
        // Each event may open a box or refresh: the graph may go meanwhile.
        if (!g.GraphBuilder) return;
        const auto event = g.GraphBuilder->Events().Take();
        if (!event.ok()) break;
        Handle(session, event.value);
    }
    if (g.MediaComplete) TopmostOff(session);
}

}  // namespace quova
