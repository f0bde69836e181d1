#include "app/commands.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMenu>
#include <exception>

#include "app/documentation.h"
#include "app/main_window.h"
#include "app/menu_model.h"
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
#include "playback/audio_output.h"
#include "playback/bookmarks.h"
#include "playback/dvd_navigation.h"
#include "playback/go_to_dialog.h"
#include "playback/media_events.h"
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

// The commands that take no part of the window.
template <void (*F)()>
void Plain(TQuovaForm&, MenuItem&) {
    F();
}

template <void (*F)(OsdCommandHost&)>
void Osd(TQuovaForm& form, MenuItem&) {
    F(form);
}

template <void (VideoWindowLayout::*F)()>
void Layout(TQuovaForm& form, MenuItem&);

template <void (*F)(const TipShower&)>
void WithTip(TQuovaForm& form, MenuItem&);

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
        {"Exit1Click", [](TQuovaForm& f, MenuItem&) { f.Exit1Click(); }},
        {"About1Click", [](TQuovaForm& f, MenuItem&) { f.About1Click(); }},
        {"Help1Click", [](TQuovaForm& f, MenuItem&) { f.Help1Click(); }},
        {"Hide1Click", [](TQuovaForm& f, MenuItem&) { f.Hide1Click(); }},
        {"PauseOnHide1Click", [](TQuovaForm& f, MenuItem&) { f.PauseOnHide1Click(); }},
        {"Documentation1Click",
         [](TQuovaForm& f, MenuItem&) {
             f.SetTopmost(false);
             OpenDocument(DocumentationPath(f.exePath_));
         }},
        {"HomePage1Click", [](TQuovaForm&, MenuItem&) { OpenHomePage(); }},
        {"SaveonExit1Click",
         [](TQuovaForm&, MenuItem&) {
             try {
                 SaveonExit1Click(AppSettings());
             } catch (const std::exception& e) {
                 ShowMessage(e.what(), MbIconStop);
             }
         }},
        {"PreventScreenSaver1Click",
         [](TQuovaForm& f, MenuItem&) {
             f.screenSaver_->ToggleScreenSaver(AppSettings().PreventScreenSaver);
         }},
        {"AlwaysOnTop1Click",
         [](TQuovaForm& f, MenuItem&) {
             bool& on = AppSettings().AlwaysOnTop;
             on = !on;
             f.SetTopmost(on);
         }},
        {"HighPriority1Click",
         [](TQuovaForm& f, MenuItem&) {
             f.ShowTip(11);
             const std::string refusal = HighPriority1Click(f.highPriority_, *f.priority_);
             if (refusal.empty()) return;
             OsdMessage = refusal;
             f.update();
         }},
        {"ShowHints1Click",
         [](TQuovaForm& f, MenuItem&) {
             bool& on = AppSettings().ShowHints;
             on = !on;
             f.ApplyShowHints(on);
         }},

        // --- Opening, recent files and the play list
        {"Open1Click", [](TQuovaForm& f, MenuItem&) { f.Open1Click(); }},
        {"OpenURL1Click",
         [](TQuovaForm& f, MenuItem&) { ShowOpenUrlDialog(&f, CurrentPlayList(), f.Opener()); }},
        {"DVD1Click", [](TQuovaForm&, MenuItem&) { OpenDvd(""); }},
        {"recentn1Click", [](TQuovaForm& f, MenuItem& item) { f.recentn1Click(item); }},
        {"ClearRecentFiles1Click",
         [](TQuovaForm&, MenuItem&) { AppSettings().SaveMru = !AppSettings().SaveMru; }},
        {"Edit1Click",
         [](TQuovaForm& f, MenuItem&) { Edit1Click(&f, CurrentPlayList(), f.Opener()); }},
        {"First1Click",
         [](TQuovaForm& f, MenuItem&) { First1Click(CurrentPlayList(), f.Opener()); }},
        {"Next2Click", [](TQuovaForm& f, MenuItem&) { Next2Click(CurrentPlayList(), f.Opener()); }},
        {"Previous1Click",
         [](TQuovaForm& f, MenuItem&) { Previous1Click(CurrentPlayList(), f.Opener()); }},
        {"Random1Click",
         [](TQuovaForm&, MenuItem&) { Random1Click(AppSettings().RandomList, Graph().MediaKind); }},
        {"Loop1Click",
         [](TQuovaForm& f, MenuItem&) {
             const std::string text = Loop1Click(AppSettings().LoopOn, Graph().MediaKind);
             if (text.empty()) return;
             OsdMessage = text;
             f.PaintOsdNow();
         }},

        // --- Transport and go-to
        {"Play1Click", Plain<Play1Click>},
        {"Stop1Click", Plain<Stop1Click>},
        {"Quick1Click", Plain<Quick1Click>},
        {"Slow1Click", Plain<Slow1Click>},
        {"FFWD1Click", Plain<FFWD1Click>},
        {"FBWD1Click", Plain<FBWD1Click>},
        {"Step1Click", Plain<Step1Click>},
        {"JumpBWD1Click", Plain<JumpBWD1Click>},
        {"JumpFWD1Click", Plain<JumpFWD1Click>},
        {"JumpBWD2Click", Plain<JumpBWD2Click>},
        {"JumpFWD2Click", Plain<JumpFWD2Click>},
        {"Start1Click", Plain<Start1Click>},
        {"End1Click", Plain<End1Click>},
        {"GoTo1Click",
         [](TQuovaForm& f, MenuItem&) {
             if (!Graph().GraphBuilder) return;
             GoTo1Click(&f, CurrentPosition(), Graph().Duration, [](double s) { SeekTo(s); });
         }},
        {"TrackBar2Click", [](TQuovaForm& f, MenuItem&) { f.edgeControls().ToggleControlBar(); }},

        // --- Volume and audio streams
        {"VolumeUp1Click",
         [](TQuovaForm& f, MenuItem&) { VolumeStep(f, VolumeUp1Click(AppSettings().Volume)); }},
        {"VolumeDown1Click",
         [](TQuovaForm& f, MenuItem&) { VolumeStep(f, VolumeDown1Click(AppSettings().Volume)); }},
        {"MuteonFastSlowPlayback1Click",
         [](TQuovaForm&, MenuItem&) { MuteonFastSlowPlayback1Click(AppSettings().SpeedMute); }},
        {"AudioDeviceItem1Click",
         [](TQuovaForm& f, MenuItem& item) {
             const std::string name = f.audioDevices_.DeviceOf(item);
             ChooseAudioDevice(name);
             AppSettings().AudioDevice = name;
             f.PaintOsdNow();
         }},
        {"StreamDeviceItem1Click",
         [](TQuovaForm& f, MenuItem& item) {
             // The submenu's tag is the stream's number.
             const int stream = item.parent ? item.parent->tag : 0;
             if (ChooseStreamDevice(stream, f.audioDevices_.DeviceOf(item))) f.PaintOsdNow();
         }},
        {"Stream11Click",
         [](TQuovaForm& f, MenuItem& item) {
             SwitchAudioStream(item.tag);
             if (AppSettings().OsdOn) f.PaintOsdNow();
         }},

        // --- Information
        {"Info1Click",
         [](TQuovaForm&, MenuItem&) {
             ShowOsdText(Graph().MediaKind == MediaKindDvd ? DvdLocationText()
                                                           : Graph().CurrentMediaName);
         }},
        {"Properties1Click", [](TQuovaForm& f, MenuItem&) { Properties1Click(&f); }},
        {"AVIInfo1Click", [](TQuovaForm&, MenuItem&) { AVIInfo1Click(); }},
        {"Filter2Click", [](TQuovaForm& f, MenuItem& item) { Filter2Click(item.caption, &f); }},

        // --- Graph building and extraction
        {"CustomGraphBuilder1Click", WithTip<CustomGraphBuilder1Click>},
        {"RegisterGraphOnROT1Click",
         [](TQuovaForm& f, MenuItem&) {
             RegisterGraphOnROT1Click(AppSettings().RegisterOnRot, [&f](int n) { f.ShowTip(n); });
         }},
        {"PCMToWavClick", WithTip<PCMToWavClick>},
        {"MP3ToMp3Click", WithTip<MP3ToMp3Click>},
        {"PCMtoMp3Click", WithTip<PCMtoMp3Click>},
        {"PCMtoogg1Click", WithTip<PCMtoogg1Click>},
        {"PCMtooggmuxvideo1Click", WithTip<PCMtooggmuxvideo1Click>},
        {"BypassVideo1Click",
         [](TQuovaForm& f, MenuItem&) {
             f.ShowTip(18);
             GraphFlags().BypassVideo = !GraphFlags().BypassVideo;
         }},
        {"BypassAudio1Click",
         [](TQuovaForm&, MenuItem&) { GraphFlags().BypassAudio = !GraphFlags().BypassAudio; }},

        // --- Bookmarks
        {"Save1Click", Plain<Save1Click>},
        {"Restore1Click", Plain<Restore1Click>},
        {"RestoreSessionBookmark1Click", Plain<RestoreSessionBookmark1Click>},

        // --- The picture: zoom, pan, aspect, crop, full screen, display modes
        {"ZoomIn1Click", Layout<&VideoWindowLayout::ZoomIn1Click>},
        {"ZoomOut1Click", Layout<&VideoWindowLayout::ZoomOut1Click>},
        {"ZoomToWindow1Click", Layout<&VideoWindowLayout::ZoomToWindow1Click>},
        // Takes effect from the next medium: the one playing keeps its decoder.
        {"HardwareDecoding1Click",
         [](TQuovaForm&, MenuItem&) {
             bool& on = AppSettings().HardwareDecoding;
             on = !on;
             engine::DecoderChoice::Instance().SetHardwareAllowed(on);
         }},
        {"ResizetoMedia1Click", Layout<&VideoWindowLayout::ResizetoMedia1Click>},
        {"N1x1Click", [](TQuovaForm& f, MenuItem& item) { f.videoLayout().N1x1Click(item.tag); }},
        {"Up1Click", [](TQuovaForm& f, MenuItem& item) { f.videoLayout().Up1Click(item.tag); }},
        {"Original1Click", Layout<&VideoWindowLayout::Original1Click>},
        {"FillScreen1Click", Layout<&VideoWindowLayout::FillScreen1Click>},
        {"Window1Click", Layout<&VideoWindowLayout::Window1Click>},
        {"Header1Click", Layout<&VideoWindowLayout::Header1Click>},
        {"StretchWidth1Click", Layout<&VideoWindowLayout::StretchWidth1Click>},
        {"CompressWidth1Click", Layout<&VideoWindowLayout::CompressWidth1Click>},
        {"DoubleHeight1Click", Layout<&VideoWindowLayout::DoubleHeight1Click>},
        {"HalfHeight1Click", Layout<&VideoWindowLayout::HalfHeight1Click>},
        {"Revert169431Click", Layout<&VideoWindowLayout::Revert169431Click>},
        {"Revert431691Click", Layout<&VideoWindowLayout::Revert431691Click>},
        {"Original2Click", Layout<&VideoWindowLayout::Original2Click>},
        {"Crop2Click", Layout<&VideoWindowLayout::Crop2Click>},
        {"Uncrop1Click", Layout<&VideoWindowLayout::Uncrop1Click>},
        {"Crop3Click", Layout<&VideoWindowLayout::Crop3Click>},
        {"Uncrop2Click", Layout<&VideoWindowLayout::Uncrop2Click>},
        {"FullScreen1Click", Layout<&VideoWindowLayout::FullScreen1Click>},
        {"Force16bits1Click", Layout<&VideoWindowLayout::Force16bits1Click>},
        {"N800x6001Click", Layout<&VideoWindowLayout::N800x6001Click>},
        {"N640x4801Click", Layout<&VideoWindowLayout::N640x4801Click>},

        // --- The OSD and ID3
        {"OSD2Click", Osd<OSD2Click>},
        {"TimeFormat1Click", Osd<TimeFormat1Click>},
        {"Font1Click", Osd<Font1Click>},
        {"EnlargeFont1Click", Osd<EnlargeFont1Click>},
        {"ReduceFont1Click", Osd<ReduceFont1Click>},
        {"Color2Click", Osd<Color2Click>},
        {"ID31Click",
         [](TQuovaForm& f, MenuItem&) {
             AppSettings().Id3On = !AppSettings().Id3On;
             f.update();
         }},

        // --- Subtitles
        {"Subtitles1Click", Plain<Subtitles1Click>},
        {"Sounds1Click", Plain<Sounds1Click>},
        {"ChaptersonSubtitles1Click", Plain<ChaptersonSubtitles1Click>},
        {"SubtitleSource1Click",
         [](TQuovaForm&, MenuItem& item) {
             if (item.checked) return;
             SubtitleSourceClick(item.tag);
         }},
        {"SubtitlesonMovie1Click", Plain<SubtitlesonMovie1Click>},
        {"SubtitlesoverMovie1Click", Plain<SubtitlesoverMovie1Click>},
        {"Load1Click",
         [](TQuovaForm& f, MenuItem&) {
             QFileDialog dialog(&f, QString::fromStdString(Lex(1330)));
             dialog.setDefaultSuffix("sub");
             dialog.setNameFilters({"MicroDVD/SubViewer2 subtitle files (*.sub)",
                                    "SubRip subtitle files (*.srt)",
                                    "Sub Station Alpha subtitle files (*.ssa)",
                                    "All subtitle files (*.sub *.srt *.ssa)", "All files (*)"});
             dialog.selectNameFilter("All subtitle files (*.sub *.srt *.ssa)");
             dialog.selectFile(QString::fromStdString(Subtitles().SubtitleFileName.string()));
             int result = QDialog::Rejected;
             {
                 ModalDialogScope modal;
                 result = dialog.exec();
             }
             // A cancelled dialog changes nothing: the loaded file keeps its timing.
             if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
             LoadSubtitleFileNamed(dialog.selectedFiles().front().toStdString());
         }},
        {"Adjust1Click",
         [](TQuovaForm& f, MenuItem&) {
             if (Graph().MediaKind == MediaKindDvd) return;
             ModalDialogScope modal;
             RunSubtitleAdjust(&f, Subtitles().SubtitleOffset, Subtitles().SubtitleSpeed);
         }},
        {"Color1Click",
         [](TQuovaForm& f, MenuItem&) {
             if (Graph().MediaKind == MediaKindDvd) return;
             QColor color;
             {
                 ModalDialogScope modal;
                 color = QColorDialog::getColor(QColor::fromRgb(SubtitleColor), &f);
             }
             if (!color.isValid()) return;
             SubtitleColor = color.rgb() & 0xFFFFFF;
             if (SubtitlesLoaded() && AppSettings().SubtitlesOn) ShowSubtitleDueNow();
         }},

        // --- Discs
        {"Title2Click",
         [](TQuovaForm&, MenuItem& item) { ShowDvdMenu(static_cast<std::uint32_t>(item.tag)); }},
        {"Previous2Click", [](TQuovaForm&, MenuItem&) { StepChapter(-1); }},
        {"Next3Click", [](TQuovaForm&, MenuItem&) { StepChapter(+1); }},
        {"Previous3Click",
         [](TQuovaForm&, MenuItem&) { PlayDvdTitle(static_cast<int>(DvdState().DvdTitle) - 1); }},
        {"Next4Click",
         [](TQuovaForm&, MenuItem&) { PlayDvdTitle(static_cast<int>(DvdState().DvdTitle) + 1); }},
        {"Previous4Click",
         [](TQuovaForm&, MenuItem&) {
             SelectDvdAngle(static_cast<int>(DvdState().DvdCurrentAngle) - 1);
         }},
        {"Next5Click",
         [](TQuovaForm&, MenuItem&) {
             SelectDvdAngle(static_cast<int>(DvdState().DvdCurrentAngle) + 1);
         }},
        {"N13Click",
         [](TQuovaForm&, MenuItem& item) {
             if (!Graph().DvdControl || item.checked) return;
             UncheckSiblings(item);
             item.checked = ChooseAudioLanguage(item.tag, item.caption, false);
         }},
        {"N6Click",
         [](TQuovaForm&, MenuItem& item) {
             if (!Graph().DvdControl) return;
             const bool wasChecked = item.checked;
             UncheckSiblings(item);
             ToggleSubpicture(item.tag, wasChecked);
             item.checked = !wasChecked;
         }},
    };
    return table;
}

namespace {

template <void (VideoWindowLayout::*F)()>
void Layout(TQuovaForm& form, MenuItem&) {
    (form.videoLayout().*F)();
}

template <void (*F)(const TipShower&)>
void WithTip(TQuovaForm& form, MenuItem&) {
    F([&form](int n) { form.ShowTip(n); });
}

void VolumeStep(TQuovaForm& form, bool changed) {
    if (changed) form.edgeControls().ShowVolume();
}

}  // namespace

void InstallCommands(TQuovaForm& form, PopupMenu& menu) {
    for (const Command& command : CommandTable())
        menu.SetHandler(command.handler,
                        [&form, run = command.run](MenuItem& item) { run(form, item); });
}

}  // namespace quova
