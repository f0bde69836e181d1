#include "app/commands.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMenu>
#include <algorithm>
#include <exception>
#include <filesystem>
#include <system_error>

#include "app/command_gate.h"
#include "app/documentation.h"
#include "app/main_window.h"
#include "app/menu_model.h"
#include "app/open_dialog.h"
#include "app/play_list_commands.h"
#include "app/popup_menu.h"
#include "app/process_priority.h"
#include "app/properties_command.h"
#include "app/screen_saver.h"
#include "app/video_window.h"
#include "graph/dvd_graph.h"
#include "graph/extraction.h"
#include "graph/filter_chooser.h"
#include "graph/filter_commands.h"
#include "graph/graph_state.h"
#include "graph/message_box.h"
#include "graph/multiple_audio.h"
#include "graph/open_media.h"
#include "lexicon/lexicon.h"
#include "platform/engine/decoder_choice.h"
#include "platform/files/media_name.h"
#include "playback/audio_output.h"
#include "playback/bookmarks.h"
#include "playback/dvd_navigation.h"
#include "playback/dvd_pointer.h"
#include "playback/go_to_dialog.h"
#include "playback/media_events.h"
#include "playback/player_session.h"
#include "playback/resume_points.h"
#include "playback/screenshots.h"
#include "playback/transport.h"
#include "playback/volume.h"
#include "text/osd.h"
#include "text/subtitle_adjust_dialog.h"
#include "text/subtitle_commands.h"
#include "text/subtitle_display.h"
#include "text/subtitle_loading.h"
#include "text/subtitle_tracks.h"

