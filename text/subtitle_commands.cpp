#include "text/subtitle_commands.h"

#include <exception>

#include "lexicon/lexicon.h"
#include "text/chapters.h"
#include "text/subtitle_display.h"
#include "text/subtitle_timetable.h"

namespace quova {

namespace {

SubtitleLoadHooks LoadHooks() {
    const SubtitleCommandHooks& h = SubtitleCommands();
    SubtitleLoadHooks hooks;
    hooks.enableAdjust = h.EnableAdjust;
    hooks.showOsdMessage = h.ShowOsdMessage;
    return hooks;
}

bool On(const bool* option) {
    return option && *option;
}

void Flip(bool* option) {
    if (option) *option = !*option;
}

template <typename F, typename... Args>
void Call(const F& f, Args&&... args) {
    if (f) f(std::forward<Args>(args)...);
}

bool MediaOpen() {
    const SubtitleCommandHooks& h = SubtitleCommands();
    return h.MediaFileOpen && h.MediaFileOpen();
}

double Get(const std::function<double()>& f) {
    return f ? f() : 0.0;
}

void ReloadForOpenMedium(bool withChapters) {
    LoadSubtitlesForMovie();
    if (withChapters) ReadChaptersForMovie();
    ShowSubtitleDueNow();
}

}  // namespace

SubtitleCommandHooks& SubtitleCommands() {
    static SubtitleCommandHooks hooks;
    return hooks;
}

bool SubtitlesLoaded() {
    return Subtitles().SubtitleCount > 0;
}

void LoadSubtitlesForMovie() {
    const SubtitleCommandHooks& h = SubtitleCommands();
    if (!h.MovieName) return;
    try {
        FindSubtitlesForMovie(Subtitles(), h.MovieName(), Get(h.Duration), Get(h.FrameRate),
                              LoadHooks());
    } catch (const std::exception&) {
        // What was loaded before the error stays.
    }
}

void ReadChaptersForMovie() {
    const SubtitleCommandHooks& h = SubtitleCommands();
    if (!h.MovieName) return;
    try {
        ReadChapters(h.MovieName(), Get(h.FrameRate), Get(h.Duration), On(h.ChaptersOnSubtitles),
                     Chapters(), Subtitles());
    } catch (const std::exception& e) {
        Call(h.ReportError, std::string("ReadChapters exception: ") + e.what());
    }
}

void LoadSubtitleFileNamed(const std::string& fileName) {
    const SubtitleCommandHooks& h = SubtitleCommands();
    SubtitleTimetable& table = Subtitles();
    ResetSubtitles(table, Get(h.Duration));
    table.SubtitleFileName = fileName;
    LoadSubtitleFile(table, Get(h.FrameRate), LoadHooks());
    Call(h.LayoutVideo);
    if (SubtitlesLoaded() && On(h.SubtitlesOn)) ShowSubtitleDueNow();
}

void ShowSubtitle(const std::string& text) {
    CurrentSubtitleText = text;
    Call(SubtitleCommands().Draw, text);
}

void ShowSubtitleDueNow() {
    const SubtitleCommandHooks& h = SubtitleCommands();
    try {
        double position = 0;
        if (!h.Position || !h.Position(position)) return;
        const auto due =
            DueSubtitleText(Subtitles(), position, Get(h.Duration), On(h.SubtitleSounds));
        if (due && *due != CurrentSubtitleText) ShowSubtitle(*due);
    } catch (const std::exception& e) {
        Call(h.ReportError, FormatLex(1370, "WriteSubtitles") + "\n" + e.what());
    }
}

void Subtitles1Click() {
    const SubtitleCommandHooks& h = SubtitleCommands();
    if (!MediaOpen()) return;
    Flip(h.SubtitlesOn);
    if (On(h.SubtitlesOn)) {
        Call(h.ShowOsdMessage, Lex(1310));
        ReloadForOpenMedium(true);
    } else {
        Call(h.ShowOsdMessage, Lex(1320));
        ShowSubtitle({});
    }
    Call(h.LayoutVideo);
    if (On(h.OsdOn)) Call(h.PaintOsd);
}

void Sounds1Click() {
    const SubtitleCommandHooks& h = SubtitleCommands();
    if (!MediaOpen()) return;
    Flip(h.SubtitleSounds);
    if (SubtitlesLoaded() && On(h.SubtitlesOn)) ShowSubtitleDueNow();
    Call(h.ShowOsdMessage,
         std::string(On(h.SubtitleSounds) ? "subtitle sounds on" : "subtitle sounds off"));
    if (On(h.OsdOn)) Call(h.PaintOsd);
}

void ChaptersonSubtitles1Click() {
    const SubtitleCommandHooks& h = SubtitleCommands();
    Flip(h.ChaptersOnSubtitles);
    Call(h.ShowOsdMessage, Lex(On(h.ChaptersOnSubtitles) ? 2300 : 2310));
    if (On(h.SubtitlesOn) && MediaOpen()) ReloadForOpenMedium(On(h.ChaptersOnSubtitles));
}

namespace {
void SwitchMode(int tip, bool* mode) {
    const SubtitleCommandHooks& h = SubtitleCommands();
    const std::string remembered = CurrentSubtitleText;
    Call(h.ShowTip, tip);
    ShowSubtitle({});
    Flip(mode);
    Call(h.LayoutVideo);
    ShowSubtitle(remembered);
}
}  // namespace

void SubtitlesonMovie1Click() {
    SwitchMode(15, SubtitleCommands().SubtitlesOnMovie);
}

void SubtitlesoverMovie1Click() {
    SwitchMode(29, SubtitleCommands().SubtitlesOverMovie);
}

}  // namespace quova
