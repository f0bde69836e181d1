#include "app/player_ports.h"

#include <QPushButton>
#include <QTimer>

#include "app/bookmark_dialogs.h"
#include "app/generated_submenu.h"
#include "app/main_window.h"
#include "app/movie_configs.h"
#include "app/mpris.h"
#include "app/play_list_commands.h"
#include "app/popup_menu.h"
#include "app/recent_files.h"
#include "app/resume_prompt.h"
#include "app/screen_saver.h"
#include "app/tray_tip.h"
#include "app/video_commands.h"
#include "app/video_window.h"
#include "graph/graph_state.h"
#include "graph/message_box.h"
#include "graph/open_media.h"
#include "playback/audio_output.h"
#include "playback/bookmarks.h"
#include "playback/player_session.h"
#include "playback/session_place.h"
#include "playback/session_saver.h"
#include "playback/transport.h"
#include "playback/volume.h"

namespace quova {

namespace {

// The audio-stream items of the Audio submenu, stream 1 to 4.
const char* const kAudioStreamItems[] = {"Stream11", "STream21", "Stream31", "Stream41"};

}  // namespace

PlayerPorts::PlayerPorts(TQuovaForm& form) : form_(form), session_(form.session()) {
    session_.mediaPort.Connect(this);
    session_.playbackPort.Connect(this);
    session_.textPort.Connect(this);
}

PlayerPorts::~PlayerPorts() {
    session_.textPort.Connect(nullptr);
    session_.playbackPort.Connect(nullptr);
    session_.mediaPort.Connect(nullptr);
}

bool PortsConnected(const PlayerSession& session) {
    return session.mediaPort.Connected() && session.playbackPort.Connected() &&
           session.textPort.Connected();
}

OpenMediaSettings PlayerPorts::Settings() {
    const quova::Settings& s = AppSettings();
    OpenMediaSettings out;
    out.RegisterOnRot = s.RegisterOnRot;
    out.RenderLog = s.RenderLog;
    out.RenderLogFile = s.RenderLogFile;
    out.SubtitlesOn = s.SubtitlesOn;
    out.OsdOn = s.OsdOn;
    out.Id3On = s.Id3On;
    out.FullScreenMode = s.FullScreenMode;
    out.AlwaysOnTop = s.AlwaysOnTop;
    out.OggStreamSelect = s.OggStreamSelect;
    return out;
}

QWidget* PlayerPorts::Window() {
    return &form_;
}

void PlayerPorts::PaintOsd() {
    form_.PaintOsdNow();
}

void PlayerPorts::SetTimer1(bool on) {
    if (on)
        form_.timer1()->start();
    else
        form_.timer1()->stop();
}

void PlayerPorts::ShowCaption(const std::string& caption) {
    SetApplicationTitle(caption);
    form_.setWindowTitle(QString::fromStdString(caption));
    form_.UpdateTrayTip();
}

void PlayerPorts::LoadPlayList(const std::string& listFile) {
    quova::LoadPlayList(session_, listFile, session_.playList, form_.Opener());
}

void PlayerPorts::NetworkMediumFailed(const std::string& address) {
    const PlayListState& list = session_.playList;
    const int failed = list.PlayListIndex;
    if (failed < 0 || failed >= list.PlayListCount() - 1 || list.PlayList[failed] != address)
        return;
    // Started from the event loop once this open has unwound. Only forward
    // and never round: a list of dead addresses ends instead of reporting
    // them for ever. Another command in between (a new list, Next) has
    // moved on already, and the failed entry is no longer the current one.
    QTimer::singleShot(0, &form_, [this, failed, address] {
        PlayListState& now = session_.playList;
        if (now.PlayListIndex != failed || failed >= now.PlayListCount() - 1 ||
            now.PlayList[failed] != address)
            return;
        now.PlayListIndex = failed + 1;
        StartEntry(now, form_.Opener());
    });
}

void PlayerPorts::ShowAudioStreamItem(int n, bool checked, bool visible) {
    if (MenuItem* item = form_.menuModel().Find(kAudioStreamItems[n - 1])) {
        item->checked = checked;
        item->visible = visible;
    }
}

void PlayerPorts::CheckAudioStreamItem(int n) {
    if (MenuItem* item = form_.menuModel().Find(kAudioStreamItems[n - 1])) item->checked = true;
}

void PlayerPorts::SetAudioStreamCheck(int index, bool checked) {
    if (MenuItem* item = form_.menuModel().Find(kAudioStreamItems[index])) item->checked = checked;
    form_.popup().Sync();
}

void PlayerPorts::ApplyVolume() {
    quova::ApplyVolume(session_, AppSettings().Volume);
    // The graph has just got its audio: where it can only be silent, say so (once).
    if (ReportSilentAudio(session_)) PaintOsd();
}

void PlayerPorts::RecordFrameSize() {
    form_.videoLayout().MeasureFrame();
}

void PlayerPorts::ReadConfigs() {
    // The window's side of a movie's settings, for the one reading.
    struct Host final : MovieConfigHost {
        TQuovaForm& form;
        explicit Host(TQuovaForm& f) : form(f) {}
        void FontChanged() override { form.MeasureFont(); }
        void SaveOnExitDisabled() override {
            if (MenuItem* save = form.menuModel().Find("SaveonExit1")) save->enabled = false;
        }
        void ApplyCrop(int x, int y) override {
            form.videoLayout().geometry().CropX = x;
            form.videoLayout().geometry().CropY = y;
            form.videoLayout().ApplyCrop();
        }
        double Aspect() const override { return form.videoLayout().geometry().AspectFactor; }
        void SetAspect(double aspect) override { form.videoLayout().SetAspect(aspect); }
        void SwitchFullScreen() override { form.videoLayout().ToggleFullScreen(); }
        void LayoutVideo() override { form.videoLayout().LayoutVideo(); }
        std::pair<int, int> Crop() const override {
            return {form.videoLayout().geometry().CropX, form.videoLayout().geometry().CropY};
        }
    } host(form_);
    quova::ReadConfigs(session_, session_.graph.CurrentMediaName, host);
}

void PlayerPorts::FitWindow() {
    form_.videoLayout().LayoutVideo();
}

void PlayerPorts::Repaint() {
    form_.update();
}

void PlayerPorts::PrepareSeekBar() {
    form_.videoLayout().SetupSeekBar();
}

void PlayerPorts::AddRecentFile(const std::string& fileName) {
    quova::AddRecentFile(AppSettings().RecentFiles, fileName);
    form_.RebuildRecentMenu();
}

void PlayerPorts::ShowId3Tag() {
    // The window's paint draws the tag while it is held and ID3 is on.
    form_.update();
}

void PlayerPorts::RaiseWindow() {
    form_.raise();
}

TransportSettings PlayerPorts::TransportOptions() {
    const quova::Settings& s = AppSettings();
    TransportSettings out;
    out.OsdOn = s.OsdOn;
    out.FullScreenMode = s.FullScreenMode;
    out.AlwaysOnTop = s.AlwaysOnTop;
    out.SpeedMute = s.SpeedMute;
    out.SubtitlesOn = s.SubtitlesOn;
    out.ExtractionMode = session_.flags.ExtractionMode;
    out.Volume = s.Volume;
    out.AlwaysResume = s.AlwaysResume;
    out.ResumeByDefault = s.ResumeByDefault;
    return out;
}

void PlayerPorts::SetTopmost(bool on) {
    form_.SetTopmost(on);
}

void PlayerPorts::ShowSeekBar() {
    form_.edgeControls().ShowSeekBar();
}

void PlayerPorts::KeepDisplayOn() {
    // The desktop keeps the screen on instead of the pointer being nudged.
    form_.screenSaver().KeepDisplayOn(true);
}

void PlayerPorts::ContinuePlayList() {
    form_.ContinuePlayList();
}

void PlayerPorts::Seeked(double seconds) {
    if (MprisService* bus = form_.mprisService(); bus && !session_.openingSeek)
        bus->EmitSeeked(seconds);
}

BookmarkSettings PlayerPorts::BookmarkOptions() {
    const quova::Settings& s = AppSettings();
    BookmarkSettings out;
    out.Volume = s.Volume;
    out.ZoomFactor = s.ZoomFactor;
    out.ZoomToWindow = s.ZoomToWindow;
    out.ResizeToMedia = s.ResizeToMedia;
    out.FullScreenMode = s.FullScreenMode;
    const VideoGeometry& geo = form_.videoLayout().geometry();
    out.AspectFactor = geo.AspectFactor;
    out.CropY = geo.CropY;
    out.CropX = geo.CropX;
    return out;
}

void PlayerPorts::StoreBookmarkOptions(const BookmarkSettings& in) {
    quova::Settings& s = AppSettings();
    s.Volume = in.Volume;
    s.ZoomFactor = in.ZoomFactor;
    s.ZoomToWindow = in.ZoomToWindow;
    s.ResizeToMedia = in.ResizeToMedia;
    s.FullScreenMode = in.FullScreenMode;
    VideoGeometry& geo = form_.videoLayout().geometry();
    geo.AspectFactor = in.AspectFactor;
    geo.CropY = in.CropY;
    geo.CropX = in.CropX;
}

void PlayerPorts::ApplyCropAndLayout() {
    form_.videoLayout().ApplyCrop();
    form_.videoLayout().LayoutVideo();
}

void PlayerPorts::ApplyFullScreen() {
    form_.videoLayout().ApplyFullScreen();
}

void PlayerPorts::OpenMedia(const std::string& fileName) {
    form_.OpenMedia(fileName);
}

std::string PlayerPorts::AskSaveName(const std::string& title, const std::string& proposed) {
    return AskBookmarkSaveName(&form_, title, proposed);
}

std::string PlayerPorts::AskOpenName(const std::string& title, const std::string& start) {
    return AskBookmarkOpenName(&form_, title, start);
}

std::string PlayerPorts::SessionBookmarkFile() {
    return SessionBookmarkPath();
}

void PlayerPorts::OfferResume(const std::string& place, bool resumed) {
    form_.resumePrompt().Offer(place, resumed);
}

void PlayerPorts::CloseResumeOffer() {
    form_.resumePrompt().Close();
}

void PlayerPorts::RememberResumeChoice(bool resume) {
    AppSettings().ResumeByDefault = resume;
}

void PlayerPorts::HidePointer(bool hide) {
    if (auto video = session_.graph.VideoWindow; video && video->IsCursorHidden() != hide)
        video->HideCursor(hide);
}

void PlayerPorts::ShowDvdAudioItems(const std::vector<DvdStreamItem>& items) {
    FillSubmenu(form_.menuModel(), form_.popup(), "Language1", items, !items.empty());
}

void PlayerPorts::ShowDvdSubpictureItems(const std::vector<DvdStreamItem>& items) {
    FillSubmenu(form_.menuModel(), form_.popup(), "Subtitles3", items, !items.empty());
}

void PlayerPorts::EnableRootButton(bool enabled) {
    if (auto* button = form_.findChild<QPushButton*>("Button10")) button->setEnabled(enabled);
}

bool& PlayerPorts::Option(SubtitleOption option) {
    quova::Settings& s = AppSettings();
    switch (option) {
        case SubtitleOption::SubtitlesOn:
            return s.SubtitlesOn;
        case SubtitleOption::SubtitleSounds:
            return s.SubtitleSounds;
        case SubtitleOption::ChaptersOnSubtitles:
            return s.ChaptersOnSubtitles;
        case SubtitleOption::SubtitlesOnMovie:
            return s.SubtitlesOnMovie;
        case SubtitleOption::SubtitlesOverMovie:
            return s.SubtitlesOverMovie;
        case SubtitleOption::OsdOn:
            break;
    }
    return s.OsdOn;
}

void PlayerPorts::DrawSubtitle(const std::string& text) {
    form_.DrawSubtitle(text);
}

void PlayerPorts::EnableSubtitleAdjust(bool enabled) {
    if (MenuItem* adjust = form_.menuModel().Find("Adjust1")) adjust->enabled = enabled;
}

void PlayerPorts::ShowSubtitleSources(const std::vector<SubtitleSourceItem>& items) {
    std::vector<DvdStreamItem> copies;
    for (const auto& item : items) copies.push_back({item.caption, item.source, item.checked});
    FillSubmenu(form_.menuModel(), form_.popup(), "SubtitleTracks1", copies, !items.empty());
}

void PlayerPorts::LayoutVideo() {
    form_.videoLayout().LayoutVideo();
}

void PlayerPorts::ShowTip(int tip) {
    form_.ShowTip(tip);
}

void PlayerPorts::ReportError(const std::string& text) {
    ShowMessage(text, MbIconExclamation);
}

}  // namespace quova
