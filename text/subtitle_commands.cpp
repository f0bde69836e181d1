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

bool& Option(TextSession& session, SubtitleOption option) {
    return session.textPort.Get().Option(option);
}

void Flip(TextSession& session, SubtitleOption option) {
    bool& value = Option(session, option);
    value = !value;
}

void PaintOsdIfOn(TextSession& session) {
    if (Option(session, SubtitleOption::OsdOn)) session.textPort.Get().PaintOsd();
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
    const OpenMediumView& medium = session.medium.Get();
    bool found = false;
    StopSubtitleTrack(session);
    try {
        found = FindSubtitlesForMovie(session, session.subtitles, medium.MovieName(),
                                      medium.Duration(), medium.FrameRate());
    } catch (const std::exception&) {
        // What was loaded before the error stays.
    }
    // Without a file beside the movie, its own subtitle stream shows.
    ChooseSubtitleSourceForMovie(session, found);
}

void ReadChaptersForMovie(TextSession& session) {
    SubtitlePort& port = session.textPort.Get();
    const OpenMediumView& medium = session.medium.Get();
    try {
        ReadChapters(medium.MovieName(), medium.FrameRate(), medium.Duration(),
                     Option(session, SubtitleOption::ChaptersOnSubtitles), session.chapters,
                     session.subtitles);
    } catch (const std::exception& e) {
        port.ReportError(std::string("ReadChapters exception: ") + e.what());
    }
}

void LoadSubtitleFileNamed(TextSession& session, const std::string& fileName) {
    SubtitlePort& port = session.textPort.Get();
    const OpenMediumView& medium = session.medium.Get();
    SubtitleTimetable& table = session.subtitles;
    StopSubtitleTrack(session);
    ResetSubtitles(table, medium.Duration());
    table.SubtitleFileName = fileName;
    LoadSubtitleFile(session, table, medium.FrameRate());
    SubtitleFileChosen(session);
    port.LayoutVideo();
    if (SubtitlesLoaded(session) && Option(session, SubtitleOption::SubtitlesOn))
        ShowSubtitleDueNow(session);
}

void ShowSubtitle(TextSession& session, const std::string& text) {
    session.currentSubtitleText = text;
    session.textPort.Get().DrawSubtitle(text);
}

void ShowSubtitleDueNow(TextSession& session) {
    SubtitlePort& port = session.textPort.Get();
    const OpenMediumView& medium = session.medium.Get();
    try {
        double position = 0;
        if (!medium.Position(position)) return;
        auto due = DueSubtitleText(session.subtitles, position, medium.Duration(),
                                   Option(session, SubtitleOption::SubtitleSounds));
        // With subtitles off only the pictures a film must show (a sign's
        // translation, an alien's words) stay.
        if (due && !Option(session, SubtitleOption::SubtitlesOn) &&
            !IsForcedPictureSubtitle(session, *due))
            due = std::string();
        if (due && *due != session.currentSubtitleText) ShowSubtitle(session, *due);
    } catch (const std::exception& e) {
        port.ReportError(FormatLex(1370, "WriteSubtitles") + "\n" + e.what());
    }
}

void Subtitles1Click(TextSession& session) {
    if (!session.medium.Get().MediaFileOpen()) return;
    Flip(session, SubtitleOption::SubtitlesOn);
    if (Option(session, SubtitleOption::SubtitlesOn)) {
        ShowOsdMessage(session, Lex(1310));
        ReloadForOpenMedium(session, true);
    } else {
        ShowOsdMessage(session, Lex(1320));
        // A picture track is read on: the units it forces still show.
        if (!DrawnPictureTrackChosen(session)) StopSubtitleTrack(session);
        ShowSubtitle(session, {});
    }
    session.textPort.Get().LayoutVideo();
    PaintOsdIfOn(session);
}

void Sounds1Click(TextSession& session) {
    if (!session.medium.Get().MediaFileOpen()) return;
    Flip(session, SubtitleOption::SubtitleSounds);
    if (SubtitlesLoaded(session) && Option(session, SubtitleOption::SubtitlesOn))
        ShowSubtitleDueNow(session);
    ShowOsdMessage(session, Option(session, SubtitleOption::SubtitleSounds)
                                ? "subtitle sounds on"
                                : "subtitle sounds off");
    PaintOsdIfOn(session);
}

void ChaptersonSubtitles1Click(TextSession& session) {
    Flip(session, SubtitleOption::ChaptersOnSubtitles);
    const bool chapters = Option(session, SubtitleOption::ChaptersOnSubtitles);
    ShowOsdMessage(session, Lex(chapters ? 2300 : 2310));
    if (Option(session, SubtitleOption::SubtitlesOn) && session.medium.Get().MediaFileOpen())
        ReloadForOpenMedium(session, chapters);
}

namespace {
void SwitchMode(TextSession& session, int tip, SubtitleOption mode) {
    const std::string remembered = session.currentSubtitleText;
    session.textPort.Get().ShowTip(tip);
    ShowSubtitle(session, {});
    Flip(session, mode);
    session.textPort.Get().LayoutVideo();
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