namespace quova {

namespace {

// Short names for the table's many handlers.
using Ctx = CommandContext;
using Arg = CommandArg;

// The commands that take no part of the window.
template <void (*F)()>
void Plain(CommandContext&, const CommandArg&) {
    F();
}

// The commands that work on the session alone (or its text part).
template <void (*F)(PlayerSession&)>
void Plain(CommandContext& c, const CommandArg&) {
    F(c.session);
}

template <void (*F)(TextSession&)>
void Plain(CommandContext& c, const CommandArg&) {
    F(c.session);
}

template <void (*F)(OsdCommandHost&)>
void Osd(CommandContext& c, const CommandArg&) {
    F(c.form);
}

template <void (*F)(TextSession&, OsdCommandHost&)>
void Osd(CommandContext& c, const CommandArg&) {
    F(c.session, c.form);
}

template <void (VideoWindowLayout::*F)()>
void Layout(CommandContext& c, const CommandArg&);

template <void (*F)(MediumSession&, const TipShower&)>
void WithTip(CommandContext& c, const CommandArg&);

MenuItem& ItemOf(const CommandArg& a) {
    return *std::get<MenuItem*>(a);
}

bool MediumOpen(PlayerSession& session) {
    const GraphSession& g = session.graph;
    return g.MediaKind != MediaKindNone && g.GraphBuilder;
}

// A volume step that changed the volume moves the bar and shows the OSD.
void VolumeStep(TQuovaForm& form, bool changed);

// A submenu of disc streams: one item checked at a time.
void UncheckSiblings(MenuItem& item) {
    if (item.parent)
        for (MenuItem* other : item.parent->children) other->checked = false;
}

}  // namespace

const std::vector<Command>& CommandTable() {
    static const std::vector<Command> table = {
        // --- The program, its window and its options
        {"Exit1Click", ArgKind::None, [](Ctx& c, const Arg&) { c.form.Exit1Click(); }},
        {"About1Click", ArgKind::None, [](Ctx& c, const Arg&) { c.form.About1Click(); }},
        {"Help1Click", ArgKind::None, [](Ctx& c, const Arg&) { c.form.Help1Click(); }},
        {"Hide1Click", ArgKind::None, [](Ctx& c, const Arg&) { c.form.Hide1Click(); }},
        {"PauseOnHide1Click", ArgKind::None,
         [](Ctx&, const Arg&) {
             AppSettings().PauseOnHide = !AppSettings().PauseOnHide;
         }},
        {"Documentation1Click", ArgKind::None,
         [](Ctx& c, const Arg&) {
             c.form.SetTopmost(false);
             OpenDocument(DocumentationPath(c.form.exePath()));
         }},
        {"HomePage1Click", ArgKind::None, [](Ctx&, const Arg&) { OpenHomePage(); }},
        {"SaveonExit1Click", ArgKind::None,
         [](Ctx&, const Arg&) {
             try {
                 SaveonExit1Click(AppSettings());
             } catch (const std::exception& e) {
                 ShowMessage(e.what(), MbIconStop);
             }
         }},
        {"PreventScreenSaver1Click", ArgKind::None,
         [](Ctx& c, const Arg&) {
             c.form.screenSaver().ToggleScreenSaver(AppSettings().PreventScreenSaver);
         }},
        {"AlwaysOnTop1Click", ArgKind::None,
         [](Ctx& c, const Arg&) {
             bool& on = AppSettings().AlwaysOnTop;
             on = !on;
             c.form.SetTopmost(on);
         }},
        {"HighPriority1Click", ArgKind::None,
         [](Ctx& c, const Arg&) {
             c.form.ShowTip(11);
             const std::string refusal = c.form.ToggleHighPriority();
             if (refusal.empty()) return;
             c.session.osdMessage = refusal;
             c.form.update();
         }},
        {"ShowHints1Click", ArgKind::None,
         [](Ctx& c, const Arg&) {
             bool& on = AppSettings().ShowHints;
             on = !on;
             c.form.ApplyShowHints(on);
         }},

        // --- Opening, recent files and the play list
        {"Open1Click", ArgKind::None, [](Ctx& c, const Arg&) { c.form.Open1Click(); }},
        {"OpenURL1Click", ArgKind::None,
         [](Ctx& c, const Arg&) {
             ShowOpenUrlDialog(c.session, &c.form, c.session.playList, c.form.Opener());
         }},
        {"OpenFolder1Click", ArgKind::None,
         [](Ctx& c, const Arg&) {
             const std::string folder =
                 AskMediaFolder(&c.form, c.session.graph.CurrentMediaName);
             if (!folder.empty()) c.form.OpenMedia(folder);
         }},
        {"DVD1Click", ArgKind::None, [](Ctx& c, const Arg&) { OpenDvd(c.session, ""); }},
        {"recentn1Click", ArgKind::Item,
         [](Ctx& c, const Arg& a) { c.form.recentn1Click(ItemOf(a)); }},
        {"ClearRecentFiles1Click", ArgKind::None,
         [](Ctx&, const Arg&) { AppSettings().SaveMru = !AppSettings().SaveMru; }},
        {"Edit1Click", ArgKind::None,
         [](Ctx& c, const Arg&) { Edit1Click(c.session, &c.form, c.session.playList, c.form.Opener()); }},
        {"First1Click", ArgKind::None,
         [](Ctx& c, const Arg&) { First1Click(c.session.playList, c.form.Opener()); }},
        {"Next2Click", ArgKind::None,
         [](Ctx& c, const Arg&) { Next2Click(c.session.playList, c.form.Opener()); }},
        {"Previous1Click", ArgKind::None,
         [](Ctx& c, const Arg&) { Previous1Click(c.session.playList, c.form.Opener()); }},
        {"Random1Click", ArgKind::None,
         [](Ctx& c, const Arg&) { Random1Click(AppSettings().RandomList, c.session.graph.MediaKind); }},
        {"Loop1Click", ArgKind::None,
         [](Ctx& c, const Arg&) {
             const std::string text = Loop1Click(AppSettings().LoopOn, c.session.graph.MediaKind);
             if (text.empty()) return;
             c.session.osdMessage = text;
             c.form.PaintOsdNow();
         }},

        // --- Transport and go-to
        {"Play1Click", ArgKind::None, Plain<Play1Click>},
        {"Stop1Click", ArgKind::None, Plain<Stop1Click>},
        {"Quick1Click", ArgKind::None, Plain<Quick1Click>},
        {"Slow1Click", ArgKind::None, Plain<Slow1Click>},
        {"FFWD1Click", ArgKind::None, Plain<FFWD1Click>},
        {"FBWD1Click", ArgKind::None, Plain<FBWD1Click>},
        {"Step1Click", ArgKind::None, Plain<Step1Click>},
        // The picture goes to its writer; the OSD tells where it went later.
        {"Screenshot1Click", ArgKind::None,
         [](Ctx& c, const Arg&) { TakeScreenshot(c.session, ScreenshotKind::WithSubtitles); }},
        {"VideoScreenshot1Click", ArgKind::None,
         [](Ctx& c, const Arg&) { TakeScreenshot(c.session, ScreenshotKind::VideoOnly); }},
        {"JumpBWD1Click", ArgKind::None, Plain<JumpBWD1Click>},
        {"JumpFWD1Click", ArgKind::None, Plain<JumpFWD1Click>},
        {"JumpBWD2Click", ArgKind::None, Plain<JumpBWD2Click>},
        {"JumpFWD2Click", ArgKind::None, Plain<JumpFWD2Click>},
        {"Start1Click", ArgKind::None, Plain<Start1Click>},
        {"End1Click", ArgKind::None, Plain<End1Click>},
        {"GoTo1Click", ArgKind::None,
         [](Ctx& c, const Arg&) {
             if (!c.session.graph.GraphBuilder) return;
             GoTo1Click(&c.form, CurrentPosition(c.session), c.session.graph.Duration, [&session = c.session](double s) { SeekTo(session, s); });
         }},
        {"TrackBar2Click", ArgKind::None,
         [](Ctx& c, const Arg&) { c.form.edgeControls().ToggleControlBar(); }},

        // --- Volume and audio streams
        {"VolumeUp1Click", ArgKind::None,
         [](Ctx& c, const Arg&) { VolumeStep(c.form, VolumeUp1Click(c.session, AppSettings().Volume)); }},
        {"VolumeDown1Click", ArgKind::None,
         [](Ctx& c, const Arg&) { VolumeStep(c.form, VolumeDown1Click(c.session, AppSettings().Volume)); }},
        {"MuteonFastSlowPlayback1Click", ArgKind::None,
         [](Ctx&, const Arg&) { MuteonFastSlowPlayback1Click(AppSettings().SpeedMute); }},
        {"AudioDeviceItem1Click", ArgKind::Item,
         [](Ctx& c, const Arg& a) {
             MenuItem& item = ItemOf(a);
             const std::string name = c.form.audioDevices().DeviceOf(item);
             ChooseAudioDevice(c.session, name);
             AppSettings().AudioDevice = name;
             c.form.PaintOsdNow();
         }},
        {"StreamDeviceItem1Click", ArgKind::Item,
         [](Ctx& c, const Arg& a) {
             MenuItem& item = ItemOf(a);
             // The submenu's tag is the stream's number.
             const int stream = item.parent ? item.parent->tag : 0;
             if (ChooseStreamDevice(c.session, stream, c.form.audioDevices().DeviceOf(item)))
                 c.form.PaintOsdNow();
         }},
        {"Stream11Click", ArgKind::Item,
         [](Ctx& c, const Arg& a) {
             MenuItem& item = ItemOf(a);
             SwitchAudioStream(c.session, item.tag);
             if (AppSettings().OsdOn) c.form.PaintOsdNow();
         }},

        // --- Information
        {"Info1Click", ArgKind::None,
         [](Ctx& c, const Arg&) {
             ShowOsdText(c.session, c.session.graph.MediaKind == MediaKindDvd ? DvdLocationText(c.session)
                                                           : c.session.graph.CurrentMediaName);
         }},
        {"Properties1Click", ArgKind::None, [](Ctx& c, const Arg&) { Properties1Click(c.session, &c.form); }},
        {"AVIInfo1Click", ArgKind::None, [](Ctx& c, const Arg&) { AVIInfo1Click(c.session); }},
        {"Filter2Click", ArgKind::Item,
         [](Ctx& c, const Arg& a) { Filter2Click(c.session, ItemOf(a).caption, &c.form); }},

        // --- Graph building and extraction
        {"CustomGraphBuilder1Click", ArgKind::None, WithTip<CustomGraphBuilder1Click>},
        {"RegisterGraphOnROT1Click", ArgKind::None,
         [](Ctx& c, const Arg&) {
             RegisterGraphOnROT1Click(AppSettings().RegisterOnRot,
                                      [&c](int n) { c.form.ShowTip(n); });
         }},
        {"PCMToWavClick", ArgKind::None, WithTip<PCMToWavClick>},
        {"MP3ToMp3Click", ArgKind::None, WithTip<MP3ToMp3Click>},
        {"PCMtoMp3Click", ArgKind::None, WithTip<PCMtoMp3Click>},
        {"PCMtoogg1Click", ArgKind::None, WithTip<PCMtoogg1Click>},
        {"PCMtooggmuxvideo1Click", ArgKind::None, WithTip<PCMtooggmuxvideo1Click>},
        {"BypassVideo1Click", ArgKind::None,
         [](Ctx& c, const Arg&) {
             c.form.ShowTip(18);
             c.session.flags.BypassVideo = !c.session.flags.BypassVideo;
         }},
        {"BypassAudio1Click", ArgKind::None,
         [](Ctx& c, const Arg&) { c.session.flags.BypassAudio = !c.session.flags.BypassAudio; }},

        // --- Bookmarks
        {"Save1Click", ArgKind::None, Plain<Save1Click>},
        {"Restore1Click", ArgKind::None, Plain<Restore1Click>},
        {"RestoreSessionBookmark1Click", ArgKind::None, Plain<RestoreSessionBookmark1Click>},

        // --- The picture: zoom, pan, aspect, crop, full screen, display modes
        {"ZoomIn1Click", ArgKind::None, Layout<&VideoWindowLayout::ZoomIn1Click>},
        {"ZoomOut1Click", ArgKind::None, Layout<&VideoWindowLayout::ZoomOut1Click>},
        {"ZoomToWindow1Click", ArgKind::None, Layout<&VideoWindowLayout::ZoomToWindow1Click>},
        // Takes effect from the next medium: the one playing keeps its decoder.
        {"HardwareDecoding1Click", ArgKind::None,
         [](Ctx&, const Arg&) {
             bool& on = AppSettings().HardwareDecoding;
             on = !on;
             engine::DecoderChoice::Instance().SetHardwareAllowed(on);
         }},
        {"FolderAroundFile1Click", ArgKind::None,
         [](Ctx&, const Arg&) {
             bool& on = AppSettings().FolderAroundFile;
             on = !on;
         }},
        {"AlwaysResume1Click", ArgKind::None,
         [](Ctx&, const Arg&) {
             bool& on = AppSettings().AlwaysResume;
             on = !on;
         }},
        // The offer to resume over the picture.
        {"ResumeAtClick", ArgKind::None, [](Ctx& c, const Arg&) { ResumeChosen(c.session, true); }},
        {"StartOverClick", ArgKind::None, [](Ctx& c, const Arg&) { ResumeChosen(c.session, false); }},
        {"ResizetoMedia1Click", ArgKind::None, Layout<&VideoWindowLayout::ResizetoMedia1Click>},
        {"N1x1Click", ArgKind::Item,
         [](Ctx& c, const Arg& a) { c.form.videoLayout().N1x1Click(ItemOf(a).tag); }},
        {"Up1Click", ArgKind::Item,
         [](Ctx& c, const Arg& a) { c.form.videoLayout().Up1Click(ItemOf(a).tag); }},
        {"Original1Click", ArgKind::None, Layout<&VideoWindowLayout::Original1Click>},
        {"FillScreen1Click", ArgKind::None, Layout<&VideoWindowLayout::FillScreen1Click>},
        {"Window1Click", ArgKind::None, Layout<&VideoWindowLayout::Window1Click>},
        {"Header1Click", ArgKind::None, Layout<&VideoWindowLayout::Header1Click>},
        {"StretchWidth1Click", ArgKind::None, Layout<&VideoWindowLayout::StretchWidth1Click>},
        {"CompressWidth1Click", ArgKind::None, Layout<&VideoWindowLayout::CompressWidth1Click>},
        {"DoubleHeight1Click", ArgKind::None, Layout<&VideoWindowLayout::DoubleHeight1Click>},
        {"HalfHeight1Click", ArgKind::None, Layout<&VideoWindowLayout::HalfHeight1Click>},
        {"Revert169431Click", ArgKind::None, Layout<&VideoWindowLayout::Revert169431Click>},
        {"Revert431691Click", ArgKind::None, Layout<&VideoWindowLayout::Revert431691Click>},
        {"Original2Click", ArgKind::None, Layout<&VideoWindowLayout::Original2Click>},
        {"Crop2Click", ArgKind::None, Layout<&VideoWindowLayout::Crop2Click>},
        {"Uncrop1Click", ArgKind::None, Layout<&VideoWindowLayout::Uncrop1Click>},
        {"Crop3Click", ArgKind::None, Layout<&VideoWindowLayout::Crop3Click>},
        {"Uncrop2Click", ArgKind::None, Layout<&VideoWindowLayout::Uncrop2Click>},
        {"FullScreen1Click", ArgKind::None, Layout<&VideoWindowLayout::FullScreen1Click>},
        {"Force16bits1Click", ArgKind::None, Layout<&VideoWindowLayout::Force16bits1Click>},
        {"N800x6001Click", ArgKind::None, Layout<&VideoWindowLayout::N800x6001Click>},
        {"N640x4801Click", ArgKind::None, Layout<&VideoWindowLayout::N640x4801Click>},

        // --- The OSD and ID3
        {"OSD2Click", ArgKind::None, Osd<OSD2Click>},
        {"TimeFormat1Click", ArgKind::None, Osd<TimeFormat1Click>},
        {"Font1Click", ArgKind::None, Osd<Font1Click>},
        {"EnlargeFont1Click", ArgKind::None, Osd<EnlargeFont1Click>},
        {"ReduceFont1Click", ArgKind::None, Osd<ReduceFont1Click>},
        {"Color2Click", ArgKind::None, Osd<Color2Click>},
        {"ID31Click", ArgKind::None,
         [](Ctx& c, const Arg&) {
             AppSettings().Id3On = !AppSettings().Id3On;
             c.form.update();
         }},

        // --- Subtitles
        {"Subtitles1Click", ArgKind::None, Plain<Subtitles1Click>},
        {"Sounds1Click", ArgKind::None, Plain<Sounds1Click>},
        {"ChaptersonSubtitles1Click", ArgKind::None, Plain<ChaptersonSubtitles1Click>},
        {"SubtitleSource1Click", ArgKind::Item,
         [](Ctx& c, const Arg& a) {
             MenuItem& item = ItemOf(a);
             if (item.checked) return;
             SubtitleSourceClick(c.session, item.tag);
         }},
        {"SubtitlesonMovie1Click", ArgKind::None, Plain<SubtitlesonMovie1Click>},
        {"SubtitlesoverMovie1Click", ArgKind::None, Plain<SubtitlesoverMovie1Click>},
        {"Load1Click", ArgKind::None,
         [](Ctx& c, const Arg&) {
             QFileDialog dialog(&c.form, QString::fromStdString(Lex(1330)));
             dialog.setDefaultSuffix("sub");
             dialog.setNameFilters({"MicroDVD/SubViewer2 subtitle files (*.sub)",
                                    "SubRip subtitle files (*.srt)",
                                    "Sub Station Alpha subtitle files (*.ssa)",
                                    "All subtitle files (*.sub *.srt *.ssa)", "All files (*)"});
             dialog.selectNameFilter("All subtitle files (*.sub *.srt *.ssa)");
             dialog.selectFile(QString::fromStdString(c.session.subtitles.SubtitleFileName.string()));
             int result = QDialog::Rejected;
             {
                 ModalDialogScope modal;
                 result = dialog.exec();
             }
             // A cancelled dialog changes nothing: the loaded file keeps its timing.
             if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
             LoadSubtitleFileNamed(c.session, dialog.selectedFiles().front().toStdString());
         }},
        {"Adjust1Click", ArgKind::None,
         [](Ctx& c, const Arg&) {
             if (c.session.graph.MediaKind == MediaKindDvd) return;
             ModalDialogScope modal;
             RunSubtitleAdjust(&c.form, c.session.subtitles.SubtitleOffset, c.session.subtitles.SubtitleSpeed);
         }},
        {"Color1Click", ArgKind::None,
         [](Ctx& c, const Arg&) {
             if (c.session.graph.MediaKind == MediaKindDvd) return;
             QColor color;
             {
                 ModalDialogScope modal;
                 color = QColorDialog::getColor(QColor::fromRgb(c.session.subtitleColor), &c.form);
             }
             if (!color.isValid()) return;
             c.session.subtitleColor = color.rgb() & 0xFFFFFF;
             if (SubtitlesLoaded(c.session) && AppSettings().SubtitlesOn) ShowSubtitleDueNow(c.session);
         }},

        // --- What the window's controls ask for beyond the menu
        {"Button2Click", ArgKind::None, [](Ctx& c, const Arg&) {
             c.form.MinimiseByButton();
         }},
        // The disc's root menu, as the menu's item for it does.
        {"Button10Click", ArgKind::None,
         [](Ctx& c, const Arg&) { c.form.popup().Trigger("Root1"); }},
        {"ChangeVolume", ArgKind::Integer,
         [](Ctx& c, const Arg& a) {
             VolumeStep(c.form, ChangeVolume(c.session, std::get<int>(a), AppSettings().Volume));
         }},
        {"TrackBar3Change", ArgKind::Integer,
         [](Ctx& c, const Arg& a) {
             TrackBar3Change(c.session, std::get<int>(a), AppSettings().Volume);
             c.form.PaintOsdNow();
         }},
        {"SeekTo", ArgKind::Real,
         [](Ctx& c, const Arg& a) {
             if (MediumOpen(c.session)) SeekTo(c.session, std::get<double>(a));
         }},
        {"SeekToKeyFrame", ArgKind::Real,
         [](Ctx& c, const Arg& a) {
             if (MediumOpen(c.session)) SeekToKeyFrame(c.session, std::get<double>(a));
         }},
        {"SelectDvdButton", ArgKind::Point,
         [](Ctx& c, const Arg& a) {
             c.form.ShowDvdPointer(SelectDvdButtonAt(c.session, std::get<QPoint>(a)));
         }},
        {"ActivateDvdButton", ArgKind::Point,
         [](Ctx& c, const Arg& a) {
             if (ActivateDvdButtonAt(c.session, std::get<QPoint>(a))) c.form.HoldDiscClick();
         }},
        {"DvdMenuKey", ArgKind::Integer,
         [](Ctx& c, const Arg& a) {
             PressDvdMenuKey(c.session, static_cast<DvdMenuKey>(std::get<int>(a)));
         }},
        {"DropFiles", ArgKind::Names,
         [](Ctx& c, const Arg& a) {
             c.form.DroppedFiles(std::get<std::vector<std::string>>(a));
         }},
        {"HandOver", ArgKind::Text,
         [](Ctx& c, const Arg& a) {
             // A file, a folder (a list of its media) or a network address
             // is opened: a name that is gone is ignored.
             const std::string& name = std::get<std::string>(a);
             std::error_code ec;
             if ((IsNetworkAddress(name) || std::filesystem::exists(name, ec)) &&
                 !PlayFolderAround(c.session, c.session.playList, name, c.form.Opener()))
                 c.form.OpenMedia(name);
             if (c.form.isVisible()) {
                 c.form.raise();
                 c.form.activateWindow();
             }
         }},

        // --- What the desktop's media-player bus asks for beyond the menu
        {"Raise", ArgKind::None, [](Ctx& c, const Arg&) { c.form.Raise(); }},
        // The medium becomes the play list on its own: the list played
        // before does not go on after its end.
        {"OpenMedia", ArgKind::Text,
         [](Ctx& c, const Arg& a) {
             SetPlayList(c.session, c.session.playList, {std::get<std::string>(a)}, 0,
                         c.form.Opener());
         }},
        // A medium named alone on the command line: with its folder as the
        // play list where the user wants that, as the hand-over does.
        {"OpenNamedMedium", ArgKind::Text,
         [](Ctx& c, const Arg& a) {
             const std::string& name = std::get<std::string>(a);
             if (!PlayFolderAround(c.session, c.session.playList, name, c.form.Opener()))
                 c.form.OpenMedia(name);
         }},
        // Play / Pause toggles; these two only start or only pause, and
        // first return a changed rate to normal play. Play after Stop starts
        // a file again from its beginning (MPRIS), where the menu's Play goes
        // on from where Stop left it.
        {"Play", ArgKind::None,
         [](Ctx& c, const Arg&) {
             if (!MediumOpen(c.session)) return;
             const engine::GraphState state = GraphStateOf(c.session, 100);
             if (state == engine::GraphState::Stopped && c.session.graph.MediaKind == MediaKindFile)
                 PlayFromStart(c.session);
             else if (state != engine::GraphState::Running || PlayRate(c.session) != 1.0)
                 Play1Click(c.session);
         }},
        {"Pause", ArgKind::None,
         [](Ctx& c, const Arg&) {
             if (!MediumOpen(c.session) || GraphStateOf(c.session, 100) != engine::GraphState::Running) return;
             if (PlayRate(c.session) != 1.0) Play1Click(c.session);
             Play1Click(c.session);
         }},
        // Next with no entry to move on to stops playback, and with "Loop"
        // the list goes round to its first entry (MPRIS).
        {"NextOrStop", ArgKind::None,
         [](Ctx& c, const Arg&) {
             if (!NextFindsNoEntry(c.session.playList, AppSettings().RandomList))
                 Next2Click(c.session.playList, c.form.Opener());
             else if (AppSettings().LoopOn && c.session.playList.PlayListCount() > 1)
                 First1Click(c.session.playList, c.form.Opener());
             else
                 Stop1Click(c.session);
         }},
        {"JumpBy", ArgKind::Real,
         [](Ctx& c, const Arg& a) {
             if (MediumOpen(c.session)) JumpBy(c.session, std::get<double>(a));
         }},
        {"SetRate", ArgKind::Real,
         [](Ctx& c, const Arg& a) { SetPlayRate(c.session, std::get<double>(a)); }},
        {"SetVolume", ArgKind::Integer,
         [](Ctx& c, const Arg& a) {
             AppSettings().Volume = std::clamp(std::get<int>(a), 0, 100);
             ApplyVolume(c.session, AppSettings().Volume);
         }},

        // --- Discs
        {"Title2Click", ArgKind::Item,
         [](Ctx& c, const Arg& a) { ShowDvdMenu(c.session, static_cast<std::uint32_t>(ItemOf(a).tag)); }},
        {"Previous2Click", ArgKind::None, [](Ctx& c, const Arg&) { StepChapter(c.session, -1); }},
        {"Next3Click", ArgKind::None, [](Ctx& c, const Arg&) { StepChapter(c.session, +1); }},
        {"Previous3Click", ArgKind::None,
         [](Ctx& c, const Arg&) { PlayDvdTitle(c.session, static_cast<int>(c.session.dvd.DvdTitle) - 1); }},
        {"Next4Click", ArgKind::None,
         [](Ctx& c, const Arg&) { PlayDvdTitle(c.session, static_cast<int>(c.session.dvd.DvdTitle) + 1); }},
        {"Previous4Click", ArgKind::None,
         [](Ctx& c, const Arg&) {
             SelectDvdAngle(c.session, static_cast<int>(c.session.dvd.DvdCurrentAngle) - 1);
         }},
        {"Next5Click", ArgKind::None,
         [](Ctx& c, const Arg&) {
             SelectDvdAngle(c.session, static_cast<int>(c.session.dvd.DvdCurrentAngle) + 1);
         }},
        {"N13Click", ArgKind::Item,
         [](Ctx& c, const Arg& a) {
             MenuItem& item = ItemOf(a);
             if (!c.session.graph.DvdControl || item.checked) return;
             UncheckSiblings(item);
             item.checked = ChooseAudioLanguage(c.session, item.tag, item.caption, false);
         }},
        {"N6Click", ArgKind::Item,
         [](Ctx& c, const Arg& a) {
             MenuItem& item = ItemOf(a);
             if (!c.session.graph.DvdControl) return;
             const bool wasChecked = item.checked;
             UncheckSiblings(item);
             ToggleSubpicture(c.session, item.tag, wasChecked);
             item.checked = !wasChecked;
         }},
    };
    return table;
}

namespace {

template <void (VideoWindowLayout::*F)()>
void Layout(CommandContext& c, const CommandArg&) {
    (c.form.videoLayout().*F)();
}

template <void (*F)(MediumSession&, const TipShower&)>
void WithTip(CommandContext& c, const CommandArg&) {
    F(c.session, [&c](int n) { c.form.ShowTip(n); });
}

void VolumeStep(TQuovaForm& form, bool changed) {
    if (changed) form.edgeControls().ShowVolume();
}

}  // namespace

const Command* FindCommand(std::string_view id) {
    for (const Command& command : CommandTable())
        if (id == command.id) return &command;
    return nullptr;
}

bool ArgumentFits(ArgKind kind, const CommandArg& arg) {
    if (std::holds_alternative<MenuItem*>(arg))
        return std::get<MenuItem*>(arg) != nullptr &&
               (kind == ArgKind::Item || kind == ArgKind::None);
    return static_cast<std::size_t>(kind) == arg.index();
}

namespace {

// The command of `id` if it takes `arg`; else none, and a line in the log.
const Command* CommandTaking(std::string_view id, const CommandArg& arg) {
    const Command* command = FindCommand(id);
    if (command && ArgumentFits(command->arg, arg)) return command;
    qWarning("quova: no command %.*s taking that argument", static_cast<int>(id.size()), id.data());
    return nullptr;
}

}  // namespace

bool CommandRegistry::Run(std::string_view id, CommandArg arg) {
    const Command* command = CommandTaking(id, arg);
    if (!command) return false;
    gate_.Run([this, command, arg = std::move(arg)] { command->run(context_, arg); });
    return true;
}

bool CommandRegistry::RunWithin(std::string_view id, CommandArg arg) {
    const Command* command = CommandTaking(id, arg);
    if (!command) return false;
    RunNow(*command, arg);
    return true;
}

void CommandRegistry::RunNow(const Command& command, const CommandArg& arg) {
    command.run(context_, arg);
}

void CommandRegistry::Install(PopupMenu& menu) {
    menu.SetRunner(this);
}

void CommandRegistry::RunItem(MenuItem& item) {
    if (const Command* command = FindCommand(item.handler)) RunNow(*command, &item);
}

const std::vector<Binding>& WindowBindings() {
    static const std::vector<Binding> bindings = {
        // Keys by the text they type.
        {"Key +", "ZoomIn1Click", ArgKind::None},
        {"Key -", "ZoomOut1Click", ArgKind::None},
        {"DoubleClick", "FullScreen1Click", ArgKind::None},
        {"Wheel", "ChangeVolume", ArgKind::Integer},
        {"DiscMenuKey", "DvdMenuKey", ArgKind::Integer},
        {"DiscPointer", "SelectDvdButton", ArgKind::Point},
        {"DiscClick", "ActivateDvdButton", ArgKind::Point},
        {"Drop", "DropFiles", ArgKind::Names},
        {"TrayDoubleClick", "Hide1Click", ArgKind::None},
        // The buttons of the offer to resume over the picture.
        {"ResumeAt", "ResumeAtClick", ArgKind::None},
        {"StartOver", "StartOverClick", ArgKind::None},
    };
    return bindings;
}

const std::vector<Binding>& TitleStripBindings() {
    static const std::vector<Binding> bindings = {
        {"Button1", "Exit1Click", ArgKind::None},
        {"Button2", "Button2Click", ArgKind::None},
        {"Button3", "Help1Click", ArgKind::None},
        {"Button10", "Button10Click", ArgKind::None},
        // A double click on the strip.
        {"StaticText1", "Open1Click", ArgKind::None},
    };
    return bindings;
}

const std::vector<Binding>& ControlBarBindings() {
    static const std::vector<Binding> bindings = {
        {"1", "Start1Click", ArgKind::None}, {"2", "FBWD1Click", ArgKind::None},
        {"3", "Play1Click", ArgKind::None},  {"4", "Stop1Click", ArgKind::None},
        {"5", "FFWD1Click", ArgKind::None},  {"6", "End1Click", ArgKind::None},
    };
    return bindings;
}

const std::vector<Binding>& OutsideBindings() {
    static const std::vector<Binding> bindings = {
        {"SeekBar", "SeekTo", ArgKind::Real},
        {"SeekBarToKeyFrame", "SeekToKeyFrame", ArgKind::Real},
        {"VolumeBar", "TrackBar3Change", ArgKind::Integer},
        {"HandOver", "HandOver", ArgKind::Text},
        // org.mpris.MediaPlayer2 and its Player interface, by method or
        // written property.
        {"Raise", "Raise", ArgKind::None},
        {"Quit", "Exit1Click", ArgKind::None},
        {"Play", "Play", ArgKind::None},
        {"Pause", "Pause", ArgKind::None},
        {"PlayPause", "Play1Click", ArgKind::None},
        {"Stop", "Stop1Click", ArgKind::None},
        {"Next", "NextOrStop", ArgKind::None},
        {"Previous", "Previous1Click", ArgKind::None},
        {"Seek", "JumpBy", ArgKind::Real},
        {"SetPosition", "SeekTo", ArgKind::Real},
        {"OpenUri", "OpenMedia", ArgKind::Text},
        {"CommandLine", "OpenNamedMedium", ArgKind::Text},
        {"Rate", "SetRate", ArgKind::Real},
        {"Volume", "SetVolume", ArgKind::Integer},
        {"LoopStatus", "Loop1Click", ArgKind::None},
        {"Shuffle", "Random1Click", ArgKind::None},
    };
    return bindings;
}

std::string_view BoundId(const std::vector<Binding>& bindings, std::string_view input) {
    for (const Binding& binding : bindings)
        if (input == binding.input) return binding.id;
    return {};
}

}  // namespace quova
