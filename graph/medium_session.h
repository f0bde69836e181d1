#pragma once

#include "graph/extraction.h"
#include "graph/graph_state.h"
#include "graph/medium_playback.h"
#include "graph/multiple_audio.h"
#include "graph/open_media_port.h"
#include "text/text_session.h"

namespace quova {

// What the open pipeline, the graph commands and the extraction know of the
// medium and the graph between one command and the next. The player session
// is one; everything below it that reads the medium is handed this part
// (and the text layer the part it may see).
struct MediumSession : TextSession {
    // The window's side an open and the graph commands report to.
    PortSlot<OpenMediaPort> mediaPort{"open-media"};
    // Playback's side of an open and a leave; the player session answers it.
    PortSlot<MediumPlayback> playback{"medium playback"};
    GraphSession graph;
    GraphOptions flags;
    ExtractionState extraction;
    MultipleAudioState audio;
    // Below 0 while the program is starting: opening a file or a DVD does
    // nothing then. Start-up raises it to 0 around each command-line open;
    // each close of the About box adds 1, so closing the splash makes the
    // program ready.
    int openCounter = -1;
};

}  // namespace quova
