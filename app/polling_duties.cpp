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
#include "playback/player_session.h"
#include "playback/resume_points.h"
#include "playback/transport.h"
#include "text/osd.h"
#include "text/subtitle_commands.h"
#include "text/text_session.h"

// The polling timer (Timer1, 475 ms): where the medium is, the end of a file
// and what follows it, the fast scan, subtitles due, the OSD, and while an
// extraction runs its progress and next file.

namespace quova {

void TQuovaForm::Timer1Timer() {
    // A tick that comes while a command waits shows where things are, but
    // leaves the steps that wait and change the graph (the end of a medium,
    // the fast scan, the extraction's next file) to a later tick.
    const bool free = !commands_->Gate().Busy();
    // While an extraction runs its own duties replace playback's: the
    // progress, and at each end the next file or the completion.
    struct Blocks final : PollingBlocks {
        TQuovaForm& form;
        const bool free;
        const bool extracting =
            form.session_.flags.ExtractionMode && form.session_.graph.ExtractionReady;
        TransportTick tick;
        Blocks(TQuovaForm& f, bool isFree) : form(f), free(isFree) {}

        void StartupTip() override {
            if (form.startupTip_.Tick(form.session_.graph.MediaKind == MediaKindNone))
                ShowRandomTip();
        }
        void BlockA() override {
            if (!form.session_.graph.GraphBuilder || extracting) return;
            tick = PollTransport(form.session_);
            BufferingDuty(form.session_);
            PointerNudgeDuty(form.session_, tick);
            form.TimerBlockA(tick);
        }
        void BlockB() override {
            if (extracting) {
                if (free) form.ExtractionTimerTick();
                return;
            }
            if (!form.session_.graph.GraphBuilder) return;
            ResumeDuty(form.session_, tick);
            if (free && !EndOfMediumDuty(form.session_, tick)) FastScanDuty(form.session_, tick);
            DvdCompleteDuty(form.session_);
            // With subtitles off a picture stream's forced units still show.
            if (form.session_.graph.VideoWindow && tick.state == engine::GraphState::Running) {
                if (SubtitlesLoaded(form.session_)) ShowSubtitleDueNow(form.session_);
            }
        }
        void BlockC() override {
            if (AppSettings().OsdOn) form.PaintOsdNow();
            // The progress stays up however long a percent takes.
            if (extracting) return;
            OsdExpiryTick(form.session_);
            form.mpris_->Refresh();
        }
        void Report(const std::string& text) override { ShowMessage(text, MbIconStop); }
    } blocks(*this, free);
    if (free)
        commands_->Gate().Run([this, &blocks] { tick_.Run(blocks); });
    else
        tick_.Run(blocks);
}

void TQuovaForm::TimerBlockA(const TransportTick& tick) {
    GraphSession& g = session_.graph;
    const bool running = tick.state == engine::GraphState::Running;
    // Pausing or stopping lets the screen saver back at once.
    screenSaver_->KeepDisplayOn(running);
    edgeControls_->PollUpdate(tick, g.Duration);
    if (g.VideoWindow) {
        const bool hide = PointerHiddenOverPicture(g.MediaKind, session_.dvd.DvdDomain,
                                                   tick.state == engine::GraphState::Stopped);
        if (hide != g.VideoWindow->IsCursorHidden()) g.VideoWindow->HideCursor(hide);
    }
}

void TQuovaForm::ContinuePlayList() {
    EndOptions options;
    options.extractionMode = session_.flags.ExtractionMode;
    options.random = AppSettings().RandomList;
    options.loop = AppSettings().LoopOn;
    struct Steps final : AfterEndSteps {
        TQuovaForm& form;
        explicit Steps(TQuovaForm& f) : form(f) {}
        void Rewind() override { SeekTo(form.session_, 0); }
        void StopPolling() override { form.timer1_->stop(); }
        void Open(const std::string& name) override { form.OpenMedia(name); }
    } steps(*this);
    ContinueAfterEnd(session_.playList, options, steps);
    screenSaver_->KeepDisplayOn(false);
}

void TQuovaForm::ExtractionTimerTick() {
    // Only while an extraction runs; the rest of the tick belongs to playback.
    if (!session_.flags.ExtractionMode) return;
    if (!ExtractionTick(session_, PlayList(), [this](const std::string& name) { OpenMedia(name); }))
        timer1_->stop();
}

}  // namespace quova
