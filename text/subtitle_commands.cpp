#include "text/subtitle_commands.h"

#include <exception>

#include "lexicon/lexicon.h"
#include "text/chapters.h"
#include "text/osd.h"
#include "text/subtitle_display.h"
#include "text/subtitle_port.h"
#include "text/subtitle_timetable.h"
#include "text/subtitle_tracks.h"
#include "text/text_session.h"

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

void ReloadForOpenMedium(TextSession& session, bool withChapters) {
    LoadSubtitlesForMovie(session);
    if (withChapters) ReadChaptersForMovie(session);
    ShowSubtitleDueNow(session);
}

}  // namespace

bool SubtitlesLoaded(TextSession& session) {
    return session.subtitles.SubtitleCount > 0;
}

void LoadSubtitlesForMovie(TextSession& session) {
    SubtitlePort& port = TextPort();
    bool found = false;
    StopSubtitleTrack();
    try {
        found = FindSubtitlesForMovie(session, session.subtitles, port.MovieName(), port.Duration(),
                                      port.FrameRate());
    } catch (const std::exception&) {
        // What was loaded before the error stays.
    }
    // Without a file beside the movie, its own subtitle stream shows.
    ChooseSubtitleSourceForMovie(session, found);
}

void ReadChaptersForMovie(TextSession& session) {
    SubtitlePort& port = TextPort();
    try {
        ReadChapters(port.MovieName(), port.FrameRate(), port.Duration(),
                     Option(SubtitleOption::ChaptersOnSubtitles), session.chapters,
                     session.subtitles);
    } catch (const std::exception& e) {
        port.ReportError(std::string("ReadChapters exception: ") + e.what());
    }
}

void LoadSubtitleFileNamed(TextSession& session, const std::string& fileName) {
    SubtitlePort& port = TextPort();
    SubtitleTimetable& table = session.subtitles;
    StopSubtitleTrack();
    ResetSubtitles(table, port.Duration());
    table.SubtitleFileName = fileName;
    LoadSubtitleFile(session, table, port.FrameRate());
    SubtitleFileChosen(session);
    port.LayoutVideo();
    if (SubtitlesLoaded(session) && Option(SubtitleOption::SubtitlesOn))
        ShowSubtitleDueNow(session);
}

void ShowSubtitle(TextSession& session, const std::string& text) {
    session.currentSubtitleText = text;
    TextPort().DrawSubtitle(text);
}

void ShowSubtitleDueNow(TextSession& session) {
    SubtitlePort& port = TextPort();
    try {
        double position = 0;
        if (!port.Position(position)) return;
        auto due = DueSubtitleText(session.subtitles, position, port.Duration(),
                                   Option(SubtitleOption::SubtitleSounds));
        // With subtitles off only the pictures a film must show (a sign's
        // translation, an alien's words) stay.
        if (due && !Option(SubtitleOption::SubtitlesOn) && !IsForcedPictureSubtitle(*due))
            due = std::string();
        if (due && *due != session.currentSubtitleText) ShowSubtitle(session, *due);
    } catch (const std::exception& e) {
        port.ReportError(FormatLex(1370, "WriteSubtitles") + "\n" + e.what());
    }
}

void Subtitles1Click(TextSession& session) {
    if (!TextPort().MediaFileOpen()) return;
    Flip(SubtitleOption::SubtitlesOn);
    if (Option(SubtitleOption::SubtitlesOn)) {
        ShowOsdMessage(session, Lex(1310));
        ReloadForOpenMedium(session, true);
    } else {
        ShowOsdMessage(session, Lex(1320));
        // A picture track is read on: the units it forces still show.
        if (!DrawnPictureTrackChosen()) StopSubtitleTrack();
        ShowSubtitle(session, {});
    }
    TextPort().LayoutVideo();
    PaintOsdIfOn();
}

void Sounds1Click(TextSession& session) {
    if (!TextPort().MediaFileOpen()) return;
    Flip(SubtitleOption::SubtitleSounds);
    if (SubtitlesLoaded(session) && Option(SubtitleOption::SubtitlesOn))
        ShowSubtitleDueNow(session);
    ShowOsdMessage(session, Option(SubtitleOption::SubtitleSounds) ? "subtitle sounds on"
                                                                   : "subtitle sounds off");
    PaintOsdIfOn();
}

void ChaptersonSubtitles1Click(TextSession& session) {
    Flip(SubtitleOption::ChaptersOnSubtitles);
    const bool chapters = Option(SubtitleOption::ChaptersOnSubtitles);
    ShowOsdMessage(session, Lex(chapters ? 2300 : 2310));
    if (Option(SubtitleOption::SubtitlesOn) && TextPort().MediaFileOpen())
        ReloadForOpenMedium(session, chapters);
}

namespace {
void SwitchMode(TextSession& session, int tip, SubtitleOption mode) {
    const std::string remembered = session.currentSubtitleText;
    TextPort().ShowTip(tip);
    ShowSubtitle(session, {});
    Flip(mode);
    TextPort().LayoutVideo();
    ShowSubtitle(session, remembered);
}
}  // namespace

void SubtitlesonMovie1Click(TextSession& session) {
    SwitchMode(session, 15, SubtitleOption::SubtitlesOnMovie);
}

void SubtitlesoverMovie1Click(TextSession& session) {
    SwitchMode(session, 29, SubtitleOption::SubtitlesOverMovie);
}

}  // namespace quova
