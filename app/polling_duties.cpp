#include <QPushButton>
#include <QTimer>

#include "app/app_state.h"
#include "app/command_gate.h"
#include "app/dvd_menu_input.h"
#include "app/end_of_medium.h"
#include "app/main_window.h"
#include "app/mpris.h"
#include "app/play_list_commands.h"
#include "app/screen_saver.h"
#include "app/tips.h"
#include "graph/extraction.h"
#include "graph/graph_state.h"
#include "graph/message_box.h"
#include "playback/dvd_navigation.h"
#include "playback/dvd_pointer.h"
#include "playback/transport.h"
#include "text/osd.h"
#include "text/osd_message.h"
#include "text/subtitle_commands.h"

// The polling timer (Timer1, 475 ms): where the medium is, the end of a file
// and what follows it, the fast scan, subtitles due, the OSD, and while an
// extraction runs its progress and next file.

namespace quova {

void TQuovaForm::Timer1Timer() {
    // A tick that comes while a command waits shows where things are, but
    // leaves the steps that wait and change the graph (the end of a medium,
    // the fast scan, the extraction's next file) to a later tick.
    const bool free = !Commands().Busy();
    TransportTick tick;
    PollingBlocks blocks;
    // While an extraction runs its own duties replace playback's: the
    // progress, and at each end the next file or the completion.
    const bool extracting = GraphFlags().ExtractionMode && Graph().ExtractionReady;
    blocks.startupTip = [this] {
        if (startupTip_.Tick(Graph().MediaKind == MediaKindNone)) ShowRandomTip();
    };
    blocks.blockA = [this, &tick, extracting] {
        if (!Graph().GraphBuilder || extracting) return;
        tick = PollTransport();
        BufferingDuty();
        PointerNudgeDuty(tick);
        TimerBlockA(tick);
    };
    blocks.blockB = [this, &tick, extracting, free] {
        if (extracting) {
            if (free) ExtractionTimerTick();
            return;
        }
        if (!Graph().GraphBuilder) return;
        if (free && !EndOfMediumDuty(tick)) FastScanDuty(tick);
        DvdCompleteDuty();
        // With subtitles off a picture stream's forced units still show.
        if (Graph().VideoWindow && tick.state == engine::GraphState::Running) {
            if (SubtitlesLoaded()) ShowSubtitleDueNow();
        }
    };
    blocks.blockC = [this, extracting] {
        if (AppSettings().OsdOn) PaintOsdNow();
        // The progress stays up however long a percent takes.
        if (extracting) return;
        OsdExpiryTick();
        mpris_->Refresh();
    };
    blocks.report = [](const std::string& text) { ShowMessage(text, MbIconStop); };
    if (free)
        Commands().Run([this, &blocks] { tick_.Run(blocks); });
    else
        tick_.Run(blocks);
}

void TQuovaForm::TimerBlockA(const TransportTick& tick) {
    GraphSession& g = Graph();
    const bool running = tick.state == engine::GraphState::Running;
    // Pausing or stopping lets the screen saver back at once.
    screenSaver_->KeepDisplayOn(running);
    edgeControls_->PollUpdate(tick, g.Duration);
    if (g.VideoWindow) {
        const bool hide = PointerHiddenOverPicture(g.MediaKind, DvdState().DvdDomain,
                                                   tick.state == engine::GraphState::Stopped);
        if (hide != g.VideoWindow->IsCursorHidden()) g.VideoWindow->HideCursor(hide);
    }
}

void TQuovaForm::ContinuePlayList() {
    EndOptions options;
    options.extractionMode = GraphFlags().ExtractionMode;
    options.random = AppSettings().RandomList;
    options.loop = AppSettings().LoopOn;
    AfterEndSteps steps;
    steps.rewind = [] { SeekTo(0); };
    steps.stopTimer1 = [this] { timer1_->stop(); };
    steps.open = Opener();
    ContinueAfterEnd(CurrentPlayList(), options, steps);
    screenSaver_->KeepDisplayOn(false);
}

void TQuovaForm::ExtractionTimerTick() {
    // Only while an extraction runs; the rest of the tick belongs to playback.
    if (!GraphFlags().ExtractionMode) return;
    if (!ExtractionTick(PlayList(), [this](const std::string& name) { OpenMedia(name); }))
        timer1_->stop();
}

}  // namespace quova
