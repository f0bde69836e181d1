#include "text/subtitle_commands.h"

#include <exception>

#include "lexicon/lexicon.h"
#include "text/chapters.h"
#include "text/osd.h"
#include "text/subtitle_display.h"
#include "text/subtitle_port.h"
#include "text/subtitle_timetable.h"
#include "text/subtitle_tracks.h"

namespace quova {

namespace {

bool& Option(SubtitleOption option) {
    return TextPort().Option(option);
}

void Flip(SubtitleOption option) {
    bool& value = Option(option);
    value = !value;
}

void PaintOsdIfOn() {
    if (Option(SubtitleOption::OsdOn)) TextPort().PaintOsd();
}

void ReloadForOpenMedium(bool withChapters) {
    LoadSubtitlesForMovie();
    if (withChapters) ReadChaptersForMovie();
    ShowSubtitleDueNow();
}

}  // namespace

bool SubtitlesLoaded() {
    return Subtitles().SubtitleCount > 0;
}

void LoadSubtitlesForMovie() {
    SubtitlePort& port = TextPort();
    bool found = false;
    StopSubtitleTrack();
    try {
        found =
            FindSubtitlesForMovie(Subtitles(), port.MovieName(), port.Duration(), port.FrameRate());
    } catch (const std::exception&) {
        // What was loaded before the error stays.
    }
    // Without a file beside the movie, its own subtitle stream shows.
    ChooseSubtitleSourceForMovie(found);
}

void ReadChaptersForMovie() {
    SubtitlePort& port = TextPort();
    try {
        ReadChapters(port.MovieName(), port.FrameRate(), port.Duration(),
                     Option(SubtitleOption::ChaptersOnSubtitles), Chapters(), Subtitles());
    } catch (const std::exception& e) {
        port.ReportError(std::string("ReadChapters exception: ") + e.what());
    }
}

void LoadSubtitleFileNamed(const std::string& fileName) {
    SubtitlePort& port = TextPort();
    SubtitleTimetable& table = Subtitles();
    StopSubtitleTrack();
    ResetSubtitles(table, port.Duration());
    table.SubtitleFileName = fileName;
    LoadSubtitleFile(table, port.FrameRate());
    SubtitleFileChosen();
    port.LayoutVideo();
    if (SubtitlesLoaded() && Option(SubtitleOption::SubtitlesOn)) ShowSubtitleDueNow();
}

void ShowSubtitle(const std::string& text) {
    CurrentSubtitleText = text;
    TextPort().DrawSubtitle(text);
}

void ShowSubtitleDueNow() {
    SubtitlePort& port = TextPort();
    try {
        double position = 0;
        if (!port.Position(position)) return;
        auto due = DueSubtitleText(Subtitles(), position, port.Duration(),
                                   Option(SubtitleOption::SubtitleSounds));
        // With subtitles off only the pictures a film must show (a sign's
        // translation, an alien's words) stay.
        if (due && !Option(SubtitleOption::SubtitlesOn) && !IsForcedPictureSubtitle(*due))
            due = std::string();
        if (due && *due != CurrentSubtitleText) ShowSubtitle(*due);
    } catch (const std::exception& e) {
        port.ReportError(FormatLex(1370, "WriteSubtitles") + "\n" + e.what());
    }
}

void Subtitles1Click() {
    if (!TextPort().MediaFileOpen()) return;
    Flip(SubtitleOption::SubtitlesOn);
    if (Option(SubtitleOption::SubtitlesOn)) {
        ShowOsdMessage(Lex(1310));
        ReloadForOpenMedium(true);
    } else {
        ShowOsdMessage(Lex(1320));
        // A picture track is read on: the units it forces still show.
        if (!DrawnPictureTrackChosen()) StopSubtitleTrack();
        ShowSubtitle({});
    }
    TextPort().LayoutVideo();
    PaintOsdIfOn();
}

void Sounds1Click() {
    if (!TextPort().MediaFileOpen()) return;
    Flip(SubtitleOption::SubtitleSounds);
    if (SubtitlesLoaded() && Option(SubtitleOption::SubtitlesOn)) ShowSubtitleDueNow();
    ShowOsdMessage(Option(SubtitleOption::SubtitleSounds) ? "subtitle sounds on"
                                                          : "subtitle sounds off");
    PaintOsdIfOn();
}

void ChaptersonSubtitles1Click() {
    Flip(SubtitleOption::ChaptersOnSubtitles);
    const bool chapters = Option(SubtitleOption::ChaptersOnSubtitles);
    ShowOsdMessage(Lex(chapters ? 2300 : 2310));
    if (Option(SubtitleOption::SubtitlesOn) && TextPort().MediaFileOpen())
        ReloadForOpenMedium(chapters);
}

namespace {
void SwitchMode(int tip, SubtitleOption mode) {
    const std::string remembered = CurrentSubtitleText;
    TextPort().ShowTip(tip);
    ShowSubtitle({});
    Flip(mode);
    TextPort().LayoutVideo();
    ShowSubtitle(remembered);
}
}  // namespace

void SubtitlesonMovie1Click() {
    SwitchMode(15, SubtitleOption::SubtitlesOnMovie);
}

void SubtitlesoverMovie1Click() {
    SwitchMode(29, SubtitleOption::SubtitlesOverMovie);
}

}  // namespace quova
