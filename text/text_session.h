#pragma once

#include <QObject>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/wiring/port_slot.h"
#include "text/chapters.h"
#include "text/open_medium_view.h"
#include "text/subtitle_port.h"
#include "text/subtitle_timetable.h"

namespace quova {

// What the OSD and the subtitles keep between one command and the next: the
// part of the player session the text layer is handed.
// The open movie's subtitle streams, the choice among them, the stream being
// read and the thread drawing its cues (text/subtitle_tracks.cpp).
struct SubtitleTrackRoad;
struct SubtitleTrackRoadDeleter {
    void operator()(SubtitleTrackRoad* road) const;
};

struct TextSession {
    TextSession();
    TextSession(const TextSession&) = delete;
    TextSession& operator=(const TextSession&) = delete;
    ~TextSession();

    // The receiver of the session's own queued work and timers: what is
    // still pending when the session goes is dropped with it.
    QObject context;
    // The window's side the OSD and the subtitles draw through, connected by
    // the window for its lifetime; a session no window serves has none.
    PortSlot<SubtitlePort> textPort{"subtitle"};
    // The open medium, read only; the player session answers it.
    PortSlot<const OpenMediumView> medium{"open medium"};

    // The text the OSD shows; "" shows the time alone.
    std::string osdMessage;
    // The message seen at the previous tick and for how many ticks in a row
    // it has stayed the same.
    std::string osdLastMessage;
    int osdMessageAge = 0;
    // The OSD text colour as 0xRRGGBB; pure green at start, not saved.
    std::uint32_t osdColor = 0x00FF00;
    // The subtitle text colour as 0xRRGGBB.
    std::uint32_t subtitleColor = 0xFFFFFF;

    // The subtitle text drawn last; "" when nothing is shown.
    std::string currentSubtitleText;
    // How far the subtitle box is moved down from its place (pixels, may be
    // negative), and the pointer's height in the box while it is dragged
    // (0 when it is not).
    int subtitleBoxOffsetY = 0;
    int panelDragY = 0;

    SubtitleTimetable subtitles;
    ChapterTable chapters;

    // Declared after `context`: it goes first, stopping the reader and
    // joining the drawing thread, so nothing they post outlives the receiver.
    std::unique_ptr<SubtitleTrackRoad, SubtitleTrackRoadDeleter> trackRoad;
};

}  // namespace quova
